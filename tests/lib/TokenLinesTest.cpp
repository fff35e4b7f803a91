// The name<TAB>value token format: round trip of awkward values, and malformed input.
#include "TokenLines.h"

#include <gtest/gtest.h>

using namespace zorv;

TEST(TokenLines, RoundTripsEveryAwkwardCharacter) {
    const QStringList names = {"FullName", "Address", "Empty", "Odd\tName"};
    const QStringList values = {"Jane \\ Doe", "1 Main St\r\nSpringfield\nIL\r", "",
                                "tab\there ü €"};
    const QString text = EncodeTokenLines(names, values);
    EXPECT_EQ(text.count('\n'), 4);
    QStringList n2, v2;
    ASSERT_TRUE(DecodeTokenLines(text, n2, v2));
    EXPECT_EQ(n2, names);
    EXPECT_EQ(v2, values);
}

TEST(TokenLines, ReadsCrLfFilesAndSkipsEmptyLines) {
    QStringList n, v;
    ASSERT_TRUE(DecodeTokenLines("A\tx\r\n\r\nB\t\r\n", n, v));
    EXPECT_EQ(n, (QStringList{"A", "B"}));
    EXPECT_EQ(v, (QStringList{"x", ""}));
}

TEST(TokenLines, RejectsMalformedLinesNamingThem) {
    QStringList n, v;
    QString error;
    EXPECT_FALSE(DecodeTokenLines("A\tok\nno tab here\n", n, v, &error));
    EXPECT_TRUE(error.contains("line 2"));
    EXPECT_FALSE(DecodeTokenLines("A\tbad \\q escape\n", n, v, &error));
    EXPECT_FALSE(DecodeTokenLines("A\ttrailing\\", n, v, &error));
}
