// The resume parser's work, callable in process: Convert turns a resume file into text,
// Parse turns that text into an HR-XML 2.5 Resume document. The ZorvPr server wraps these
// for its clients; qarn and the benchmarks call them directly.
#pragma once

#include <QString>
#include <functional>

namespace zorv::rp {

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
};

struct ActionResult {
    bool ok = false;
    QString text;    // Convert: the resume's content; Parse/Extract: the HR-XML document
    QString message; // why it failed, for the Done event's Msg
};

// Receives a slow action's progress lines ("OCR: page 2 of 3"); called from any thread.
using ProgressSink = std::function<void(const QString&)>;

// "Convert": the text of settings.ResumeFileName (any supported format, scans by OCR in the
// languages of settings.ResumeCountry).
ActionResult ConvertResume(const ParserSettings& settings, const ProgressSink& progress = {});

// "Parse" (contactOnly false) or "Extract" (contactOnly true): HR-XML from
// settings.ResumeContent. Writes no file.
ActionResult ParseResume(const ParserSettings& settings, bool contactOnly);

} // namespace zorv::rp
