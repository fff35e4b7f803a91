// .doc resumes: converted to .docx by the shared office converter, then read as .docx.
#include "DocToText.h"

#include "ConvertText.h"
#include "DocxToText.h"

#include <QDir>
#include <QFile>

namespace zorv::rp::convert {
namespace {

// The process's one converter: its private profile is set up once and removed at exit.
zorv::OfficeConverter& Office() {
    static zorv::OfficeConverter office;
    return office;
}

} // namespace

ActionResult DocToText(const QByteArray& bytes) {
    using Status = zorv::OfficeConverter::Status;
    const QString work = Office().NewWorkFolder();
    if (work.isEmpty())
        return Failed(QStringLiteral("No temporary folder for converting the .doc document."));
    struct RemoveWork {
        QString path;
        ~RemoveWork() { QDir(path).removeRecursively(); }
    } removeWork{work};
    const QString input = work + QStringLiteral("/resume.doc");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return Failed(QStringLiteral("The .doc document could not be copied for conversion."));
    }
    const zorv::OfficeConverter::Result r = Office().Convert(
        input, QStringLiteral("docx:MS Word 2007 XML"), QStringLiteral("docx"), work);
    switch (r.status) {
    case Status::Converted:
        break;
    case Status::NoOffice:
        return Failed(QStringLiteral("Word 97-2003 documents (.doc) need LibreOffice, which is "
                                     "not installed."));
    case Status::NoFolder:
        return Failed(QStringLiteral("No temporary folder for converting the .doc document."));
    case Status::NotStarted:
        return Failed(QStringLiteral("LibreOffice could not be started to read the .doc "
                                     "document."));
    case Status::TimedOut:
        return Failed(QStringLiteral("LibreOffice did not finish reading the .doc document "
                                     "within %1 seconds.")
                          .arg(zorv::kOfficeTimeLimitMs / 1000));
    case Status::NotConverted:
        return Failed(QStringLiteral("LibreOffice could not read the .doc document (it may be "
                                     "damaged or protected by a password)."));
    }
    QFile output(r.outputPath);
    if (!output.open(QIODevice::ReadOnly))
        return Failed(QStringLiteral("LibreOffice could not read the .doc document (it may be "
                                     "damaged or protected by a password)."));
    const QByteArray docx = output.read(kMaxResumeBytes + 1);
    return DocxToText(docx);
}

} // namespace zorv::rp::convert
