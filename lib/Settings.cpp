#include "Settings.h"

#include "ZorvError.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

namespace zorv {
namespace {

std::unique_ptr<QSettings> Open(const QString& appName) {
#ifdef _WIN32
    return std::make_unique<QSettings>(SettingsLocation(appName), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(SettingsLocation(appName), QSettings::IniFormat);
#endif
}

QString GroupKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

} // namespace

QString SettingsLocation(const QString& appName) {
#ifdef _WIN32
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + appName;
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + appName + QStringLiteral(".ini");
#endif
}

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
    auto settings = Open(appName);
    const QVariant v = settings->value(GroupKey(section, key));
    if (!v.isValid())
        return defaultValue;
    // An unquoted value holding commas reads back as a list; it was one string.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
    auto settings = Open(appName);
    settings->setValue(GroupKey(section, key), value);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw ZorvError(ErrInvalidCall, QStringLiteral("The setting could not be written to ") +
                                            SettingsLocation(appName) + QLatin1Char('.'));
}

} // namespace zorv
