// The server's end of the line protocol: its own copies of standard input and output, so
// that nothing the server or its children print can reach the client, and whole lines read
// and written on them.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <mutex>

namespace zorv::rp {

class ProtocolChannel {
public:
    // Longest request line accepted; longer ones are skipped and reported.
    static constexpr std::size_t kMaxLineBytes = 256u * 1024u * 1024u;

    // Moves the protocol to new close-on-exec descriptors and points descriptor 0 at
    // /dev/null and descriptor 1 at standard error.
    static ProtocolChannel TakeStandardStreams();

    // The next line without its newline. false at the end of input. An overlong line is
    // returned empty with `overlong` set.
    bool ReadLine(QByteArray& line, bool& overlong);

    // Writes one line (a newline is added); safe from any thread. false when the client
    // is gone.
    bool WriteLine(const QByteArray& line);

private:
    ProtocolChannel(int in, int out) : in_(in), out_(out) {}
    bool Fill();

    int in_;
    int out_;
    QByteArray buffer_;
    std::mutex writeMutex_;
};

} // namespace zorv::rp
