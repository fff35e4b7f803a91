// ConvertResume end to end: files on disk of every format, and the refusals (missing,
// empty, oversized, disguised or unknown files) with their messages.
#include "ConvertTestSupport.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace zorv;
using namespace zorv::test;

TEST(ConvertResumeFiles, TextFileIsRead) {
    const auto r = ConvertAsFile("Jane Doe\r\njane@example.com\r\n", QStringLiteral("cv.txt"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Jane Doe\njane@example.com"));
}

TEST(ConvertResumeFiles, EveryFixtureFormatGivesItsText) {
    for (const char* name : {"resume.docx", "resume.pdf", "resume.rtf"}) {
        const auto r = ConvertAsFile(Fixture(QString::fromLatin1(name)), QString::fromLatin1(name));
        ASSERT_TRUE(r.ok) << name << ": " << r.message.toStdString();
        EXPECT_TRUE(r.text.contains(QStringLiteral("jane.doe@example.com"))) << name;
        EXPECT_TRUE(r.text.contains(QStringLiteral("Northwind Payments"))) << name;
    }
}

TEST(ConvertResumeRefusals, MissingBlankAndEmptyFiles) {
    rp::ParserSettings settings;
    auto r = rp::ConvertResume(settings);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("Resume not given."));

    settings.ResumeFileName = QStringLiteral("/nonexistent/cv.docx");
    r = rp::ConvertResume(settings);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("Resume not found.")));

    r = ConvertAsFile(QByteArray(), QStringLiteral("empty.docx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("is empty")));
}

TEST(ConvertResumeRefusals, FileOverFiftyMebibytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(50LL * 1024 * 1024 + 1)); // sparse: costs no disk
    file.close();
    rp::ParserSettings settings;
    settings.ResumeFileName = path;
    const auto r = rp::ConvertResume(settings);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("larger than 50 MiB")));
}

TEST(ConvertResumeRefusals, ContentDecidesNotTheExtension) {
    // A .doc that is really RTF or a .docx package is read as what it is.
    auto r = ConvertBytes(Fixture(QStringLiteral("resume.rtf")), QStringLiteral("doc"));
    EXPECT_TRUE(r.ok && r.text.contains(QStringLiteral("Contoso Bank")));
    r = ConvertBytes(Fixture(QStringLiteral("resume.docx")), QStringLiteral("doc"));
    EXPECT_TRUE(r.ok && r.text.contains(QStringLiteral("Contoso Bank")));
    r = ConvertBytes(Fixture(QStringLiteral("resume.pdf")), QStringLiteral("txt"));
    EXPECT_TRUE(r.ok && r.text.contains(QStringLiteral("Contoso Bank")));
}

TEST(ConvertResumeRefusals, DisguisedAndUnknownFilesSaySo) {
    auto r = ConvertAsFile("just some words", QStringLiteral("cv.pdf"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("\"cv.pdf\": The file is named .pdf but is not a PDF document."));

    r = ConvertBytes("plain words", QStringLiteral("docx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not a Word document")));

    r = ConvertBytes(QByteArray("\x7f"
                                "ELF\x02\x01\x01\0\0\0",
                                10),
                     QStringLiteral("exe"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not supported")));

    r = ConvertBytes(MakeZip({{QStringLiteral("content.xml"), "<x/>"}}), QStringLiteral("docx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not a Word document")));
}

TEST(ConvertResumeRefusals, AStrayNulIsDroppedAndBinaryTextSaysSo) {
    const QByteArray stray = QByteArray("Jane Doe\nSenior Engineer at Contoso Bank") +
                             QByteArray(1, '\0') + "\nSkills: accounting and payroll\n";
    auto r = ConvertAsFile(stray, QStringLiteral("cv.txt"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("Skills: accounting and payroll")));
    EXPECT_FALSE(r.text.contains(QChar(0)));
    r = ConvertAsFile("<html><body><p>" + stray + "</p></body></html>", QStringLiteral("cv.html"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("accounting and payroll"))) << r.text.toStdString();

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    r = ConvertAsFile(binary, QStringLiteral("cv.txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.startsWith(
        QStringLiteral("\"cv.txt\": The file is named .txt but holds binary data")))
        << r.message.toStdString();
}

TEST(ConvertResumeRefusals, EncryptedOfficeFileNamedDocxIsProtectedNotCorrupt) {
    // An encrypted .docx is a compound file with an EncryptionInfo stream.
    QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole.append(QByteArray(504, '\0'));
    for (char c : QByteArrayView("EncryptionInfo"))
        ole.append(c).append('\0');
    ole.append(QByteArray(1024, '\0'));
    const auto r = ConvertAsFile(ole, QStringLiteral("locked.docx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("protected by a password")))
        << r.message.toStdString();
}

TEST(ConvertResumeRefusals, FileWithOnlySpacesHasNoText) {
    const auto r = ConvertBytes("   \r\n\t \n", QStringLiteral("txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("no text")));
}

TEST(ConvertResumeQuiet, DamagedFilesPrintNothing) {
    // The libraries underneath (poppler, libxml2, libwpd, OCR) like to report on standard
    // error; the converters keep them quiet, since the server's streams are its protocol.
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = ::dup(2);
    FILE* sink = std::fopen(capture.toLocal8Bit().constData(), "w");
    ASSERT_TRUE(sink);
    ::dup2(::fileno(sink), 2);
    const QByteArray pdf = Fixture(QStringLiteral("resume.pdf"));
    ConvertBytes(pdf.left(pdf.size() / 2) + pdf.right(300), QStringLiteral("pdf"));
    ConvertBytes(
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 9 0 R >> endobj\ntrailer << /Root 1 0 R >>",
        QStringLiteral("pdf"));
    ConvertBytes(MakeDocx("<w:p><w:r><w:t>unclosed</w:r></w:p>"), QStringLiteral("docx"));
    ConvertBytes("<html><body><p>a<b>b</i></p><?bad", QStringLiteral("html"));
    ConvertBytes(QByteArray("\xFFWPC\x10\0\0\0\x01\x0A\x02\x01\0\0\0\0garbage", 23),
                 QStringLiteral("wpd"));
    // OCR: tesseract, leptonica, libpng, libtiff and libjpeg.
    const QByteArray png = Fixture(QStringLiteral("scan_resume.png"));
    ConvertBytes(png, QStringLiteral("png"));
    ConvertBytes(png.left(png.size() / 2), QStringLiteral("png"));
    ConvertBytes(QByteArray("II*\0\x08\0\0\0garbage", 15), QStringLiteral("tif"));
    ConvertBytes(QByteArray("\xFF\xD8\xFF\xE0garbage\xFF\xD9", 13), QStringLiteral("jpg"));
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::fclose(sink);
    EXPECT_EQ(ReadFile(capture), QByteArray());
}
