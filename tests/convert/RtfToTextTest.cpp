// RTF to text: the LibreOffice-made fixture and the reader's rules on small documents.
#include "RtfToText.h"
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

namespace {
QString Rtf(const QByteArray& body) {
    const auto r = RtfToText("{\\rtf1\\ansi\\ansicpg1252\\deff0" + body + "}");
    return r.ok ? r.text : QStringLiteral("FAILED: ") + r.message;
}
} // namespace

TEST(RtfContent, FixtureHasHeaderTableTextBoxAndFooter) {
    const auto r = RtfToText(Fixture(QStringLiteral("resume.rtf")));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const QString& t = r.text;
    EXPECT_TRUE(t.contains(QStringLiteral("Jane Q. Doe · jane.doe@example.com · +1 206 555 0147")))
        << t.toStdString();
    EXPECT_TRUE(
        t.contains(QStringLiteral("2019 – Present\tSenior Software Engineer\tNorthwind Payments")));
    EXPECT_TRUE(t.contains(QStringLiteral("linkedin.com/in/janeqdoe")));
    EXPECT_TRUE(t.contains(QStringLiteral("Resume of Jane Doe, page")));
    EXPECT_TRUE(
        t.contains(QStringLiteral("University of Washington, B.S. Computer Science, 2015")));
    EXPECT_FALSE(t.contains(QStringLiteral("Liberation")));
}

TEST(RtfContent, ParagraphsTabsAndEscapes) {
    EXPECT_EQ(
        Rtf("{\\fonttbl{\\f0 Arial;}}\\pard Jane\\tab Doe\\par Line\\line two\\par \\{x\\}\\\\"),
        QStringLiteral("Jane\tDoe\nLine\ntwo\n{x}\\"));
}

TEST(RtfContent, UnicodeEscapesSkipTheirFallbacks) {
    EXPECT_EQ(Rtf("\\uc1 Z\\u252?rich \\u-3913?\\par"), QStringLiteral("Zürich \uF0B7"));
    EXPECT_EQ(Rtf("{\\uc2 \\u8364\\'80\\'80 rate}\\par"), QStringLiteral("€ rate"));
    EXPECT_EQ(Rtf("\\uc0 \\u20013\\u25991  ok"), QStringLiteral("中文 ok"));
}

TEST(RtfContent, CodePageBytesFollowAnsicpgAndFontCharsets) {
    EXPECT_EQ(Rtf("Ren\\'e9 \\'96 \\'93x\\'94"), QStringLiteral("René – “x”"));
    const auto r = RtfToText("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("Привет"));
    EXPECT_EQ(Rtf("{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}\\f1 \\'b9\\f0 \\'e9"),
              QStringLiteral("ąé"));
}

TEST(RtfContent, DestinationsKeptAndDropped) {
    EXPECT_EQ(Rtf("{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{Normal;}}{\\info{\\title T}}"
                  "{\\*\\generator Writer}{\\header Jane Doe\\par}"
                  "{\\field{\\*\\fldinst HYPERLINK \"mailto:j@x.org\"}{\\fldrslt j@x.org}}\\par"
                  "{\\pict\\pngblip 89504e47}{\\*\\unknowndest secret}"
                  "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt Box text\\par}}"
                  "{\\shprslt Box text\\par}}{\\footer Page 1\\par}"),
              QStringLiteral("Jane Doe\nj@x.org\nBox text\nPage 1"));
}

TEST(RtfContent, TableCellsAndRows) {
    EXPECT_EQ(Rtf("\\trowd\\cellx1000\\cellx2000 2019\\cell Acme\\cell\\row"
                  "\\trowd\\cellx1000\\cellx2000 2015\\cell Initech\\cell\\row after\\par"),
              QStringLiteral("2019\tAcme\n2015\tInitech\nafter"));
}

TEST(RtfContent, LayoutTableCellsAreReadOneAfterTheOther) {
    EXPECT_EQ(Rtf("\\trowd\\cellx3000\\cellx9000 \\intbl CONTACT\\par j@x.org\\cell "
                  "\\intbl EXPERIENCE\\par Lead\\cell\\row"),
              QStringLiteral("CONTACT\nj@x.org\nEXPERIENCE\nLead"));
}

TEST(RtfLayout, LinesKeepTheirSizeAndWeight) {
    const auto r = RtfToText("{\\rtf1\\ansi{\\fs40 Jane Doe\\par}{\\b\\fs28 Experience\\par}"
                             "Engineer, {\\b Fabrikam}\\par\\b Bold\\b0\\par}");
    ASSERT_TRUE(r.ok && r.layout);
    const auto& lines = r.layout->lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, QStringLiteral("Jane Doe"));
    EXPECT_EQ(lines[0].fontSize, 20);
    EXPECT_FALSE(lines[0].bold);
    EXPECT_EQ(lines[1].fontSize, 14);
    EXPECT_TRUE(lines[1].bold);
    // Partly bold is not bold; the default size is 12 points.
    EXPECT_EQ(lines[2].fontSize, 12);
    EXPECT_FALSE(lines[2].bold);
    EXPECT_TRUE(lines[3].bold);
}

TEST(RtfContent, BinaryDataIsSkipped) {
    QByteArray body("{\\*\\blipuid x}{\\pict\\bin4 ");
    body.append(QByteArray("\x7b\x7d\\\0", 4));
    body.append("}text");
    EXPECT_EQ(Rtf(body), QStringLiteral("text"));
}

TEST(RtfHostile, DeepGroupsAndGarbage) {
    const auto deep = RtfToText("{\\rtf1 " + QByteArray("{").repeated(100000) + "x");
    EXPECT_FALSE(deep.ok);
    EXPECT_TRUE(deep.message.contains(QStringLiteral("nested too deeply")));
    EXPECT_FALSE(RtfToText("no rtf here").ok);
    EXPECT_FALSE(RtfToText("{\\rtf1 {\\fonttbl}}").ok);
    const auto junk = RtfToText("{\\rtf1 \\u99999999999999\\uc-5 \\'zz\\'4 \\bin-9 \\ a}");
    EXPECT_TRUE(junk.ok || !junk.message.isEmpty());
}
