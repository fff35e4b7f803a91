// ZorvPr: the resume parser server. One process serves one parser object of a client over
// its standard input and output (PROTOCOL.md) and ends when its standard input closes.
#include "ServerMain.h"

int main(int argc, char** argv) {
    return zorv::rp::ServeStandardStreams(argc, argv, [](auto send) {
        return std::make_unique<zorv::rp::ParserServer>(std::move(send));
    });
}
