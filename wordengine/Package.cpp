// Zip handling with libzip: hostile-archive checks on open, in-memory writing on save.
#include "Package.h"

#include "WordEngine.h"
#include "ZorvError.h"

#include <zip.h>

#include <QSet>
#include <limits>
#include <memory>

namespace zorv::wordengine {
namespace {

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipSourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using ZipSourcePtr = std::unique_ptr<zip_source_t, ZipSourceFree>;

ZorvError Unsafe(const QString& file, const QString& why) {
    return ZorvError(EngUnsafePackage,
                     QStringLiteral("The file %1 is not a safe Word document: %2.").arg(file, why));
}

ZorvError NotPackage(const QString& file, const QString& why) {
    return ZorvError(EngNotAPackage,
                     QStringLiteral("The file %1 is not a Word document (.docx) or it is damaged: "
                                    "%2.")
                         .arg(file, why));
}

ZorvError Translate(const QString& file, const input::ZipError& e) {
    switch (e.kind) {
    case input::ZipError::Kind::Unsafe:
        return Unsafe(file, e.reason);
    case input::ZipError::Kind::Encrypted:
        return ZorvError(EngProtected, QStringLiteral("The file %1 is protected or unsupported: "
                                                      "%2.")
                                           .arg(file, e.reason));
    default:
        return NotPackage(file, e.reason);
    }
}

} // namespace

Package Package::FromBytes(QByteArray bytes, const QString& file) {
    Package pkg;
    pkg.displayName_ = file;
    input::ZipError error;
    if (!pkg.archive_.Open(std::move(bytes), &error))
        throw Translate(file, error);
    pkg.data_.resize(pkg.archive_.Names().size());
    return pkg;
}

const QByteArray* Package::Part(const QString& name) const {
    auto pend = pending_.find(name);
    if (pend != pending_.end())
        return &pend->second;
    const int index = archive_.IndexOf(name);
    if (index < 0)
        return nullptr;
    auto p = pending_.find(archive_.Names()[size_t(index)]);
    if (p != pending_.end())
        return &p->second;
    std::optional<QByteArray>& slot = data_[size_t(index)];
    if (!slot) {
        QByteArray bytes;
        input::ZipError error;
        if (!archive_.ReadAt(index, &bytes, &error))
            throw Translate(displayName_, error);
        slot = std::move(bytes);
    }
    return &*slot;
}

void Package::SetPart(const QString& name, QByteArray bytes) {
    const int index = archive_.IndexOf(name);
    const QString stored = index < 0 ? name : archive_.Names()[size_t(index)];
    pending_[stored] = std::move(bytes);
}

namespace {

ZorvError SaveFailed(const QString& why) {
    return ZorvError(EngSaveFailed,
                     QStringLiteral("The document could not be written: %1.").arg(why));
}

// The base archive (checked when it was opened), read as it is.
ZipPtr OpenBase(const QByteArray& raw) {
    zip_error_t zerr;
    zip_error_init(&zerr);
    ZipSourcePtr source(
        zip_source_buffer_create(raw.constData(), zip_uint64_t(raw.size()), 0, &zerr));
    ZipPtr base(source ? zip_open_from_source(source.get(), ZIP_RDONLY, &zerr) : nullptr);
    zip_error_fini(&zerr);
    if (!base)
        throw SaveFailed(QStringLiteral("the package cannot be reopened"));
    source.release(); // the archive owns it now
    return base;
}

// A new archive written into an empty buffer, which stays readable after the archive closes.
struct OutputArchive {
    ZipSourcePtr buffer;
    ZipPtr archive;
};

OutputArchive OpenOutput() {
    OutputArchive out;
    zip_error_t zerr;
    zip_error_init(&zerr);
    out.buffer.reset(zip_source_buffer_create(nullptr, 0, 0, &zerr));
    zip_error_fini(&zerr);
    if (!out.buffer)
        throw SaveFailed(QStringLiteral("out of memory"));
    zip_error_init(&zerr);
    out.archive.reset(zip_open_from_source(out.buffer.get(), ZIP_TRUNCATE, &zerr));
    zip_error_fini(&zerr);
    if (!out.archive)
        throw SaveFailed(QStringLiteral("out of memory"));
    zip_source_keep(out.buffer.get()); // read back after the archive is closed
    return out;
}

// Adds an entry from `data` (taken over, also on failure) with the given compression.
void AddEntry(zip_t* out, const QByteArray& utf8, zip_source_t* data, zip_int32_t method) {
    if (!data)
        throw SaveFailed(QString::fromUtf8(zip_strerror(out)));
    const zip_int64_t idx = zip_file_add(out, utf8.constData(), data, ZIP_FL_ENC_UTF_8);
    if (idx < 0) {
        zip_source_free(data);
        throw SaveFailed(QString::fromUtf8(zip_strerror(out)));
    }
    zip_set_file_compression(out, zip_uint64_t(idx), method, method == ZIP_CM_STORE ? 0 : 1);
}

// Closes the written archive and reads its bytes back from the buffer.
QByteArray CloseAndReadBack(OutputArchive& out) {
    if (zip_close(out.archive.get()) != 0)
        throw SaveFailed(QString::fromUtf8(zip_strerror(out.archive.get())));
    out.archive.release(); // closed
    zip_source_t* buffer = out.buffer.get();
    if (zip_source_open(buffer) != 0)
        throw SaveFailed(QStringLiteral("the written package cannot be read back"));
    QByteArray bytes;
    char chunk[65536];
    zip_int64_t n;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, qsizetype(n));
    zip_source_close(buffer);
    if (n < 0)
        throw SaveFailed(QStringLiteral("the written package cannot be read back"));
    return bytes;
}

} // namespace

QByteArray Package::Serialize() const {
    if (pending_.empty())
        return archive_.Bytes();
    // Unchanged entries are copied compressed, so their bytes stay exactly the same.
    const ZipPtr base = OpenBase(archive_.Bytes());
    zip_t* in = base.get();
    OutputArchive out = OpenOutput();
    zip_t* archive = out.archive.get();
    QSet<QString> written;
    const zip_int64_t count = zip_get_num_entries(in, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(in, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0)
            throw SaveFailed(QStringLiteral("the package cannot be reopened"));
        const QString name = QString::fromUtf8(st.name);
        const QByteArray utf8 = name.toUtf8();
        auto p = pending_.find(name);
        if (p != pending_.end()) {
            AddEntry(archive, utf8,
                     zip_source_buffer(archive, p->second.constData(),
                                       zip_uint64_t(p->second.size()), 0),
                     ZIP_CM_DEFLATE);
            written.insert(name);
        } else {
            AddEntry(archive, utf8,
                     zip_source_zip(archive, in, zip_uint64_t(i), ZIP_FL_COMPRESSED, 0, -1),
                     st.comp_method == ZIP_CM_STORE ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
        }
    }
    for (const auto& [name, bytes] : pending_)
        if (!written.contains(name))
            AddEntry(archive, name.toUtf8(),
                     zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0),
                     ZIP_CM_DEFLATE);
    return CloseAndReadBack(out);
}

void Package::Rebase(QByteArray bytes) {
    // The written archive has the old entries in their order, then the new ones.
    // The bytes are our own: values may repeat far past a bomb's ratio, the other checks hold.
    input::ZipLimits own;
    own.maxRatio = std::numeric_limits<qint64>::max() / own.maxTotalBytes;
    input::ZipArchive written(own);
    input::ZipError error;
    if (!written.Open(std::move(bytes), &error))
        throw Translate(displayName_, error);
    archive_ = std::move(written);
    data_.resize(archive_.Names().size());
    for (auto& [name, data] : pending_)
        if (const int index = archive_.IndexOf(name); index >= 0)
            data_[size_t(index)] = std::move(data);
    pending_.clear();
}

} // namespace zorv::wordengine
