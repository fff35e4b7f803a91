#include "ServerMain.h"

#include "ProtocolChannel.h"

#include <QCoreApplication>
#include <csignal>
#include <unistd.h>

namespace zorv::rp {

void EndChildren() {
    if (::getpgrp() == ::getpid()) {
        ::signal(SIGTERM, SIG_IGN);
        ::kill(0, SIGTERM);
    }
}

int ServeStandardStreams(int argc, char** argv, const ServerFactory& makeServer) {
    ::signal(SIGPIPE, SIG_IGN); // a vanished client shows as a failed write
    ProtocolChannel channel = ProtocolChannel::TakeStandardStreams();
    QCoreApplication app(argc, argv);

    std::unique_ptr<ParserServer> server = makeServer([&channel](const QByteArray& line) {
        if (!channel.WriteLine(line)) {
            EndChildren();
            ::_exit(1); // the client is gone
        }
        return true;
    });
    server->SendReady();
    QByteArray line;
    bool overlong = false;
    while (channel.ReadLine(line, overlong)) {
        if (overlong)
            server->RejectOverlongLine();
        else if (!line.trimmed().isEmpty())
            server->HandleLine(line);
    }
    EndChildren();
    // A worker stuck in a converter cannot be stopped: end without waiting for it. Else end
    // normally, so that what the converters keep until the end (temporary folders) goes.
    if (server->Busy())
        ::_exit(0);
    server.reset();
    return 0;
}

} // namespace zorv::rp
