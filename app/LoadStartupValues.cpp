#include "LoadStartupValues.h"

#include "HostAppInfo.h"
#include "Platform.h"
#include "RegFuncs.h"

namespace zorv {

StartupValues LoadStartupValues() {
    const HostAppInfo host;
    StartupValues v;
    // The App Paths key carries the Windows image name on every platform.
    v.HostAppPath = GetAppPath(QStringLiteral("ZorvOne.exe"));
    v.DataPath = host.GetDataPath(v.HostAppPath);
    v.CustomizePath = v.DataPath + QStringLiteral("Customize") + PathSeparator();
    v.DatabaseName = host.GetDatabaseName(v.HostAppPath, v.DataPath);
    return v;
}

} // namespace zorv
