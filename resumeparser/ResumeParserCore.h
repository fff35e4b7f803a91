// The resume parser's work, callable in process: Convert turns a resume file into text,
// Parse turns that text into an HR-XML 2.5 Resume document. The ZorvPr server wraps these
// for its clients; qarn and the benchmarks call them directly.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace zorv::rp {

// One line of a converted resume as its document sets it. The text resume stays plain text;
// this lies beside it for the parser (the name is the largest text at the top of page one;
// an e-mail address may stand only in a link).
struct LayoutLine {
    QString text;        // the line as the converted text holds it
    double fontSize = 0; // largest font size on the line, in points; 0: unknown
    bool bold = false;   // every letter of the line is bold
    int page = 0;        // from 0; formats without pages put everything on page 0
    double top = 0;      // distance from the page's top in points, or the line's order
    double left = 0;     // distance from the page's left edge in points; 0: unknown
    QStringList links;   // targets of links on the line: "mailto:...", "https://..."
};

struct DocumentLayout {
    std::vector<LayoutLine> lines;
};

// The parser object's settings, as its client sets them before an action.
struct ParserSettings {
    QString TableName;
    QString SingularName;
    QString ResumeFileName;
    QString XMLResumeFileName;
    QString ResumeContent;
    bool PutResumeContentInXML = false;
    bool CleanupPhoneNumbers = false;
    QString DatabaseName;
    QString DataPath;
    QString CustomizePath;
    bool UseFullParser = false;
    bool ParseContactInfoOnly = false;
    QString ResumeCountry;
    bool DebugMode = false;
    // The layout of ResumeContent when it is a converter's text; null for text from outside.
    std::shared_ptr<const DocumentLayout> Layout = {};
};

struct ActionResult {
    bool ok = false;
    QString text;    // Convert: the resume's content; Parse/Extract: the HR-XML document
    QString message; // why it failed, for the Done event's Msg
    std::shared_ptr<const DocumentLayout> layout = {}; // Convert: the text's layout, when known
};

// Receives a slow action's progress lines ("OCR: page 2 of 3"); called from any thread.
using ProgressSink = std::function<void(const QString&)>;

// "Convert": the text of settings.ResumeFileName (any supported format, scans by OCR in the
// languages of settings.ResumeCountry), with its layout for the formats that have one (PDF,
// .docx, HTML, scans).
ActionResult ConvertResume(const ParserSettings& settings, const ProgressSink& progress = {});

// "Parse" (contactOnly false) or "Extract" (contactOnly true): HR-XML from
// settings.ResumeContent. Writes no file. settings.Layout, when given, lends its lines'
// font sizes and links to the lines of the same text.
ActionResult ParseResume(const ParserSettings& settings, bool contactOnly);

} // namespace zorv::rp
