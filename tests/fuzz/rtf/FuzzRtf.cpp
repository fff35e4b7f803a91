// Fuzz target for the Rich Text reader and writer. Built with -fsanitize=fuzzer
// (ZORV_LIBFUZZER) it is a libFuzzer target; otherwise a replay program that feeds every
// file of the folders or files on its command line through the same entry point, as the test
// run does under the sanitizers. Every input either opens or fails with a message; one that
// opens is edited (a replace-all in the main text) and what is written must read back with
// the same text.
#include "RtfDocument.h"
#include "ZorvError.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

constexpr qsizetype kFindLength = 2;

std::unique_ptr<zorv::wordengine::RtfDocument> Open(const QByteArray& bytes) {
    try {
        return zorv::wordengine::RtfDocument::FromBytes(QStringLiteral("fuzz.rtf"), bytes);
    } catch (const zorv::ZorvError& e) {
        if (e.Description().isEmpty())
            __builtin_trap(); // every failure must say why
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto doc = Open(bytes);
    if (!doc)
        return 0;
    auto& story = doc->MainStory();
    const QString text = story.Text();
    const QString find = text.left(kFindLength);
    if (find.size() == kFindLength && !find.contains(u'\r') && !find.contains(u'\a'))
        story.ReplaceAll(find, QString::fromUtf8("\u00e9{\t-"), true, false);
    const auto again = Open(doc->Serialize());
    if (!again || again->MainStory().Text() != story.Text())
        __builtin_trap(); // what we write reads back as what we edited
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
