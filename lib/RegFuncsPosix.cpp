// The registry calls on POSIX, over the machine-wide hive file. An open key is an entry of a
// process-wide table holding the key's path and a snapshot of its values, as the system's own
// handle table would.
#ifndef _WIN32

#include "RegPlatform.h"
#include "RegistryHive.h"

#include <QByteArray>
#include <cstring>
#include <map>
#include <mutex>

namespace zorv {
namespace {

// The machine-wide hive: the one place that names it.
const QString kMachineHivePath = QStringLiteral("/etc/zorv/registry.reg");
const QString kLocalMachineName = QStringLiteral("HKEY_LOCAL_MACHINE");

struct OpenKeyEntry {
    QString path;
    RegistryHive::Values values;
};

struct KeyTable {
    std::mutex mutex;
    QString hivePath = kMachineHivePath;
    std::map<RegKeyHandle, OpenKeyEntry> open;
    RegKeyHandle next = 1;
};

KeyTable& Table() {
    static KeyTable table;
    return table;
}

// The bytes an ANSI query returns: strings as local 8-bit text with their NUL.
QByteArray DataOf(const RegValue& v) {
    if (v.type == kRegSz || v.type == kRegExpandSz) {
        QByteArray bytes = v.text.toLocal8Bit();
        bytes.append('\0');
        return bytes;
    }
    return v.bytes;
}

// %NAME% references replaced by the environment variable NAME; a reference to a variable that
// is not set, and a lone %, stay as they are.
QString Expand(const QString& source) {
    QString out;
    qsizetype pos = 0;
    while (pos < source.size()) {
        const qsizetype open = source.indexOf(QLatin1Char('%'), pos);
        if (open < 0) {
            out += source.mid(pos);
            break;
        }
        out += source.mid(pos, open - pos);
        const qsizetype close = source.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += source.mid(open);
            break;
        }
        const QString name = source.mid(open + 1, close - open - 1);
        const QByteArray key = name.toLocal8Bit();
        if (!name.isEmpty() && !key.contains('=') && qEnvironmentVariableIsSet(key.constData())) {
            out += qEnvironmentVariable(key.constData());
            pos = close + 1;
        } else {
            // Not a reference: keep the first % and look for one starting at the second.
            out += QLatin1Char('%') + name;
            pos = close;
        }
    }
    return out;
}

} // namespace

QString DefaultRegistryHivePath() {
    return kMachineHivePath;
}

void SetRegistryHivePath(const QString& path) {
    KeyTable& t = Table();
    std::lock_guard lock(t.mutex);
    t.hivePath = path.isEmpty() ? kMachineHivePath : path;
}

QString RegistryHivePath() {
    KeyTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.hivePath;
}

namespace regplatform {

bool OpenKey(RegKeyHandle root, const QString& subkey, RegKeyHandle& key) {
    KeyTable& t = Table();
    std::lock_guard lock(t.mutex);
    QString path;
    if (root == kHKeyLocalMachine) {
        path = kLocalMachineName;
    } else {
        const auto it = t.open.find(root);
        if (it == t.open.end())
            return false;
        path = it->second.path;
    }
    if (!subkey.isEmpty())
        path += QLatin1Char('\\') + subkey;

    const RegistryHive hive = RegistryHive::Load(t.hivePath);
    if (!hive.HasKey(path))
        return false;
    key = t.next++;
    t.open[key] = OpenKeyEntry{path, hive.ValuesOf(path)};
    return true;
}

void CloseKey(RegKeyHandle key) {
    KeyTable& t = Table();
    std::lock_guard lock(t.mutex);
    t.open.erase(key);
}

bool QueryValue(RegKeyHandle key, const QString& name, std::uint32_t& type, char* data,
                std::uint32_t& size) {
    KeyTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto entry = t.open.find(key);
    if (entry == t.open.end())
        return false;
    const auto value = entry->second.values.find(name.toCaseFolded());
    if (value == entry->second.values.end())
        return false;
    const QByteArray bytes = DataOf(value->second);
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data) {
        if (needed > size)
            return false;
        std::memcpy(data, bytes.constData(), bytes.size());
    }
    type = value->second.type;
    size = needed;
    return true;
}

std::uint32_t ExpandEnvironment(const QString& source, char* destination, std::uint32_t capacity) {
    QByteArray bytes = Expand(source).toLocal8Bit();
    bytes.append('\0');
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (needed <= capacity)
        std::memcpy(destination, bytes.constData(), bytes.size());
    return needed;
}

} // namespace regplatform
} // namespace zorv

#endif // !_WIN32
