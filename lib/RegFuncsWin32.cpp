// The registry calls on Windows: the ANSI variants of the Win32 registry and environment calls.
#ifdef _WIN32

#include "RegPlatform.h"

#include <QByteArray>
#include <windows.h>

namespace zorv::regplatform {
namespace {

HKEY ToHKey(RegKeyHandle handle) {
    return reinterpret_cast<HKEY>(handle);
}

} // namespace

bool OpenKey(RegKeyHandle root, const QString& subkey, RegKeyHandle& key) {
    const QByteArray ansi = subkey.toLocal8Bit();
    HKEY opened = nullptr;
    if (RegOpenKeyA(ToHKey(root), ansi.constData(), &opened) != ERROR_SUCCESS)
        return false;
    key = reinterpret_cast<RegKeyHandle>(opened);
    return true;
}

void CloseKey(RegKeyHandle key) {
    RegCloseKey(ToHKey(key));
}

bool QueryValue(RegKeyHandle key, const QString& name, std::uint32_t& type, char* data,
                std::uint32_t& size) {
    const QByteArray ansi = name.toLocal8Bit();
    DWORD valueType = 0;
    DWORD bytes = data ? static_cast<DWORD>(size) : 0;
    const LONG rc = RegQueryValueExA(ToHKey(key), ansi.constData(), nullptr, &valueType,
                                     reinterpret_cast<LPBYTE>(data), &bytes);
    if (rc != ERROR_SUCCESS)
        return false;
    type = static_cast<std::uint32_t>(valueType);
    size = static_cast<std::uint32_t>(bytes);
    return true;
}

std::uint32_t ExpandEnvironment(const QString& source, char* destination, std::uint32_t capacity) {
    const QByteArray ansi = source.toLocal8Bit();
    return static_cast<std::uint32_t>(
        ExpandEnvironmentStringsA(ansi.constData(), destination, static_cast<DWORD>(capacity)));
}

} // namespace zorv::regplatform

#endif // _WIN32
