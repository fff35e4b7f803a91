// A read-only zip archive held in memory, read with our own limits: the inflated size of
// every entry is counted as it comes out (declared sizes are never trusted), archives
// with too many entries, duplicate names, names that are not package names, or entries
// that inflate like a bomb are refused.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>

struct zip;

namespace zorv::rp::convert {

struct ZipLimits {
    int maxEntries = 2000;
    qint64 maxEntryBytes = 32LL * 1024 * 1024; // inflated, per entry
    qint64 maxTotalBytes = 96LL * 1024 * 1024; // inflated, all reads together
    qint64 ratioFloorBytes = 100 * 1024;       // the ratio check starts past this output
    int maxRatio = 100;                        // inflated : compressed
};

class ZipReader {
public:
    explicit ZipReader(ZipLimits limits = {});
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Opens the archive; false with a reason when it is damaged or refused.
    bool Open(const QByteArray& data, QString* error);

    // True when an entry of this name is there (names compare without case, as in a package).
    bool Contains(const QString& name) const;

    // Reads one entry whole; false with a reason when it is missing, encrypted, damaged or
    // passes a limit.
    bool Read(const QString& name, QByteArray* out, QString* error);

private:
    struct ZipDiscard {
        void operator()(struct zip* archive) const;
    };

    ZipLimits limits_;
    QByteArray data_; // the archive's bytes, which libzip reads in place
    std::unique_ptr<struct zip, ZipDiscard> archive_;
    QHash<QString, std::uint64_t> index_; // lower-case name -> entry index
    qint64 totalRead_ = 0;
};

} // namespace zorv::rp::convert
