#include "ServerMain.h"

#include "ProtocolChannel.h"

#include <QCoreApplication>
#include <csignal>
#include <unistd.h>

namespace zorv::rp {
namespace {

// The client started this process as the leader of its own process group, so the group
// holds exactly what the server started: end it, then this process, without waiting for
// a worker that may be stuck in a converter.
[[noreturn]] void EndWithChildren(int status) {
    if (::getpgrp() == ::getpid()) {
        ::signal(SIGTERM, SIG_IGN);
        ::kill(0, SIGTERM);
    }
    ::_exit(status);
}

} // namespace

int ServeStandardStreams(int argc, char** argv, const ServerFactory& makeServer) {
    ::signal(SIGPIPE, SIG_IGN); // a vanished client shows as a failed write
    ProtocolChannel channel = ProtocolChannel::TakeStandardStreams();
    QCoreApplication app(argc, argv);

    std::unique_ptr<ParserServer> server = makeServer([&channel](const QByteArray& line) {
        if (!channel.WriteLine(line))
            EndWithChildren(1);
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
    EndWithChildren(0);
}

} // namespace zorv::rp
