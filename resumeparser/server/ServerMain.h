// The life of a parser server process: the protocol on its own descriptors, requests read
// on the main thread until standard input closes, then the end of the process together
// with everything it started.
#pragma once

#include "ParserServer.h"

#include <functional>
#include <memory>

namespace zorv::rp {

using ServerFactory =
    std::function<std::unique_ptr<ParserServer>(std::function<bool(const QByteArray&)> send)>;

// Ends the processes the server started: the client made it the leader of its own process
// group, which holds them.
void EndChildren();

// Serves one client on the standard streams; returns the process exit status.
int ServeStandardStreams(int argc, char** argv, const ServerFactory& makeServer);

} // namespace zorv::rp
