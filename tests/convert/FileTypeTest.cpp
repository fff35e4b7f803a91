// Type sniffing: first bytes first, the extension only where the bytes say nothing.
#include "FileType.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;

namespace {
FileType Sniff(QByteArrayView bytes, const char* ext) {
    return SniffFileType(bytes, QString::fromLatin1(ext));
}
} // namespace

TEST(SniffFileType, MagicBytesWinOverTheExtension) {
    EXPECT_EQ(Sniff("{\\rtf1\\ansi hello}", "doc"), FileType::Rtf);
    EXPECT_EQ(Sniff("\xEF\xBB\xBF{\\rtf1 x}", "txt"), FileType::Rtf);
    EXPECT_EQ(Sniff("%PDF-1.7\n...", "doc"), FileType::Pdf);
    EXPECT_EQ(Sniff("garbage from a mail gateway\n%PDF-1.4\n", "pdf"), FileType::Pdf);
    EXPECT_EQ(Sniff("PK\x03\x04rest", "doc"), FileType::Docx);
    EXPECT_EQ(Sniff("\xFFWPC\x10\0\0\0", "doc"), FileType::Wpd);
    EXPECT_EQ(Sniff(QByteArrayView("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), "docx"),
              FileType::Doc);
}

TEST(SniffFileType, TextAndHtml) {
    EXPECT_EQ(Sniff("Jane Doe\nEngineer", "txt"), FileType::Text);
    EXPECT_EQ(Sniff("Jane Doe\nEngineer", "doc"), FileType::Text);
    EXPECT_EQ(Sniff("<!DOCTYPE html><html><body>x</body></html>", "txt"), FileType::Html);
    EXPECT_EQ(Sniff("  <HTML><BODY>x</BODY></HTML>", "doc"), FileType::Html);
    EXPECT_EQ(Sniff("Jane <b>Doe</b>", "htm"), FileType::Html);
    EXPECT_EQ(Sniff(QByteArrayView("\xFF\xFEJ\0a\0n\0e\0", 10), "txt"), FileType::Text);
}

TEST(SniffFileType, ImagesAreKnownByTheirSignature) {
    EXPECT_EQ(Sniff(QByteArrayView("\x89PNG\r\n\x1a\n\0\0", 10), "pdf"), FileType::Png);
    EXPECT_EQ(Sniff(QByteArrayView("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), "png"), FileType::Jpeg);
    EXPECT_EQ(Sniff(QByteArrayView("II*\0\x08\0\0\0", 8), "docx"), FileType::Tiff);
    EXPECT_EQ(Sniff(QByteArrayView("MM\0*\0\0\0\x08", 8), "tif"), FileType::Tiff);
    EXPECT_EQ(MismatchMessage(QStringLiteral("JPEG")),
              QStringLiteral("The file is named .jpeg but is not a JPEG image."));
}

TEST(SniffFileType, BinaryOrUnknownIsUnknown) {
    EXPECT_EQ(Sniff(QByteArrayView("\x7F"
                                   "ELF\x02\x01\0\0",
                                   8),
                    "pdf"),
              FileType::Unknown);
    EXPECT_EQ(Sniff("plain words", "pdf"), FileType::Unknown);
    EXPECT_EQ(Sniff("plain words", "odt"), FileType::Unknown);
    EXPECT_FALSE(MismatchMessage(QStringLiteral("PDF")).isEmpty());
    EXPECT_TRUE(MismatchMessage(QStringLiteral("odt")).isEmpty());
}

// An editor or a copy may leave a NUL byte in a text file; binary data has them throughout.
TEST(SniffFileType, AStrayNulLeavesTextTextButBinaryDataIsNot) {
    const QByteArray words = QByteArray("Jane Doe, Engineer. ").repeated(4);
    const QByteArray stray = words + QByteArray(1, '\0') + words;
    EXPECT_EQ(Sniff(stray, "txt"), FileType::Text);
    EXPECT_EQ(Sniff("<html><body>" + stray + "</body></html>", "html"), FileType::Html);
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    EXPECT_EQ(Sniff(binary, "txt"), FileType::Unknown);
    EXPECT_TRUE(MismatchMessage(QStringLiteral("TXT")).contains(QStringLiteral("binary data")));
}
