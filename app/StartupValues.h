// The host values the window fetches at load and every Create run hands to the parser.
#pragma once

#include <QString>

namespace zorv {

inline const QString SettingsAppName = QStringLiteral("ZorvOne");

struct StartupValues {
    QString HostAppPath;
    QString DataPath;
    QString CustomizePath;
    QString DatabaseName;
};

} // namespace zorv
