// WordPerfect through libwpd. No WordPerfect writer is available to make a real fixture,
// so these tests hold libwpd's refusals: damaged and truncated documents fail cleanly.
#include "WpdToText.h"
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

TEST(WpdRefusals, NotWordPerfect) {
    const auto r = WpdToText("plain text, no WordPerfect header");
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
