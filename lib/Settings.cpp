#include "Settings.h"

#include "ZorvError.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <memory>
#include <optional>

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

#ifndef _WIN32
// The text after "key=" in [section] of the INI file as it stands, or nullopt. QSettings
// reads an unquoted value as a list when it holds a comma, cuts it at a ";" and trims it;
// a value written by hand (or by the host) is one plain string.
std::optional<QString> RawIniValue(const QString& file, const QString& section,
                                   const QString& key) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    bool inSection = false;
    while (!in.atEnd()) {
        QString line = QString::fromUtf8(in.readLine());
        line.remove(QLatin1Char('\n'));
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.trimmed() == header;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq < 0 || line.left(eq).trimmed() != key)
            continue;
        QString value = line.mid(eq + 1);
        while (value.startsWith(QLatin1Char(' ')) || value.startsWith(QLatin1Char('\t')))
            value.remove(0, 1);
        return value;
    }
    return std::nullopt;
}

// True when QSettings' reading is the faithful one: a value QSettings wrote itself, quoted
// or escaped, or one of its typed values.
bool WrittenByQSettings(const QString& raw) {
    return raw.startsWith(QLatin1Char('"')) || raw.startsWith(QLatin1Char('@')) ||
           raw.contains(QLatin1Char('\\'));
}
#endif

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
#ifndef _WIN32
    const std::optional<QString> raw = RawIniValue(settings->fileName(), section, key);
    if (raw && !WrittenByQSettings(*raw))
        return *raw;
#endif
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
