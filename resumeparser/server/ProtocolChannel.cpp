#include "ProtocolChannel.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zorv::rp {

ProtocolChannel ProtocolChannel::TakeStandardStreams() {
    const int in = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    const int out = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, 0);
        ::close(devNull);
    }
    ::dup2(2, 1);
    return ProtocolChannel(in, out);
}

bool ProtocolChannel::Fill() {
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, n);
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

bool ProtocolChannel::ReadLine(QByteArray& line, bool& overlong) {
    overlong = false;
    qsizetype scanned = 0;
    for (;;) {
        const qsizetype nl = buffer_.indexOf('\n', scanned);
        if (nl >= 0) {
            line = overlong ? QByteArray() : buffer_.left(nl);
            buffer_.remove(0, nl + 1);
            return true;
        }
        if (static_cast<std::size_t>(buffer_.size()) > kMaxLineBytes) {
            overlong = true; // keep reading to the end of this line, dropping it
            buffer_.clear();
        }
        scanned = buffer_.size();
        if (!Fill())
            return false;
    }
}

bool ProtocolChannel::WriteLine(const QByteArray& line) {
    const std::lock_guard<std::mutex> lock(writeMutex_);
    QByteArray data = line;
    data.append('\n');
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(out_, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace zorv::rp
