// PDF to text through poppler: the real fixtures in reading order, and the refusals
// (scanned, encrypted, not a PDF).
#include "PdfToText.h"
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zorv::rp::convert;
using namespace zorv::test;

TEST(PdfContent, HeaderAndFooterOfEveryPageAppearOnce) {
    const auto r = PdfToText(Fixture(QStringLiteral("resume.pdf")));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const QString& t = r.text;
    EXPECT_EQ(t.count(QStringLiteral("jane.doe@example.com")), 1) << t.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Resume of Jane Doe, page")), 1);
    EXPECT_TRUE(
        t.contains(QStringLiteral("2019 – Present\tSenior Software Engineer\tNorthwind Payments")))
        << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("linkedin.com/in/janeqdoe")));
    EXPECT_LT(t.indexOf(QStringLiteral("Experience")), t.indexOf(QStringLiteral("Education")));
    EXPECT_LT(t.indexOf(QStringLiteral("Education")), t.indexOf(QStringLiteral("Skills")));
}

TEST(PdfLayout, LinesKeepTheirPageAndSize) {
    const auto r = PdfToText(Fixture(QStringLiteral("resume.pdf")));
    ASSERT_TRUE(r.ok && r.layout);
    const auto& lines = r.layout->lines;
    ASSERT_FALSE(lines.empty());
    // Headings are set larger than the body; the second page is numbered 1.
    const auto heading = std::find_if(lines.begin(), lines.end(), [](const auto& l) {
        return l.text == QStringLiteral("Experience");
    });
    ASSERT_NE(heading, lines.end());
    const auto body = std::find_if(lines.begin(), lines.end(), [](const auto& l) {
        return l.text.contains(QStringLiteral("Northwind Payments"));
    });
    ASSERT_NE(body, lines.end());
    EXPECT_GT(heading->fontSize, body->fontSize);
    EXPECT_EQ(lines.front().page, 0);
    EXPECT_GT(lines.back().page, 0);
}

TEST(PdfContent, TwoColumnsAreReadColumnByColumn) {
    const auto r = PdfToText(Fixture(QStringLiteral("two-column.pdf")));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const QString& t = r.text;
    EXPECT_TRUE(t.startsWith(QStringLiteral("Marco Rossi\n"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("CONTACT\nmarco.rossi@example.org\n+39 02 1234 5678\n"
                                          "Milano, Italy\nSKILLS\nJava\nKotlin\nSpring Boot\n")))
        << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("EXPERIENCE\nLead Developer at Officina Digitale")));
    EXPECT_LT(t.indexOf(QStringLiteral("Spring Boot")), t.indexOf(QStringLiteral("EXPERIENCE")));
    EXPECT_TRUE(
        t.contains(QStringLiteral("Politecnico di Milano, Laurea in Ingegneria Informatica,")));
}

TEST(PdfContent, LigatureGlyphsAndLineEndHyphensAreRepaired) {
    const auto r = PdfToText(Fixture(QStringLiteral("ligatures.pdf")));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Profile: an efficient developer with a flexible\n"
                                     "workflow and strong experience\nin office automation."));
}

TEST(PdfRefusals, ScannedEncryptedAndFakePdfs) {
    auto r = PdfToText(Fixture(QStringLiteral("scanned.pdf")));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("The PDF file contains no text (it may be a scanned image)."));
    r = PdfToText(Fixture(QStringLiteral("encrypted.pdf")));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("The PDF file is protected by a password."));
    r = PdfToText("%PDF-1.4 nothing else");
    EXPECT_FALSE(r.ok);
}
