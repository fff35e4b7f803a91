// Fuzz target for the zip reader: open, then read every entry; each refusal says why.
#include "ZipArchive.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zorv::input::ZipArchive zip;
    zorv::input::ZipError error;
    if (!zip.Open(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error)) {
        if (error.reason.isEmpty())
            __builtin_trap();
        return 0;
    }
    for (int i = 0; i < int(zip.Names().size()); ++i) {
        QByteArray out;
        if (!zip.ReadAt(i, &out, &error) && (error.reason.isEmpty() || !out.isEmpty()))
            __builtin_trap();
    }
    return 0;
}
