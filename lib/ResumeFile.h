// The one check of a resume file before anything reads it, with the one set of messages
// every front end and the parser server show, and the resume types the converters read.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace zorv {

// The largest resume file the programs take on.
inline constexpr std::int64_t kBytesPerMiB = 1024 * 1024;
inline constexpr std::int64_t kMaxResumeBytes = 50 * kBytesPerMiB;

// The window's own two checks: a path is given and names something that exists. Everything
// else about the file is the parser's to report, as "Error processing resume." with its cause.
QString ResumeFileGiven(const QString& path);

// Why the file cannot be handed to a converter, in a message that names it: not given, not
// there, not a regular file, empty, over kMaxResumeBytes, or not readable. "" when it can.
QString ResumeFileProblem(const QString& path);

// Checks the file as ResumeFileProblem does and reads it into `bytes`: at most
// kMaxResumeBytes + 1 bytes, since the file may grow after the check. The problem, or "".
QString ReadResumeFile(const QString& path, QByteArray& bytes);

// The extensions of the resume types, lower case, without the dot; scans last.
const QStringList& ResumeExtensions();

} // namespace zorv
