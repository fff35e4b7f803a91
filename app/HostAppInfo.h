// Our stand-in for the host application's component that knows where the host keeps its data:
// the data folder and the database name.
//
// When the host is installed (its installation folder is known), both come from the settings
// file "HostAppInfo.ini" in that folder, group [HostAppInfo], keys DataPath and DatabaseName
// (a relative DataPath is taken from the installation folder). A host that is not installed,
// a missing file or a blank key gives the per-user defaults: the data folder
// <XDG data home>/ZorvOne/ and the database name "ZorvOne".
#pragma once

#include <QString>

namespace zorv {

class HostAppInfo {
public:
    // The host's data folder, ending in a separator. Throws ZorvError when the host's
    // settings file is there but cannot be read.
    QString GetDataPath(const QString& HostAppPath) const;
    // The host's database name. Throws ZorvError as GetDataPath does.
    QString GetDatabaseName(const QString& HostAppPath, const QString& DataPath) const;
};

// The settings file of an installed host, or "" when the host is not installed.
QString HostSettingsFile(const QString& HostAppPath);

} // namespace zorv
