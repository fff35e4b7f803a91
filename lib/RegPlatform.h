// The registry calls RegFuncs builds on, with the semantics of their Win32 ANSI variants:
// texts cross as the local 8-bit encoding (the ANSI code page on Windows, UTF-8 elsewhere).
// Windows: RegFuncsWin32.cpp; POSIX: RegFuncsPosix.cpp, over the hive file.
#pragma once

#include "RegFuncs.h"

#include <QString>
#include <cstdint>

namespace zorv::regplatform {

// RegOpenKeyA: true on success, and then `key` is the new handle.
bool OpenKey(RegKeyHandle root, const QString& subkey, RegKeyHandle& key);

// RegCloseKey.
void CloseKey(RegKeyHandle key);

// RegQueryValueExA: with `data` null, reports the value's type and its size in bytes; with
// a buffer of `size` bytes, fills it and sets `size` to the bytes written. False when the
// value is missing or does not fit.
bool QueryValue(RegKeyHandle key, const QString& name, std::uint32_t& type, char* data,
                std::uint32_t& size);

// ExpandEnvironmentStringsA: writes the expansion and its NUL into `destination` when it fits
// in `capacity` characters; returns the characters the whole expansion needs (with its NUL),
// or 0 on failure.
std::uint32_t ExpandEnvironment(const QString& source, char* destination, std::uint32_t capacity);

} // namespace zorv::regplatform
