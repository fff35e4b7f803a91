// A read-only zip archive (an OOXML package) held in memory, read under one set of limits:
// archives with too many entries, duplicate names (without case, as in a package), names
// that are not package names ("..", absolute, backslash, drive) or encrypted entries are
// refused on open; every entry read is counted as it inflates (declared sizes are never
// trusted), and stops at the per-entry cap, the archive's total, or a bomb's ratio.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

struct zip;

namespace zorv::input {

struct ZipLimits {
    qint64 maxEntries = 10000;
    qint64 maxEntryBytes = 64LL * 1024 * 1024;  // inflated, one entry
    qint64 maxTotalBytes = 256LL * 1024 * 1024; // inflated, every read of the archive together
    qint64 ratioFloorBytes = 100 * 1024;        // the ratio rule starts past this output
    qint64 maxRatio = 100;                      // inflated : compressed
};

struct ZipError {
    enum class Kind { None, NotAZip, Damaged, Unsafe, Encrypted, Missing };
    Kind kind = Kind::None;
    QString reason; // a clause in our words, starting in lower case ("it holds ...")
};

class ZipArchive {
public:
    explicit ZipArchive(ZipLimits limits = {});
    ~ZipArchive();
    ZipArchive(ZipArchive&&) noexcept;
    ZipArchive& operator=(ZipArchive&&) noexcept;

    // Opens the archive and checks its directory; false with the reason when it is refused.
    // Reopening starts the read budget afresh.
    bool Open(QByteArray bytes, ZipError* error);

    const QByteArray& Bytes() const { return bytes_; }
    // Entry names in archive order, as stored (folders end with "/").
    const std::vector<QString>& Names() const { return names_; }
    // The position of the entry in Names() (compared without case), or -1.
    int IndexOf(const QString& name) const;
    bool Contains(const QString& name) const { return IndexOf(name) >= 0; }

    // Reads one entry whole; false with the reason when it is missing, damaged or passes a
    // limit (`out` is then empty).
    bool Read(const QString& name, QByteArray* out, ZipError* error);
    bool ReadAt(int index, QByteArray* out, ZipError* error);

private:
    struct ZipDiscard {
        void operator()(zip* archive) const;
    };
    bool CheckDirectory(ZipError* error);
    bool Inflate(int index, qint64 packed, QByteArray* out, ZipError* error);

    ZipLimits limits_;
    QByteArray bytes_; // read in place by libzip
    std::unique_ptr<zip, ZipDiscard> archive_;
    std::vector<QString> names_;
    QHash<QString, int> index_; // lower-case name -> position
    qint64 budget_ = 0;         // inflated bytes still allowed
};

// True for a package name: relative, "/"-separated, no "." or ".." segment, no backslash,
// no drive or scheme, no NUL.
bool IsPackageName(const QString& name);

} // namespace zorv::input
