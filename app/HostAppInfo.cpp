#include "HostAppInfo.h"

#include "FuncLib.h"
#include "Platform.h"
#include "ZorvError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zorv {
namespace {

const QString kGroup = QStringLiteral("HostAppInfo");
const QString kDefaultDatabaseName = QStringLiteral("ZorvOne");

QString WithSeparator(const QString& folder) {
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + PathSeparator();
}

QString DefaultDataPath() {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return WithSeparator(QDir::toNativeSeparators(home)) + QStringLiteral("ZorvOne") +
           PathSeparator();
}

// The key's value from the host's settings file, or "" when the host is not installed, the
// file is missing or the key is blank.
QString HostSetting(const QString& HostAppPath, const QString& key) {
    const QString file = HostSettingsFile(HostAppPath);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return QString();
    QSettings settings(file, QSettings::IniFormat);
    const QVariant raw = settings.value(kGroup + QLatin1Char('/') + key);
    // An unquoted value holding commas reads back as a list; it was one string.
    const QString value = raw.typeId() == QMetaType::QStringList
                              ? raw.toStringList().join(QStringLiteral(", "))
                              : raw.toString();
    if (settings.status() != QSettings::NoError || !QFileInfo(file).isFile())
        throw ZorvError(ErrFileNotFound,
                        QStringLiteral("The host's settings file could not be read: ") + file);
    return IsBlank(value) ? QString() : value;
}

} // namespace

QString HostSettingsFile(const QString& HostAppPath) {
    if (IsBlank(HostAppPath))
        return QString();
    return WithSeparator(HostAppPath) + QStringLiteral("HostAppInfo.ini");
}

QString HostAppInfo::GetDataPath(const QString& HostAppPath) const {
    const QString configured = HostSetting(HostAppPath, QStringLiteral("DataPath"));
    if (configured.isEmpty())
        return DefaultDataPath();
    if (QFileInfo(configured).isRelative())
        return WithSeparator(
            QDir::toNativeSeparators(QDir(HostAppPath).absoluteFilePath(configured)));
    return WithSeparator(configured);
}

QString HostAppInfo::GetDatabaseName(const QString& HostAppPath, const QString&) const {
    const QString configured = HostSetting(HostAppPath, QStringLiteral("DatabaseName"));
    return configured.isEmpty() ? kDefaultDatabaseName : configured;
}

} // namespace zorv
