// The hardened zip reader: real sizes counted, bombs, lying headers, entry floods, names
// outside the package and duplicate names refused with a reason.
#include "ZipReader.h"
#include "ConvertTestSupport.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

namespace {

// Rewrites every occurrence of a name in the archive (local and central headers alike).
QByteArray RenameEntries(QByteArray zip, const QByteArray& from, const QByteArray& to) {
    EXPECT_EQ(from.size(), to.size());
    return zip.replace(from, to);
}

// Sets the declared uncompressed size of every entry (local and central headers).
QByteArray LieAboutSizes(QByteArray zip, quint32 size) {
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        qToLittleEndian(size, zip.data() + at + 22);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        qToLittleEndian(size, zip.data() + at + 24);
    return zip;
}

// Many empty stored entries, written by hand: libzip itself is slow at adding thousands.
QByteArray FloodZip(int count) {
    QByteArray local, central;
    auto u16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray& b, quint32 v) {
        u16(b, quint16(v & 0xffff)), u16(b, quint16(v >> 16));
    };
    for (int i = 0; i < count; ++i) {
        const QByteArray name = "e" + QByteArray::number(i);
        const quint32 offset = quint32(local.size());
        local.append("PK\x03\x04");
        u16(local, 10), u16(local, 0), u16(local, 0), u16(local, 0), u16(local, 0);
        u32(local, 0), u32(local, 0), u32(local, 0);
        u16(local, quint16(name.size())), u16(local, 0);
        local.append(name);
        central.append("PK\x01\x02");
        u16(central, 20), u16(central, 10), u16(central, 0), u16(central, 0), u16(central, 0),
            u16(central, 0);
        u32(central, 0), u32(central, 0), u32(central, 0);
        u16(central, quint16(name.size())), u16(central, 0), u16(central, 0), u16(central, 0),
            u16(central, 0);
        u32(central, 0), u32(central, offset);
        central.append(name);
    }
    QByteArray zip = local + central;
    zip.append("PK\x05\x06");
    u16(zip, 0), u16(zip, 0), u16(zip, quint16(count)), u16(zip, quint16(count));
    u32(zip, quint32(central.size())), u32(zip, quint32(local.size())), u16(zip, 0);
    return zip;
}

} // namespace

TEST(ZipReaderReads, EntriesByNameWithoutCase) {
    ZipReader zip;
    QString error;
    ASSERT_TRUE(zip.Open(MakeZip({{QStringLiteral("word/document.xml"), "hello"}}), &error));
    EXPECT_TRUE(zip.Contains(QStringLiteral("Word/Document.XML")));
    QByteArray out;
    ASSERT_TRUE(zip.Read(QStringLiteral("word/document.xml"), &out, &error));
    EXPECT_EQ(out, "hello");
    EXPECT_FALSE(zip.Read(QStringLiteral("missing.xml"), &out, &error));
}

TEST(ZipReaderRefuses, DamagedArchive) {
    ZipReader zip;
    QString error;
    EXPECT_FALSE(zip.Open("PK\x03\x04 not really a zip", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ZipReaderRefuses, ZipBombByRatio) {
    const QByteArray zeros(20 * 1024 * 1024, '\0');
    ZipReader zip;
    QString error;
    ASSERT_TRUE(zip.Open(MakeZip({{QStringLiteral("bomb.xml"), zeros}}), &error));
    QByteArray out;
    EXPECT_FALSE(zip.Read(QStringLiteral("bomb.xml"), &out, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("zip bomb")));
    EXPECT_TRUE(out.isEmpty());
}

TEST(ZipReaderRefuses, EntryPastItsCapEvenAtAnHonestRatio) {
    QByteArray random(300 * 1024, Qt::Uninitialized);
    quint32 seed = 12345;
    for (char& c : random)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    ZipLimits limits;
    limits.maxEntryBytes = 200 * 1024;
    ZipReader zip(limits);
    QString error;
    ASSERT_TRUE(zip.Open(MakeZip({{QStringLiteral("big.bin"), random}}), &error));
    QByteArray out;
    EXPECT_FALSE(zip.Read(QStringLiteral("big.bin"), &out, &error));
}

TEST(ZipReaderRefuses, LyingSizesAreNeverTrusted) {
    const QByteArray text = QByteArray("resume text ").repeated(1000);
    for (quint32 declared : {quint32(10), quint32(0xFFFFFFF0)}) {
        const QByteArray zip = LieAboutSizes(MakeZip({{QStringLiteral("a.xml"), text}}), declared);
        ZipReader reader;
        QString error;
        if (!reader.Open(zip, &error))
            continue; // refused as damaged: fine
        QByteArray out;
        // Either the real content or a clean refusal; never the declared size.
        if (reader.Read(QStringLiteral("a.xml"), &out, &error))
            EXPECT_EQ(out, text);
        else
            EXPECT_TRUE(out.isEmpty());
    }
}

TEST(ZipReaderRefuses, TwentyThousandEntries) {
    ZipReader small;
    QString error;
    EXPECT_TRUE(small.Open(FloodZip(10), &error)) << error.toStdString();
    ZipReader zip;
    EXPECT_FALSE(zip.Open(FloodZip(20000), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("too many entries")));
}

TEST(ZipReaderRefuses, NamesOutsideThePackage) {
    for (const char* name :
         {"../evil.xml", "/etc/evil.xml", "word\\evil.xml", "a/../../x.xml", "C:/evil.xml"}) {
        ZipReader zip;
        QString error;
        EXPECT_FALSE(zip.Open(MakeZip({{QString::fromLatin1(name), "x"}}), &error)) << name;
    }
}

TEST(ZipReaderRefuses, DuplicateNames) {
    const QByteArray zip = RenameEntries(
        MakeZip({{QStringLiteral("word/a.xml"), "one"}, {QStringLiteral("word/b.xml"), "two"}}),
        "word/b.xml", "word/a.xml");
    ZipReader reader;
    QString error;
    EXPECT_FALSE(reader.Open(zip, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("two entries")));
}
