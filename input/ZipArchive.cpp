// Hardened in-memory zip reading over libzip.
#include "ZipArchive.h"

#include <zip.h>

#include <algorithm>

namespace zorv::input {
namespace {

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct ZipSourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipSourcePtr = std::unique_ptr<zip_source_t, ZipSourceFree>;

constexpr qint64 kMiB = 1024 * 1024;
constexpr qsizetype kChunkBytes = 64 * 1024;

bool Fail(ZipError* error, ZipError::Kind kind, const QString& reason) {
    if (error)
        *error = ZipError{kind, reason};
    return false;
}

bool InflatesLikeABomb(qint64 inflated, qint64 packed, const ZipLimits& limits) {
    return inflated > limits.ratioFloorBytes &&
           inflated > limits.maxRatio * std::max<qint64>(packed, 1);
}

} // namespace

bool IsPackageName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\') || name.contains(u':') ||
        name.contains(QChar(0)))
        return false;
    for (const QStringView segment : QStringView(name).split(u'/'))
        if (segment == u"." || segment == u"..")
            return false;
    return true;
}

void ZipArchive::ZipDiscard::operator()(zip* archive) const {
    zip_discard(archive);
}

ZipArchive::ZipArchive(ZipLimits limits) : limits_(limits) {}
ZipArchive::~ZipArchive() = default;
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;

bool ZipArchive::Open(QByteArray bytes, ZipError* error) {
    archive_.reset();
    names_.clear();
    index_.clear();
    budget_ = limits_.maxTotalBytes;
    bytes_ = std::move(bytes);
    zip_error_t zerr;
    zip_error_init(&zerr);
    ZipSourcePtr source(
        zip_source_buffer_create(bytes_.constData(), zip_uint64_t(bytes_.size()), 0, &zerr));
    if (source)
        archive_.reset(zip_open_from_source(source.get(), ZIP_RDONLY, &zerr));
    const QString why = QString::fromUtf8(zip_error_strerror(&zerr));
    zip_error_fini(&zerr);
    if (!archive_)
        return Fail(error, ZipError::Kind::NotAZip,
                    QStringLiteral("it is not a readable zip archive (%1)").arg(why));
    source.release(); // the archive owns it now
    return CheckDirectory(error);
}

bool ZipArchive::CheckDirectory(ZipError* error) {
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    if (count < 0 || count > limits_.maxEntries)
        return Fail(error, ZipError::Kind::Unsafe,
                    QStringLiteral("it holds %1 entries, too many for a document").arg(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive_.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0 || !st.name)
            return Fail(error, ZipError::Kind::Damaged,
                        QStringLiteral("its entry %1 cannot be read").arg(i + 1));
        const QString name = QString::fromUtf8(st.name);
        if (!IsPackageName(name.endsWith(u'/') ? name.chopped(1) : name))
            return Fail(
                error, ZipError::Kind::Unsafe,
                QStringLiteral("the entry name \"%1\" points outside the package").arg(name));
        const QString key = name.toLower();
        if (index_.contains(key))
            return Fail(error, ZipError::Kind::Unsafe,
                        QStringLiteral("the entry name \"%1\" occurs twice").arg(name));
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return Fail(error, ZipError::Kind::Encrypted,
                        QStringLiteral("its parts are encrypted"));
        // The declared sizes already tell of some bombs; the real output is checked on read.
        if ((st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) &&
            InflatesLikeABomb(qint64(st.size), qint64(st.comp_size), limits_))
            return Fail(error, ZipError::Kind::Unsafe,
                        QStringLiteral("the part %1 is a compression bomb").arg(name));
        index_.insert(key, int(names_.size()));
        names_.push_back(name);
    }
    return true;
}

int ZipArchive::IndexOf(const QString& name) const {
    return index_.value(name.toLower(), -1);
}

bool ZipArchive::Read(const QString& name, QByteArray* out, ZipError* error) {
    out->clear();
    const int index = IndexOf(name);
    if (index < 0)
        return Fail(error, ZipError::Kind::Missing, QStringLiteral("it has no part %1").arg(name));
    return ReadAt(index, out, error);
}

bool ZipArchive::ReadAt(int index, QByteArray* out, ZipError* error) {
    out->clear();
    if (!archive_ || index < 0 || size_t(index) >= names_.size())
        return Fail(error, ZipError::Kind::Missing, QStringLiteral("it has no such part"));
    if (names_[size_t(index)].endsWith(u'/'))
        return true; // a folder
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_.get(), zip_uint64_t(index), ZIP_FL_ENC_GUESS, &st) != 0)
        return Fail(error, ZipError::Kind::Damaged,
                    QStringLiteral("the part %1 cannot be read").arg(names_[size_t(index)]));
    // The compressed size is the header's word too: never more than the archive itself.
    qint64 packed = bytes_.size();
    if ((st.valid & ZIP_STAT_COMP_SIZE) && qint64(st.comp_size) < packed)
        packed = qint64(st.comp_size);
    if (!Inflate(index, packed, out, error)) {
        out->clear();
        return false;
    }
    if ((st.valid & ZIP_STAT_SIZE) && qint64(st.size) != out->size()) {
        out->clear();
        return Fail(error, ZipError::Kind::Unsafe,
                    QStringLiteral("the header of the part %1 lies about its size")
                        .arg(names_[size_t(index)]));
    }
    return true;
}

// Inflates with our own caps, counting the real output; never sized from the header.
bool ZipArchive::Inflate(int index, qint64 packed, QByteArray* out, ZipError* error) {
    const QString& name = names_[size_t(index)];
    std::unique_ptr<zip_file_t, ZipFileClose> file(
        zip_fopen_index(archive_.get(), zip_uint64_t(index), 0));
    if (!file)
        return Fail(error, ZipError::Kind::Damaged,
                    QStringLiteral("the part %1 cannot be read (%2)")
                        .arg(name, QString::fromUtf8(zip_strerror(archive_.get()))));
    char chunk[kChunkBytes];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0) {
            zip_error_t* e = zip_file_get_error(file.get());
            const int code = zip_error_code_zip(e);
            if (code == ZIP_ER_CRC || code == ZIP_ER_INCONS)
                return Fail(error, ZipError::Kind::Unsafe,
                            QStringLiteral("the sizes or checksum of the part %1 do not match "
                                           "its data")
                                .arg(name));
            return Fail(error, ZipError::Kind::Damaged,
                        QStringLiteral("the part %1 cannot be read (%2)")
                            .arg(name, QString::fromUtf8(zip_error_strerror(e))));
        }
        if (n == 0)
            return true;
        out->append(chunk, qsizetype(n));
        budget_ -= n;
        if (budget_ < 0)
            return Fail(error, ZipError::Kind::Unsafe,
                        QStringLiteral("it inflates to more than %1 MiB, more than any "
                                       "document needs")
                            .arg(limits_.maxTotalBytes / kMiB));
        if (out->size() > limits_.maxEntryBytes)
            return Fail(error, ZipError::Kind::Unsafe,
                        QStringLiteral("the part %1 inflates to more than %2 MiB, more than "
                                       "any document part needs")
                            .arg(name)
                            .arg(limits_.maxEntryBytes / kMiB));
        if (InflatesLikeABomb(out->size(), packed, limits_))
            return Fail(error, ZipError::Kind::Unsafe,
                        QStringLiteral("the part %1 is a compression bomb").arg(name));
    }
}

} // namespace zorv::input
