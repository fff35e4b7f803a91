// Word 97-2003 documents (.doc) through LibreOffice headless: the office turns the file
// into .docx in a private folder and the .docx reader takes it from there. One private
// office profile serves every conversion of this process.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArray>
#include <QString>

namespace zorv::rp::convert {

ActionResult DocToText(const QByteArray& bytes);

// The office program found on the search path (the soffice binary itself where it lies
// beside the launcher), or "" when LibreOffice is not installed.
QString FindOfficeProgram();

// Replaces the office program for the rest of the process; "" restores the search.
void SetOfficeProgram(const QString& program);

// How long one conversion may run before the office is ended.
inline constexpr int kOfficeTimeLimitMs = 90 * 1000;

} // namespace zorv::rp::convert
