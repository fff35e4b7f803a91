// Fuzz target for the resume converters. Built with -fsanitize=fuzzer (ZORV_LIBFUZZER) it is
// a libFuzzer target; otherwise a replay program that feeds every file of the folders or
// files on its command line through the same entry point, as the test run does under the
// sanitizers.
#include "ConvertBytes.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>
#include <cstdio>

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

#ifndef ZORV_LIBFUZZER
int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        QStringList paths;
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                paths << it.next();
        } else {
            paths << arg;
        }
        paths.sort();
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
#endif
