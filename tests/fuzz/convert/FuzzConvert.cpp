// Fuzz target for the resume converters. Built with -fsanitize=fuzzer it is a libFuzzer
// target; linked with tests/fuzz/support/FuzzReplayMain.cpp a replay program, as the test run
// uses it under the sanitizers.
#include "ConvertBytes.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Compound files go to LibreOffice, a process of its own: not what is fuzzed here.
    if (bytes.startsWith(QByteArray("\xD0\xCF\x11\xE0", 4)))
        return 0;
    // The first byte picks the extension the file claims.
    static const char* const kExtensions[] = {"txt", "htm", "html", "docx",
                                              "pdf", "rtf", "wpd",  "doc"};
    const char* ext = size ? kExtensions[data[0] % std::size(kExtensions)] : "txt";
    const auto result = zorv::rp::convert::ConvertResumeBytes(bytes, QString::fromLatin1(ext));
    if (!result.ok && result.message.isEmpty())
        __builtin_trap(); // every failure must say why
    return 0;
}
