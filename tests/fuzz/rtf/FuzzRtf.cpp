// Fuzz target for the Rich Text reader and writer (see tests/fuzz/ReplayMain.cpp for its
// replay). Every input either opens or fails with a message; one
// that opens is edited (a replace-all in the main text) and what is written must read back with the
// same text.
#include "RtfDocument.h"
#include "ZorvError.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

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
