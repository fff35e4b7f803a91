// .doc through LibreOffice: sniffing the real type, the converted working copy and the
// atomic way back.
#include "LegacyFormats.h"

#include "AtomicSave.h"
#include "DocxDocument.h"
#include "FileSignature.h"
#include "OfficeConverter.h"
#include "WordEngine.h"
#include "ZorvError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zorv::wordengine {
namespace {

constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

QString Describe(const QString& path) {
    return QStringLiteral("the Word 97-2003 (.doc) document %1").arg(path);
}

QByteArray FileHash(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

LegacyFormat SniffLegacyFormat(const QString& path, const QByteArray& head) {
    const QString ext = QFileInfo(path).suffix().toLower();
    const bool legacyName = ext == u"doc" || ext == u"dot" || ext == u"rtf";
    const input::Signature signature = input::SniffSignature(head);
    if (signature == input::Signature::Rtf)
        return LegacyFormat::Rtf;
    if (signature == input::Signature::Ole || signature == input::Signature::EncryptedOle)
        return legacyName ? LegacyFormat::Doc : LegacyFormat::None;
    if (legacyName && signature != input::Signature::Zip)
        throw ZorvError(EngNotAPackage,
                        QStringLiteral("The file %1 is not a Word 97-2003 (.doc), Rich Text "
                                       "(.rtf) or Word (.docx) document, or it is damaged.")
                            .arg(path));
    return LegacyFormat::None; // a package under an old name is read as what it is
}

LegacyCopy::LegacyCopy(std::shared_ptr<OfficeConverter> office, const QString& path)
    : office_(std::move(office)), path_(path) {
    const QString what = Describe(path);
    if (office_->Program().isEmpty())
        throw ZorvError(EngOfficeMissing,
                        OfficeFailureText(OfficeConverter::Status::NoOffice, what));
    if (QFileInfo(path).size() > kMaxFileSize)
        throw ZorvError(EngUnsafePackage,
                        QStringLiteral("The file %1 is too large for a Word document.").arg(path));
    folder_ = office_->NewWorkFolder();
    if (folder_.isEmpty())
        throw ZorvError(EngConversionFailed,
                        OfficeFailureText(OfficeConverter::Status::NoFolder, what));
    // Named by its real type, so that the office picks the right reader.
    const QString input = folder_ + QStringLiteral("/document.doc");
    if (!QFile::copy(path, input))
        throw ZorvError(EngFileNotFound,
                        QStringLiteral("The file %1 could not be found or read.").arg(path));
    const OfficeConverter::Result r = office_->Convert(
        input, QStringLiteral("docx:MS Word 2007 XML"), QStringLiteral("docx"), folder_);
    QFile::remove(input);
    if (r.status != OfficeConverter::Status::Converted)
        throw ZorvError(r.status == OfficeConverter::Status::NoOffice ? EngOfficeMissing
                                                                      : EngConversionFailed,
                        OfficeFailureText(r.status, what));
    working_ = r.outputPath;
    writtenHash_ = FileHash(working_);
}

LegacyCopy::~LegacyCopy() {
    if (!folder_.isEmpty())
        QDir(folder_).removeRecursively();
}

std::unique_ptr<DocxDocument> LegacyCopy::LoadWorkingCopy() const {
    try {
        return DocxDocument::Load(working_);
    } catch (const ZorvError& e) {
        throw ZorvError(e.Number(), QStringLiteral("LibreOffice's conversion of %1 could not be "
                                                   "read: %2")
                                        .arg(Describe(path_), e.Description()));
    }
}

void LegacyCopy::WriteBack() {
    const QByteArray hash = FileHash(working_);
    if (!hash.isEmpty() && hash == writtenHash_)
        return;
    const QString outDir = folder_ + QStringLiteral("/back");
    if (!QDir().mkpath(outDir))
        throw ZorvError(EngSaveFailed, QStringLiteral("The document %1 could not be saved: no "
                                                      "temporary folder.")
                                           .arg(path_));
    const OfficeConverter::Result r =
        office_->Convert(working_, QStringLiteral("doc:MS Word 97"), QStringLiteral("doc"), outDir);
    if (r.status != OfficeConverter::Status::Converted)
        throw ZorvError(
            EngSaveFailed,
            QStringLiteral("The document %1 could not be saved: %2")
                .arg(path_, OfficeFailureText(
                                r.status, QStringLiteral("the working copy back to its format"))));
    QFile converted(r.outputPath);
    if (!converted.open(QIODevice::ReadOnly))
        throw ZorvError(EngSaveFailed, QStringLiteral("The document %1 could not be saved: %2.")
                                           .arg(path_, converted.errorString()));
    const QByteArray bytes = converted.readAll();
    converted.close();
    QFile::remove(r.outputPath);
    SaveFileAtomically(path_, bytes);
    writtenHash_ = hash;
}

std::unique_ptr<LegacyCopy> OpenLegacyCopy(std::shared_ptr<OfficeConverter> office,
                                           const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr; // the package reader says what is wrong with it
    const QByteArray head = file.read(8);
    file.close();
    if (SniffLegacyFormat(path, head) != LegacyFormat::Doc)
        return nullptr;
    return std::make_unique<LegacyCopy>(std::move(office), path);
}

} // namespace zorv::wordengine
