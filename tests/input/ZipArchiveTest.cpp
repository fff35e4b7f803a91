// The one zip reader, with every hostile-archive case of the engine and the converters:
// real sizes counted (headers that lie are never trusted), bombs, entry floods, names
// outside the package, duplicate names, and the per-entry and total caps.
#include "ZipArchive.h"

#include "DocxFixture.h"

#include <gtest/gtest.h>

using namespace zorv::input;
using zorv::wordengine::test::Entries;
using zorv::wordengine::test::MakeZip;

namespace {

// Rewrites the 4-byte little-endian field at `localOff` / `centralOff` of every local and
// central header that carries the entry `name`.
QByteArray PatchHeaders(QByteArray zip, const QByteArray& name, int localOff, int centralOff,
                        quint32 value) {
    auto put = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            zip[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    for (qsizetype at = 0; (at = zip.indexOf(name, at)) >= 0; at += name.size()) {
        if (at >= 30 && zip.mid(at - 30, 4) == QByteArray("PK\x03\x04", 4))
            put(at - 30 + localOff);
        else if (at >= 46 && zip.mid(at - 46, 4) == QByteArray("PK\x01\x02", 4))
            put(at - 46 + centralOff);
    }
    return zip;
}
constexpr int kLocalSize = 22, kCentralSize = 24; // uncompressed size fields

// Opens and reads `name`; the error of whichever step refused, or Kind::None.
ZipError OpenAndRead(const QByteArray& zip, const QByteArray& name, ZipLimits limits = {}) {
    ZipArchive archive(limits);
    ZipError error;
    QByteArray out;
    if (archive.Open(zip, &error) && !archive.Read(QString::fromUtf8(name), &out, &error)) {
        EXPECT_TRUE(out.isEmpty());
    }
    return error;
}

QByteArray Random(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 seed = 12345;
    for (char& c : bytes)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
}

} // namespace

TEST(ZipArchiveReads, EntriesByNameWithoutCaseInArchiveOrder) {
    ZipArchive zip;
    ZipError error;
    ASSERT_TRUE(
        zip.Open(MakeZip({{"word/document.xml", "hello"}, {"word/", ""}, {"b", "x"}}), &error))
        << error.reason.toStdString();
    EXPECT_EQ(zip.Names(), (std::vector<QString>{"word/document.xml", "word/", "b"}));
    QByteArray out;
    ASSERT_TRUE(zip.Read(QStringLiteral("Word/Document.XML"), &out, &error));
    EXPECT_EQ(out, "hello");
    EXPECT_FALSE(zip.Read(QStringLiteral("missing.xml"), &out, &error));
    EXPECT_EQ(error.kind, ZipError::Kind::Missing);
}

TEST(ZipArchiveRefuses, WhatIsNotAZip) {
    ZipArchive zip;
    ZipError error;
    EXPECT_FALSE(zip.Open("PK\x03\x04 not really a zip", &error));
    EXPECT_EQ(error.kind, ZipError::Kind::NotAZip);
    EXPECT_FALSE(error.reason.isEmpty());
}

TEST(ZipArchiveRefuses, BombsByTheirRealOutputWhateverTheHeadersSay) {
    const QByteArray zeros(20 * 1024 * 1024, '\0');
    const QByteArray bomb = MakeZip({{"bomb.xml", zeros}});
    ZipError e = OpenAndRead(bomb, "bomb.xml");
    EXPECT_EQ(e.kind, ZipError::Kind::Unsafe);
    EXPECT_TRUE(e.reason.contains("compression bomb")) << e.reason.toStdString();
    // Headers that claim a small size: the real output is what counts.
    e = OpenAndRead(PatchHeaders(bomb, "bomb.xml", kLocalSize, kCentralSize, 200), "bomb.xml");
    EXPECT_EQ(e.kind, ZipError::Kind::Unsafe) << e.reason.toStdString();
    // An entry never read may not be a bomb either: its declared size already tells.
    ZipArchive unread;
    EXPECT_FALSE(unread.Open(MakeZip({{"a.xml", "<a/>"}, {"media/big.bin", zeros}}), &e));
    EXPECT_TRUE(e.reason.contains("media/big.bin"));
}

TEST(ZipArchiveRefuses, EntriesAndArchivesPastTheirCapsAtAnHonestRatio) {
    const QByteArray random = Random(300 * 1024);
    ZipLimits small;
    small.maxEntryBytes = 200 * 1024;
    ZipError e = OpenAndRead(MakeZip({{"big.bin", random}}), "big.bin", small);
    EXPECT_EQ(e.kind, ZipError::Kind::Unsafe);
    EXPECT_FALSE(e.reason.contains("bomb")) << e.reason.toStdString();

    ZipLimits total;
    total.maxTotalBytes = 500 * 1024;
    ZipArchive zip(total);
    ASSERT_TRUE(zip.Open(MakeZip({{"a", random}, {"b", random}}), &e));
    QByteArray out;
    EXPECT_TRUE(zip.Read(QStringLiteral("a"), &out, &e));
    EXPECT_FALSE(zip.Read(QStringLiteral("b"), &out, &e));
    EXPECT_TRUE(e.reason.contains("more than any document needs"));
}

// A big picture stored without compression is what a document may hold, never a bomb.
TEST(ZipArchiveReads, AStoredFortyMiBEntryWhole) {
    const QByteArray picture = Random(40 * 1024 * 1024);
    ZipArchive zip;
    ZipError e;
    ASSERT_TRUE(zip.Open(MakeZip({{"word/media/scan.bin", picture}}, true), &e))
        << e.reason.toStdString();
    QByteArray out;
    ASSERT_TRUE(zip.Read(QStringLiteral("word/media/scan.bin"), &out, &e))
        << e.reason.toStdString();
    EXPECT_TRUE(out == picture);
}

TEST(ZipArchiveRefuses, SizesThatLieAreNeverTrusted) {
    const QByteArray text = QByteArray("resume text ").repeated(1000);
    for (quint32 declared : {quint32(10), quint32(0xFFFFFFF0)}) {
        const QByteArray zip =
            PatchHeaders(MakeZip({{"a.xml", text}}), "a.xml", kLocalSize, kCentralSize, declared);
        const ZipError e = OpenAndRead(zip, "a.xml");
        EXPECT_NE(e.kind, ZipError::Kind::None) << declared;
    }
}

TEST(ZipArchiveRefuses, TwentyThousandEntries) {
    Entries entries;
    for (int i = 0; i < 20000; ++i)
        entries.push_back({"f/" + QByteArray::number(i), {}});
    ZipArchive zip;
    ZipError e;
    EXPECT_FALSE(zip.Open(MakeZip(entries, true), &e));
    EXPECT_EQ(e.kind, ZipError::Kind::Unsafe);
    EXPECT_TRUE(e.reason.contains("20000 entries"));
    entries.resize(10);
    EXPECT_TRUE(zip.Open(MakeZip(entries, true), &e)) << e.reason.toStdString();
}

TEST(ZipArchiveRefuses, NamesOutsideThePackageAndDuplicateNames) {
    for (const char* name : {"../evil.xml", "/etc/evil.xml", "word\\evil.xml", "a/../../x.xml",
                             "C:/evil.xml", "./x.xml"}) {
        ZipArchive zip;
        ZipError e;
        EXPECT_FALSE(zip.Open(MakeZip({{"a.xml", "x"}, {name, "x"}}), &e)) << name;
        EXPECT_EQ(e.kind, ZipError::Kind::Unsafe);
    }
    ZipArchive zip;
    ZipError e;
    EXPECT_FALSE(zip.Open(MakeZip({{"word/a.xml", "one"}, {"Word/A.xml", "two"}}), &e));
    EXPECT_TRUE(e.reason.contains("occurs twice"));
}
