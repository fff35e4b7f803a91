#include "ParserPrograms.h"

#include "FuncLib.h"
#include "Platform.h"

namespace zorv {

QString ParserPrograms::Server() const {
    if (!server.isEmpty())
        return server;
    return ProgramDir() + PathSeparator() + ImageName(QStringLiteral("ZorvPr.exe"));
}

QString ParserPrograms::KillUtility() const {
    if (!killUtility.isEmpty())
        return killUtility;
    return GetSystemDir() + ImageName(QStringLiteral("ZorvKPN.exe"));
}

} // namespace zorv
