// Read-only registry access and the one question asked of it: in which folder is a given
// program installed (its "App Paths" registration)? Nothing here writes, shows a message or
// throws: every failure is a false or "" result.
//
// Windows reads the real registry. POSIX reads a machine-wide hive kept as a text file in the
// registry editor's export format (RegistryHive.h describes it); a missing or malformed hive
// is an empty registry.
#pragma once

#include <QString>
#include <cstdint>

namespace zorv {

// An opaque registry key handle: the platform's own on Windows, an entry of our open-key
// table elsewhere.
using RegKeyHandle = std::uintptr_t;

// The predefined root HKEY_LOCAL_MACHINE, with the platform's value.
inline constexpr RegKeyHandle kHKeyLocalMachine =
    static_cast<RegKeyHandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));

// The value types read: REG_SZ and REG_EXPAND_SZ; any other type counts as unreadable.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;

// Opens root\subkey; true exactly when it opened, and only then is `key` meaningful.
bool OpenRegKey(RegKeyHandle root, const QString& subkey, RegKeyHandle& key);

// Closes a key opened by OpenRegKey; the outcome is not looked at.
void CloseRegKey(RegKeyHandle key);

// Reads a REG_SZ or REG_EXPAND_SZ value ("" names the key's default value) whole, cut at its
// first NUL; %NAME% references of a REG_EXPAND_SZ value are expanded from the environment.
// False for a missing value or one of another type.
bool RegQueryString(RegKeyHandle key, const QString& name, QString& value);

// "SOFTWARE\Microsoft\Windows\CurrentVersion".
QString CurrentVersionKey();

// The folder, ending in its separator, of the executable registered under
// HKEY_LOCAL_MACHINE\...\CurrentVersion\App Paths\<exe> (such as "ZorvOne.exe"), or "".
QString GetAppPath(const QString& exe);

#ifndef _WIN32
// The machine-wide hive file that stands for HKEY_LOCAL_MACHINE.
QString DefaultRegistryHivePath();
// The hive file read from now on (tests give their own); "" restores the default.
void SetRegistryHivePath(const QString& path);
QString RegistryHivePath();
#endif

} // namespace zorv
