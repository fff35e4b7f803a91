// The server's actions around the in-process parser: the checks of what a try was given,
// and the HR-XML file that "Parse" leaves behind.
#pragma once

#include "ResumeParserCore.h"

#include <QString>

namespace zorv::rp {

// The HR-XML file that "Parse" writes for a given XMLResumeFileName.
QString HRXMLFileFor(const QString& xmlResumeFileName);

// Writes the HR-XML text as UTF-8 through a temporary file renamed into place. On failure
// returns false with the reason in `error`; any earlier file stays as it was.
bool WriteHRXMLFile(const QString& path, const QString& xml, QString& error);

// Runs "Convert", "Parse" or "Extract" with its checks; never throws. `progress` receives
// the progress lines of a slow conversion (OCR).
ActionResult RunServerAction(const QString& what, const ParserSettings& settings,
                             const ProgressSink& progress = {});

} // namespace zorv::rp
