// The registry algorithms shared by every platform; the calls themselves are in RegPlatform.h.
#include "RegFuncs.h"

#include "FuncLib.h"
#include "RegPlatform.h"

#include <QByteArray>

namespace zorv {
namespace {

// The expansion buffer of the classic call. A longer expansion is read again with the size
// the call asked for, so that it is returned whole rather than cut.
constexpr std::uint32_t kExpansionChars = 1024;

// A value larger than this is not a path; refusing it keeps a corrupt registry from
// asking for gigabytes.
constexpr std::uint32_t kMaxValueBytes = 64u * 1024u * 1024u;

QString ExpandReferences(const QString& text) {
    QByteArray buffer(kExpansionChars, '\0');
    std::uint32_t needed = regplatform::ExpandEnvironment(text, buffer.data(), kExpansionChars);
    // The environment may grow between two calls; a few rounds settle it.
    for (int round = 0; round < 4 && needed > static_cast<std::uint32_t>(buffer.size()); ++round) {
        if (needed > kMaxValueBytes)
            return text;
        buffer = QByteArray(static_cast<qsizetype>(needed), '\0');
        needed = regplatform::ExpandEnvironment(text, buffer.data(), needed);
    }
    if (needed == 0 || needed > static_cast<std::uint32_t>(buffer.size()))
        return text;
    return TrimAtNull(QString::fromLocal8Bit(buffer));
}

} // namespace

bool OpenRegKey(RegKeyHandle root, const QString& subkey, RegKeyHandle& key) {
    RegKeyHandle opened = 0;
    if (!regplatform::OpenKey(root, subkey, opened))
        return false;
    key = opened;
    return true;
}

void CloseRegKey(RegKeyHandle key) {
    regplatform::CloseKey(key);
}

bool RegQueryString(RegKeyHandle key, const QString& name, QString& value) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (!regplatform::QueryValue(key, name, type, nullptr, size))
        return false;
    if (type != kRegSz && type != kRegExpandSz)
        return false;
    if (size > kMaxValueBytes)
        return false;

    QByteArray buffer(static_cast<qsizetype>(size), ' ');
    std::uint32_t readType = 0;
    std::uint32_t readSize = size;
    if (!regplatform::QueryValue(key, name, readType, buffer.data(), readSize))
        return false;
    buffer.truncate(static_cast<qsizetype>(readSize));

    QString text = TrimAtNull(QString::fromLocal8Bit(buffer));
    if (type == kRegExpandSz)
        text = ExpandReferences(text);
    value = text;
    return true;
}

QString CurrentVersionKey() {
    return QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
}

QString GetAppPath(const QString& exe) {
    const QString subkey = CurrentVersionKey() + QStringLiteral("\\App Paths\\") + exe;
    RegKeyHandle key = 0;
    if (!OpenRegKey(kHKeyLocalMachine, subkey, key))
        return QString();
    QString registered;
    const bool read = RegQueryString(key, QString(), registered);
    CloseRegKey(key);
    if (!read)
        return QString();

    qsizetype cut = registered.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        cut = registered.lastIndexOf(QLatin1Char('/'));
    if (cut < 0)
        return QString();
    QString folder = registered.left(cut + 1);
    if (folder.startsWith(QLatin1Char('"')))
        folder.remove(0, 1);
    return folder;
}

} // namespace zorv
