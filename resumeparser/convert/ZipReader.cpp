// Hardened in-memory zip reading over libzip.
#include "ZipReader.h"

#include <zip.h>

namespace zorv::rp::convert {

void ZipReader::ZipDiscard::operator()(struct zip* archive) const {
    zip_discard(archive);
}

namespace {

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileClose>;

struct ZipSourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipSourcePtr = std::unique_ptr<zip_source_t, ZipSourceFree>;

// A package part name: relative, "/"-separated, no "." or ".." segments, no drive.
bool IsPackageName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\') || name.contains(u':') ||
        name.contains(QChar(0)))
        return false;
    for (const QString& segment : name.split(u'/')) {
        if (segment == u"." || segment == u"..")
            return false;
    }
    return true;
}

} // namespace

ZipReader::ZipReader(ZipLimits limits) : limits_(limits) {}
ZipReader::~ZipReader() = default;

bool ZipReader::Open(const QByteArray& data, QString* error) {
    data_ = data;
    zip_error_t zerr;
    zip_error_init(&zerr);
    ZipSourcePtr source(zip_source_buffer_create(data_.constData(), data_.size(), 0, &zerr));
    zip_error_fini(&zerr);
    if (!source) {
        *error = QStringLiteral("The file could not be read as a zip package.");
        return false;
    }
    zip_error_init(&zerr);
    archive_.reset(zip_open_from_source(source.get(), ZIP_RDONLY, &zerr));
    zip_error_fini(&zerr);
    if (!archive_) {
        *error = QStringLiteral("The file is damaged: its zip package cannot be opened.");
        return false;
    }
    source.release(); // the archive owns it now
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    if (count < 0 || count > limits_.maxEntries) {
        *error = QStringLiteral("The file's zip package holds too many entries to be a document.");
        return false;
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), 0);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        if (name.endsWith(u'/') && IsPackageName(name.chopped(1)))
            continue; // a folder entry
        if (!IsPackageName(name)) {
            *error = QStringLiteral("The file's zip package holds an entry name that is not a "
                                    "package name (absolute, \"..\" or backslash).");
            return false;
        }
        const QString key = name.toLower();
        if (index_.contains(key)) {
            *error =
                QStringLiteral("The file's zip package holds two entries named \"%1\".").arg(name);
            return false;
        }
        index_.insert(key, static_cast<std::uint64_t>(i));
    }
    return true;
}

bool ZipReader::Contains(const QString& name) const {
    return index_.contains(name.toLower());
}

bool ZipReader::Read(const QString& name, QByteArray* out, QString* error) {
    out->clear();
    const auto it = index_.constFind(name.toLower());
    if (it == index_.constEnd()) {
        *error = QStringLiteral("The package has no part \"%1\".").arg(name);
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_.get(), *it, 0, &st) != 0) {
        *error = QStringLiteral("The package part \"%1\" is damaged.").arg(name);
        return false;
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
        *error = QStringLiteral("The document is protected by a password.");
        return false;
    }
    // The compressed size is the header's word too: never more than the archive itself.
    qint64 packed = data_.size();
    if ((st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size < static_cast<zip_uint64_t>(packed))
        packed = static_cast<qint64>(st.comp_size);
    packed = std::max<qint64>(packed, 1);

    ZipFilePtr file(zip_fopen_index(archive_.get(), *it, 0));
    if (!file) {
        *error = QStringLiteral("The package part \"%1\" cannot be read.").arg(name);
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            *error = QStringLiteral("The package part \"%1\" is damaged.").arg(name);
            out->clear();
            return false;
        }
        if (n == 0)
            break;
        out->append(buffer, static_cast<qsizetype>(n));
        totalRead_ += n;
        if (out->size() > limits_.maxEntryBytes || totalRead_ > limits_.maxTotalBytes ||
            (out->size() > limits_.ratioFloorBytes && out->size() / packed >= limits_.maxRatio)) {
            *error = QStringLiteral("The file's zip package inflates far beyond any document "
                                    "(a zip bomb?).");
            out->clear();
            return false;
        }
    }
    return true;
}

} // namespace zorv::rp::convert
