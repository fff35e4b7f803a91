// Stateless path, file and string helpers. None of them shows a message or throws:
// expected failures come back as false or "". Both "\" and "/" are separators in every
// string rule; folders that these functions compose end in the platform's separator.
//
// POSIX meanings of the Windows file attributes: hidden = a name starting with ".";
// read-only = no owner write bit; system = not a regular file (device, socket, FIFO).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zorv {

// True for "", only spaces (code 32), or only NUL characters.
bool IsBlank(const QString& text);

// The text without leading and trailing spaces (code 32 only; tabs and NULs stay).
QString TrimSpaces(const QString& text);

// True when a regular file is at the path (hidden and read-only ones included).
// The path is taken literally: "*" and "?" are never patterns.
bool FileExists(const QString& path);

// The folder part without its trailing separator; "" when there is none.
QString GetFilePath(const QString& path);
// The part after the last separator; the whole path when there is none.
QString GetFileName(const QString& path);
// The extension (after the last "." of the whole string) without its dot, or "".
QString GetFileExt(const QString& path);
// The path without its extension and its dot; unchanged when it has none.
QString StripFileExt(const QString& path);
// The path trimmed of spaces, ending in a separator; "" for a blank path.
QString AddBackslash(const QString& path);
// The text before its first NUL character.
QString TrimAtNull(const QString& text);

// The user's private temporary folder ending in the separator, or "" on failure with the
// reason in *problem. On POSIX it is $XDG_RUNTIME_DIR/ZorvQarn/, else
// $TMPDIR/ZorvQarn-<uid>/ ($TMPDIR when it names a folder, /tmp otherwise), created 0700;
// one that is not a folder, belongs to someone else or is open to others is refused.
QString GetTempDir(QString* problem = nullptr);
// The system folder ("/usr/bin/" on Linux) ending in the separator, or "" on failure.
QString GetSystemDir();

// Deletes the one file the path names, when it is there and neither hidden, read-only
// nor a system file; ignores every failure.
void DeleteFileIfExists(const QString& path);

// "Set attributes to normal": adds the owner write bit and changes nothing else.
// Returns false on failure (callers usually ignore it).
bool SetFileAttributesNormal(const QString& path);

// Copies a file over any file at the target with CopyFileAtomically (AtomicWrite.h).
// Returns false on failure.
bool CopyFileReplace(const QString& source, const QString& target);

// Splits Text into the pieces StartDelim..EndDelim, stored one-based into Tokens
// (Tokens[0] is entry 1). Returns the number of pieces found, empty ones included
// even when their entry is not written.
std::int32_t GetDelimitedTokens(const QString& Text, const QString& StartDelim,
                                const QString& EndDelim, QStringList& Tokens, bool KeepDelims,
                                bool KeepEmpty, bool CaseSensitive);

} // namespace zorv
