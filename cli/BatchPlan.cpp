#include "BatchPlan.h"

#include "FuncLib.h"
#include "ResumeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace zorv::cli {
namespace {

// What an earlier run wrote into a folder: outputs (`x_QX.docx`, `x_QX_2.docx`) and their PDF
// copies; a folder scanned again must not take them for resumes.
bool IsOurOutput(const QFileInfo& file) {
    static const QRegularExpression output(QStringLiteral("_QX(_[0-9]+)?$"));
    return output.match(file.completeBaseName()).hasMatch();
}

bool IsResumeFile(const QFileInfo& file) {
    return file.isFile() && !file.isHidden() &&
           ResumeExtensions().contains(file.suffix().toLower()) && !IsOurOutput(file);
}

} // namespace

QStringList CollectResumes(const QStringList& arguments, bool recursive, const QString& exclude,
                           QStringList& missing) {
    const QString excluded = QFileInfo(exclude).absoluteFilePath();
    QSet<QString> found;
    for (const QString& argument : arguments) {
        const QFileInfo info(argument);
        if (info.isFile()) {
            found.insert(info.absoluteFilePath());
        } else if (info.isDir()) {
            QDirIterator it(info.absoluteFilePath(), QDir::Files | QDir::NoDotAndDotDot,
                            recursive ? QDirIterator::Subdirectories
                                      : QDirIterator::NoIteratorFlags);
            while (it.hasNext()) {
                const QFileInfo file(it.next());
                if (IsResumeFile(file) && file.absoluteFilePath() != excluded)
                    found.insert(file.absoluteFilePath());
            }
        } else {
            missing << argument;
        }
    }
    QStringList sorted(found.begin(), found.end());
    std::sort(sorted.begin(), sorted.end()); // by code points: the same on every machine
    return sorted;
}

std::vector<BatchItem> NameOutputs(const QStringList& resumes, const QString& outDir,
                                   const QString& extension) {
    std::vector<BatchItem> items;
    QSet<QString> taken;
    const QString absoluteOut = outDir.isEmpty() ? QString() : QDir(outDir).absolutePath();
    for (const QString& resume : resumes) {
        const QFileInfo info(resume);
        const QString dir = absoluteOut.isEmpty() ? info.absolutePath() : absoluteOut;
        const QString base =
            dir + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("_QX");
        QString output = base + QLatin1Char('.') + extension;
        for (int n = 2; taken.contains(output); ++n)
            output = base + QLatin1Char('_') + QString::number(n) + QLatin1Char('.') + extension;
        taken.insert(output);
        items.push_back({resume, output});
    }
    return items;
}

bool ParseShard(const QString& text, int& k, int& n) {
    static const QRegularExpression shape(QStringLiteral("^([0-9]{1,9})/([0-9]{1,9})$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return false;
    k = m.captured(1).toInt();
    n = m.captured(2).toInt();
    return n >= 1 && k >= 1 && k <= n;
}

std::vector<BatchItem> ShardSlice(const std::vector<BatchItem>& items, int k, int n) {
    const auto bound = [&](int slice) {
        return static_cast<std::ptrdiff_t>(static_cast<long long>(items.size()) * slice / n);
    };
    return std::vector<BatchItem>(items.begin() + bound(k - 1), items.begin() + bound(k));
}

QString PdfPathFor(const QString& output) {
    return StripFileExt(output) + QStringLiteral(".pdf");
}

QString HRXMLCopyPathFor(const QString& output) {
    return StripFileExt(output) + QStringLiteral("_HRXML.XML");
}

} // namespace zorv::cli
