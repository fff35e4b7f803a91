#include "RegistryHive.h"

#include <QFile>
#include <QStringConverter>
#include <QStringList>
#include <optional>

namespace zorv {
namespace {

// A hive is a handful of keys; anything this large is not one.
constexpr qint64 kMaxHiveBytes = 16 * 1024 * 1024;

const QString kHeaderV5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeaderV4 = QStringLiteral("REGEDIT4");

enum class Flavour { Unicode, Ansi };

struct Malformed {};

QString Fold(const QString& s) {
    return s.toCaseFolded();
}

// 8-bit text: UTF-8 when it is valid UTF-8, Latin-1 otherwise.
QString DecodeEightBit(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QString DecodeUtf16Le(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[i]);
        const auto hi = static_cast<unsigned char>(bytes[i + 1]);
        text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
    }
    return text;
}

// The whole file as text, or nothing when it is not text in an accepted encoding.
std::optional<QString> DecodeFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        if (bytes.size() % 2 != 0)
            return std::nullopt;
        return DecodeUtf16Le(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return DecodeEightBit(bytes.mid(3));
    return DecodeEightBit(bytes);
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits.
std::uint32_t ParseHexNumber(const QString& digits) {
    if (digits.isEmpty() || digits.size() > 8)
        throw Malformed{};
    std::uint32_t n = 0;
    for (QChar c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            throw Malformed{};
        n = (n << 4) | static_cast<std::uint32_t>(d);
    }
    return n;
}

// "00,4a, ff" (possibly empty).
QByteArray ParseHexBytes(const QString& list) {
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (const QString& item : list.split(QLatin1Char(','))) {
        const QString digits = item.trimmed();
        if (digits.size() > 2)
            throw Malformed{};
        bytes.append(static_cast<char>(ParseHexNumber(digits)));
    }
    return bytes;
}

// A quoted string starting at `pos` (on its opening quote); leaves `pos` after the closing one.
QString ParseQuoted(const QString& line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        throw Malformed{};
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return out;
        }
        if (c == QLatin1Char('\\') && pos + 1 < line.size() &&
            (line[pos + 1] == QLatin1Char('\\') || line[pos + 1] == QLatin1Char('"'))) {
            out.append(line[++pos]);
            continue;
        }
        out.append(c);
    }
    throw Malformed{};
}

void SkipSpaces(const QString& line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == QLatin1Char(' ') || line[pos] == QLatin1Char('\t')))
        ++pos;
}

bool IsKnownRoot(const QString& keyPath) {
    static const QStringList roots = {
        QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("HKEY_CURRENT_USER"),
        QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("HKEY_USERS"),
        QStringLiteral("HKEY_CURRENT_CONFIG")};
    const QString root = keyPath.section(QLatin1Char('\\'), 0, 0);
    return roots.contains(root, Qt::CaseInsensitive);
}

// The data after "=": the value, or nothing for "-".
std::optional<RegValue> ParseData(const QString& line, qsizetype pos, Flavour flavour) {
    const QString rest = line.mid(pos);
    RegValue v;
    if (rest.startsWith(QLatin1Char('"'))) {
        qsizetype p = 0;
        v.type = 1;
        v.text = ParseQuoted(rest, p);
        if (!rest.mid(p).trimmed().isEmpty())
            throw Malformed{};
        return v;
    }
    if (rest.trimmed() == QLatin1String("-"))
        return std::nullopt;
    if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const std::uint32_t n = ParseHexNumber(rest.mid(6).trimmed());
        v.type = 4;
        for (int i = 0; i < 4; ++i)
            v.bytes.append(static_cast<char>((n >> (8 * i)) & 0xFF));
        return v;
    }
    QString list;
    if (rest.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        v.type = 3;
        list = rest.mid(4);
    } else if (rest.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)) {
        const qsizetype close = rest.indexOf(QLatin1String("):"));
        if (close < 0)
            throw Malformed{};
        v.type = ParseHexNumber(rest.mid(4, close - 4));
        list = rest.mid(close + 2);
    } else {
        throw Malformed{};
    }
    const QByteArray bytes = ParseHexBytes(list);
    if (v.type == 1 || v.type == 2)
        v.text = flavour == Flavour::Unicode ? DecodeUtf16Le(bytes) : DecodeEightBit(bytes);
    else
        v.bytes = bytes;
    return v;
}

// Physical lines joined where a line ends in "\" (long hex lists).
QStringList LogicalLines(const QString& text) {
    QStringList out;
    QString pending;
    bool continuing = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        QString part = line.trimmed();
        continuing = part.endsWith(QLatin1Char('\\'));
        if (continuing)
            part.chop(1);
        pending += part;
        if (!continuing) {
            out << pending;
            pending.clear();
        }
    }
    if (continuing)
        throw Malformed{}; // the file ends inside a continued list
    return out;
}

void RemoveKeyTree(std::map<QString, RegistryHive::Values>& keys, const QString& folded) {
    keys.erase(folded);
    const QString prefix = folded + QLatin1Char('\\');
    for (auto it = keys.lower_bound(prefix); it != keys.end() && it->first.startsWith(prefix);)
        it = keys.erase(it);
}

} // namespace

RegistryHive RegistryHive::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxHiveBytes)
        return RegistryHive();
    const QByteArray bytes = file.read(kMaxHiveBytes + 1);
    if (bytes.size() > kMaxHiveBytes)
        return RegistryHive();
    return Parse(bytes);
}

RegistryHive RegistryHive::Parse(const QByteArray& fileBytes) {
    RegistryHive hive;
    const std::optional<QString> text = DecodeFile(fileBytes);
    if (!text)
        return hive;
    try {
        const QStringList lines = LogicalLines(*text);
        qsizetype i = 0;
        while (i < lines.size() && lines[i].isEmpty())
            ++i;
        if (i == lines.size())
            return hive;
        Flavour flavour;
        if (lines[i] == kHeaderV5)
            flavour = Flavour::Unicode;
        else if (lines[i] == kHeaderV4)
            flavour = Flavour::Ansi;
        else
            return hive;

        std::map<QString, Values> keys;
        std::optional<QString> current; // folded path of the open key; none after [-key]
        bool inKey = false;
        for (++i; i < lines.size(); ++i) {
            const QString& line = lines[i];
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            if (line.startsWith(QLatin1Char('['))) {
                if (!line.endsWith(QLatin1Char(']')) || line.size() < 3)
                    throw Malformed{};
                QString path = line.mid(1, line.size() - 2);
                const bool remove = path.startsWith(QLatin1Char('-'));
                if (remove)
                    path.remove(0, 1);
                if (!IsKnownRoot(path))
                    throw Malformed{};
                const QString folded = Fold(path);
                inKey = true;
                if (remove) {
                    RemoveKeyTree(keys, folded);
                    current.reset();
                } else {
                    keys[folded];
                    current = folded;
                }
                continue;
            }
            if (!inKey)
                throw Malformed{};
            qsizetype pos = 0;
            QString name;
            if (line.startsWith(QLatin1Char('@')))
                pos = 1;
            else
                name = ParseQuoted(line, pos);
            SkipSpaces(line, pos);
            if (pos >= line.size() || line[pos] != QLatin1Char('='))
                throw Malformed{};
            ++pos;
            SkipSpaces(line, pos);
            const std::optional<RegValue> value = ParseData(line, pos, flavour);
            if (!current)
                continue; // values of a removed key
            Values& values = keys[*current];
            if (value)
                values[Fold(name)] = *value;
            else
                values.erase(Fold(name));
        }
        hive.keys_ = std::move(keys);
    } catch (const Malformed&) {
        return RegistryHive();
    }
    return hive;
}

bool RegistryHive::HasKey(const QString& keyPath) const {
    const QString folded = Fold(keyPath);
    if (keys_.count(folded))
        return true;
    const QString prefix = folded + QLatin1Char('\\');
    const auto it = keys_.lower_bound(prefix);
    return it != keys_.end() && it->first.startsWith(prefix);
}

RegistryHive::Values RegistryHive::ValuesOf(const QString& keyPath) const {
    const auto it = keys_.find(Fold(keyPath));
    return it == keys_.end() ? Values() : it->second;
}

} // namespace zorv
