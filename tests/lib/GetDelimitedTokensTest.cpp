// Marker scanning as template filling uses it, and the routine's other modes.
#include "FuncLib.h"

#include <gtest/gtest.h>

using namespace zorv;

namespace {
std::int32_t Scan(const QString& text, QStringList& out, bool keepDelims = true,
                  bool keepEmpty = false, bool caseSensitive = true) {
    return GetDelimitedTokens(text, QStringLiteral("[["), QStringLiteral("]]"), out, keepDelims,
                              keepEmpty, caseSensitive);
}
} // namespace

TEST(GetDelimitedTokens, FindsMarkersWithDelimiters) {
    QStringList t;
    EXPECT_EQ(Scan(QStringLiteral("Dear [[FirstName]] [[LastName]], [[FirstName]]"), t), 3);
    EXPECT_EQ(t, (QStringList{"[[FirstName]]", "[[LastName]]", "[[FirstName]]"}));
}

TEST(GetDelimitedTokens, EmptyPieceCountsButIsNotWritten) {
    QStringList t;
    EXPECT_EQ(Scan(QStringLiteral("a [[]] b [[X]]"), t), 2);
    EXPECT_EQ(t, (QStringList{QString(), "[[X]]"}));
    QStringList kept;
    EXPECT_EQ(Scan(QStringLiteral("a [[]] b"), kept, false, true), 1);
    EXPECT_EQ(kept, QStringList{QString()});
}

TEST(GetDelimitedTokens, StopsAtUnterminatedStart) {
    QStringList t;
    EXPECT_EQ(Scan(QStringLiteral("[[A]] [[B and [[C]]"), t), 2);
    EXPECT_EQ(t, (QStringList{"[[A]]", "[[B and [[C]]"}));
    QStringList u;
    EXPECT_EQ(Scan(QStringLiteral("x [[open"), u), 0);
    EXPECT_TRUE(u.isEmpty());
}

TEST(GetDelimitedTokens, WithoutDelimitersAndCaseInsensitive) {
    QStringList t;
    EXPECT_EQ(GetDelimitedTokens(QStringLiteral("<b>one</B><B>two</b>"), QStringLiteral("<b>"),
                                 QStringLiteral("</b>"), t, false, false, false),
              2);
    EXPECT_EQ(t, (QStringList{"one", "two"}));
}

TEST(GetDelimitedTokens, StartDelimiterAtVeryEndIsNoPiece) {
    QStringList t;
    EXPECT_EQ(Scan(QStringLiteral("abc["), t), 0);
    EXPECT_EQ(GetDelimitedTokens(QStringLiteral("ab<"), QStringLiteral("<"), QStringLiteral(">"), t,
                                 true, false, true),
              0);
}
