// The platform choices that differ between Windows and POSIX, each kept in one place.
#pragma once

#include <QString>

namespace zorv {

// The separator that composed paths use: "\" on Windows, "/" elsewhere.
QChar PathSeparator();

// A fixed Windows image name as this platform spells it: "ZorvPr.exe" stays as it is on
// Windows and becomes "ZorvPr" elsewhere.
QString ImageName(const QString& windowsImageName);

// The folder of the running executable, without a trailing separator.
QString ProgramDir();

} // namespace zorv
