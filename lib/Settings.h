// The per-user settings store: string values by application, section and key.
// POSIX: one INI file per application, <XDG_CONFIG_HOME or ~/.config>/<application>.ini,
// sections as groups. Windows: HKEY_CURRENT_USER\Software\VB and VBA Program Settings.
#pragma once

#include <QString>

namespace zorv {

// The value, or defaultValue when it is missing.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Writes the value and flushes it to the store.
void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);

// The file (or registry path) that holds an application's settings.
QString SettingsLocation(const QString& appName);

} // namespace zorv
