// Fuzz target for the registry hive file: parse, then look a key and its values up.
#include "RegistryHive.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto hive =
        zorv::RegistryHive::Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                       "CurrentVersion\\App Paths\\soffice.exe");
    if (hive.HasKey(key))
        hive.ValuesOf(key);
    return 0;
}
