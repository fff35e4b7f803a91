// Zip handling with libzip: hostile-archive checks on open, in-memory writing on save.
#include "Package.h"

#include "WordEngine.h"
#include "ZorvError.h"

#include <zip.h>

#include <QSet>
#include <memory>

namespace zorv::wordengine {
namespace {

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
struct ZipSourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using ZipSourcePtr = std::unique_ptr<zip_source_t, ZipSourceFree>;

// Limits that no real document reaches.
constexpr zip_int64_t kMaxEntries = 10000;
constexpr qint64 kMaxTotalInflated = 256LL * 1024 * 1024;
constexpr qint64 kRatioFloor = 100 * 1024; // past this, the ratio rule applies
constexpr qint64 kMaxRatio = 100;

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

bool UnsafeName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return true;
    if (name.size() >= 2 && name.at(1) == u':')
        return true; // drive letter
    for (const QStringView seg : QStringView(name).split(u'/'))
        if (seg == u".." || seg == u".")
            return true;
    return false;
}

// Inflates one entry with our own cap; never sized from the header.
QByteArray InflateEntry(zip_t* za, zip_uint64_t i, const zip_stat_t& st, const QString& file,
                        qint64& totalBudget) {
    std::unique_ptr<zip_file_t, ZipFileClose> zf(zip_fopen_index(za, i, 0));
    if (!zf)
        throw NotPackage(file,
                         QStringLiteral("the part %1 cannot be read (%2)")
                             .arg(QString::fromUtf8(st.name), QString::fromUtf8(zip_strerror(za))));
    QByteArray out;
    char chunk[65536];
    const qint64 comp = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(st.comp_size) : 0;
    for (;;) {
        const zip_int64_t n = zip_fread(zf.get(), chunk, sizeof chunk);
        if (n < 0) {
            zip_error_t* e = zip_file_get_error(zf.get());
            const int code = zip_error_code_zip(e);
            const QString part = QString::fromUtf8(st.name);
            if (code == ZIP_ER_CRC || code == ZIP_ER_INCONS)
                throw Unsafe(file, QStringLiteral("the sizes or checksum of the part %1 do not "
                                                  "match its data")
                                       .arg(part));
            throw NotPackage(file, QStringLiteral("the part %1 cannot be read (%2)")
                                       .arg(part, QString::fromUtf8(zip_error_strerror(e))));
        }
        if (n == 0)
            break;
        out.append(chunk, qsizetype(n));
        totalBudget -= n;
        if (totalBudget < 0)
            throw Unsafe(file, QStringLiteral("it inflates to more than any document needs"));
        if (out.size() > kRatioFloor && out.size() > kMaxRatio * std::max<qint64>(comp, 1))
            throw Unsafe(file, QStringLiteral("the part %1 is a compression bomb")
                                   .arg(QString::fromUtf8(st.name)));
    }
    if ((st.valid & ZIP_STAT_SIZE) && qint64(st.size) != out.size())
        throw Unsafe(file, QStringLiteral("the header of the part %1 lies about its size")
                               .arg(QString::fromUtf8(st.name)));
    return out;
}

} // namespace

void Package::ZipCloser::operator()(zip* z) const {
    zip_discard(z);
}

void Package::OpenReader(const QString& file) {
    zip_error_t zerr;
    zip_error_init(&zerr);
    ZipSourcePtr src(
        zip_source_buffer_create(raw_.constData(), zip_uint64_t(raw_.size()), 0, &zerr));
    if (!src) {
        zip_error_fini(&zerr);
        throw NotPackage(file, QStringLiteral("out of memory"));
    }
    reader_.reset(zip_open_from_source(src.get(), ZIP_RDONLY | ZIP_CHECKCONS, &zerr));
    if (!reader_) {
        const QString why = QString::fromUtf8(zip_error_strerror(&zerr));
        zip_error_fini(&zerr);
        throw NotPackage(file, QStringLiteral("it is not a readable zip archive (%1)").arg(why));
    }
    src.release(); // the archive owns the source now
    zip_error_fini(&zerr);
}

Package Package::FromBytes(QByteArray bytes, const QString& file) {
    Package pkg;
    pkg.raw_ = std::move(bytes);
    pkg.displayName_ = file;
    pkg.budget_ = kMaxTotalInflated;
    pkg.OpenReader(file);
    zip_t* za = pkg.reader_.get();

    const zip_int64_t count = zip_get_num_entries(za, 0);
    if (count > kMaxEntries)
        throw Unsafe(file, QStringLiteral("it holds %1 entries").arg(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0 || !st.name)
            throw NotPackage(file, QStringLiteral("entry %1 cannot be read").arg(i + 1));
        const QString name = QString::fromUtf8(st.name);
        if (UnsafeName(name))
            throw Unsafe(
                file, QStringLiteral("the entry name \"%1\" points outside the package").arg(name));
        const QString key = name.toLower();
        if (pkg.index_.contains(key))
            throw Unsafe(file, QStringLiteral("the entry name \"%1\" occurs twice").arg(name));
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw ZorvError(EngProtected, QStringLiteral("The file %1 is protected or unsupported: "
                                                         "its parts are encrypted.")
                                              .arg(file));
        if ((st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) &&
            qint64(st.size) > kRatioFloor &&
            qint64(st.size) > kMaxRatio * std::max<qint64>(qint64(st.comp_size), 1))
            throw Unsafe(file, QStringLiteral("the part %1 is a compression bomb").arg(name));
        pkg.index_.insert(key, int(pkg.names_.size()));
        pkg.names_.push_back(name);
        pkg.data_.emplace_back();
    }
    return pkg;
}

const QByteArray* Package::Part(const QString& name) const {
    auto pend = pending_.find(name);
    if (pend != pending_.end())
        return &pend->second;
    auto it = index_.constFind(name.toLower());
    if (it == index_.constEnd())
        return nullptr;
    auto p = pending_.find(names_[size_t(*it)]);
    if (p != pending_.end())
        return &p->second;
    std::optional<QByteArray>& slot = data_[size_t(*it)];
    if (!slot) {
        zip_stat_t st;
        if (zip_stat_index(reader_.get(), zip_uint64_t(*it), ZIP_FL_ENC_GUESS, &st) != 0)
            throw NotPackage(displayName_, QStringLiteral("the part %1 cannot be read").arg(name));
        slot = names_[size_t(*it)].endsWith(u'/')
                   ? QByteArray()
                   : InflateEntry(reader_.get(), zip_uint64_t(*it), st, displayName_, budget_);
    }
    return &*slot;
}

void Package::SetPart(const QString& name, QByteArray bytes) {
    auto it = index_.constFind(name.toLower());
    const QString stored = it == index_.constEnd() ? name : names_[size_t(*it)];
    pending_[stored] = std::move(bytes);
}

QByteArray Package::Serialize() const {
    if (pending_.empty())
        return raw_;
    auto fail = [](const QString& why) {
        return ZorvError(EngSaveFailed,
                         QStringLiteral("The document could not be written: %1.").arg(why));
    };
    // The base archive is read as it is; a new archive is written into an empty buffer,
    // unchanged entries copied compressed, so their bytes stay exactly the same.
    zip_t* in = reader_.get();
    zip_error_t zerr;
    zip_error_init(&zerr);
    ZipSourcePtr outSrc(zip_source_buffer_create(nullptr, 0, 0, &zerr));
    zip_error_fini(&zerr);
    if (!outSrc)
        throw fail(QStringLiteral("out of memory"));
    zip_error_init(&zerr);
    ZipPtr out(zip_open_from_source(outSrc.get(), ZIP_TRUNCATE, &zerr));
    zip_error_fini(&zerr);
    if (!out)
        throw fail(QStringLiteral("out of memory"));
    zip_source_keep(outSrc.get()); // read back after the archive is closed

    auto add = [&](const QByteArray& utf8, zip_source_t* data, zip_int32_t method) {
        if (!data)
            throw fail(QString::fromUtf8(zip_strerror(out.get())));
        const zip_int64_t idx = zip_file_add(out.get(), utf8.constData(), data, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(data);
            throw fail(QString::fromUtf8(zip_strerror(out.get())));
        }
        zip_set_file_compression(out.get(), zip_uint64_t(idx), method,
                                 method == ZIP_CM_STORE ? 0 : 1);
    };
    QSet<QString> written;
    const zip_int64_t count = zip_get_num_entries(in, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(in, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0)
            throw fail(QStringLiteral("the package cannot be reopened"));
        const QString name = QString::fromUtf8(st.name);
        const QByteArray utf8 = name.toUtf8();
        auto p = pending_.find(name);
        if (p != pending_.end()) {
            add(utf8,
                zip_source_buffer(out.get(), p->second.constData(), zip_uint64_t(p->second.size()),
                                  0),
                ZIP_CM_DEFLATE);
            written.insert(name);
        } else {
            add(utf8, zip_source_zip(out.get(), in, zip_uint64_t(i), ZIP_FL_COMPRESSED, 0, -1),
                st.comp_method == ZIP_CM_STORE ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
        }
    }
    for (const auto& [name, bytes] : pending_)
        if (!written.contains(name))
            add(name.toUtf8(),
                zip_source_buffer(out.get(), bytes.constData(), zip_uint64_t(bytes.size()), 0),
                ZIP_CM_DEFLATE);
    if (zip_close(out.get()) != 0)
        throw fail(QString::fromUtf8(zip_strerror(out.get())));
    out.release(); // closed
    if (zip_source_open(outSrc.get()) != 0)
        throw fail(QStringLiteral("the written package cannot be read back"));
    QByteArray bytes;
    char chunk[65536];
    zip_int64_t n;
    while ((n = zip_source_read(outSrc.get(), chunk, sizeof chunk)) > 0)
        bytes.append(chunk, qsizetype(n));
    zip_source_close(outSrc.get());
    if (n < 0)
        throw fail(QStringLiteral("the written package cannot be read back"));
    return bytes;
}

void Package::Rebase(QByteArray bytes) {
    // The written archive has the old entries in their order, then the new ones.
    QByteArray oldRaw = std::move(raw_);
    std::unique_ptr<zip, ZipCloser> old = std::move(reader_);
    raw_ = std::move(bytes);
    try {
        OpenReader(displayName_);
    } catch (...) {
        raw_ = std::move(oldRaw);
        reader_ = std::move(old);
        throw;
    }
    for (auto& [name, data] : pending_) {
        auto it = index_.constFind(name.toLower());
        if (it == index_.constEnd()) {
            index_.insert(name.toLower(), int(names_.size()));
            names_.push_back(name);
            data_.emplace_back(std::move(data));
        } else {
            data_[size_t(*it)] = std::move(data);
        }
    }
    pending_.clear();
}

QString ResolvePartTarget(const QString& source, const QString& target) {
    if (target.isEmpty() || target.contains(u':') || target.contains(u'\\'))
        return {};
    QStringList parts;
    if (!target.startsWith(u'/')) {
        parts = source.split(u'/');
        parts.removeLast(); // the source part's own name
    }
    for (const QString& seg : target.split(u'/', Qt::SkipEmptyParts)) {
        if (seg == u".")
            continue;
        if (seg == u"..") {
            if (parts.isEmpty())
                return {};
            parts.removeLast();
            continue;
        }
        parts << seg;
    }
    return parts.join(u'/');
}

} // namespace zorv::wordengine
