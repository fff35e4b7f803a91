// A read-only registry hive kept as a text file in the registry editor's export format, the
// registry of POSIX builds.
//
// Accepted files:
//  - "Windows Registry Editor Version 5.00": UTF-16LE with a byte-order mark, or UTF-8 text
//    (with or without a mark); hex(1) and hex(2) bytes are UTF-16LE.
//  - "REGEDIT4": 8-bit text (UTF-8 when it is valid UTF-8, Latin-1 otherwise); hex(1) and
//    hex(2) bytes are 8-bit text in the same encoding.
// Lines: [ROOT\key\path] opens a key ([-ROOT\key] removes one with its subkeys); @=... is the
// key's default value; "name"=... a named value; data is "text" (escapes \\ and \"), dword:
// with up to 8 hex digits, hex: or hex(N): comma-separated bytes, a trailing "\" continuing
// them on the next line, or - (no value). Empty lines and lines starting with ";" are skipped.
// Keys and value names compare without regard to case; the last of two equal entries wins.
// A file that breaks any of these rules is malformed: the hive is then empty.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>

namespace zorv {

struct RegValue {
    std::uint32_t type = 0;
    QString text;     // types 1 and 2 (REG_SZ, REG_EXPAND_SZ)
    QByteArray bytes; // every other type, as stored
};

class RegistryHive {
public:
    using Values = std::map<QString, RegValue>; // by case-folded name; "" is the default value

    // Reads the hive file; a missing, unreadable, oversized or malformed file gives an empty hive.
    static RegistryHive Load(const QString& path);
    static RegistryHive Parse(const QByteArray& fileBytes);

    bool IsEmpty() const { return keys_.empty(); }
    // "HKEY_LOCAL_MACHINE\SOFTWARE\..."; a key exists when it is listed or one of its subkeys is.
    bool HasKey(const QString& keyPath) const;
    // The key's values (none for a key listed only through its subkeys).
    Values ValuesOf(const QString& keyPath) const;

private:
    std::map<QString, Values> keys_; // by case-folded path
};

} // namespace zorv
