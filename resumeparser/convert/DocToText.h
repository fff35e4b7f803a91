// Word 97-2003 documents (.doc) through LibreOffice headless: the shared office converter
// turns the file into .docx in a private folder and the .docx reader takes it from there.
// One converter, with one private office profile, serves every conversion of this process.
#pragma once

#include "OfficeConverter.h"
#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

ActionResult DocToText(const QByteArray& bytes);

// The office program and its time limit are those of the shared converter.
using zorv::FindOfficeProgram;
using zorv::kOfficeTimeLimitMs;

} // namespace zorv::rp::convert
