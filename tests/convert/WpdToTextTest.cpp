// WordPerfect through libwpd: a hand-made WordPerfect 5.1 document (no WordPerfect writer
// is at hand, so it holds body text only), and libwpd's refusals of damaged documents.
#include "WpdToText.h"
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

TEST(WpdContent, HandMadeWordPerfect51Body) {
    const auto r = ConvertBytes(Fixture(QStringLiteral("resume.wpd")), QStringLiteral("wpd"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Jane Q. Doe\njane.doe@example.com\nSenior Software Engineer\n"
                                     "Northwind Payments, 2019 - Present"));
}

TEST(WpdRefusals, NotWordPerfect) {
    const auto r = WpdToText("plain text, no WordPerfect header");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not a WordPerfect document")));
}

TEST(WpdRefusals, BinaryWithoutMagicNamedWpdAsksLibwpd) {
    const auto r = ConvertBytes(QByteArray("\x01\x02\0\x03binary", 10), QStringLiteral("wpd"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not a WordPerfect document")));
}

TEST(WpdRefusals, HeaderWithoutADocumentIsDamaged) {
    // A WordPerfect 6 header whose document area points past the end of the file.
    QByteArray bytes("\xFFWPC\x00\x10\x00\x00\x01\x0A\x02\x01\x00\x00\x00\x00", 16);
    bytes.append(QByteArray(64, '\x01'));
    const auto r = WpdToText(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    const auto viaSniff = ConvertBytes(bytes, QStringLiteral("wpd"));
    EXPECT_FALSE(viaSniff.ok);
}
