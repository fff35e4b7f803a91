// PDF reading order on synthetic pages: lines from words, gutters, full-width lines,
// tab stops, recurring headers and footers, ligatures and hyphens.
#include "PdfLayout.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;

namespace {

// Words of one line, one word per 6 points per letter, starting at x.
void Line(std::vector<PdfWord>* words, double x, double y, const QString& text) {
    for (const QString& w : text.split(u' ')) {
        const double width = 6.0 * w.size();
        words->push_back(PdfWord{w, x, y, x + width, y + 10, true});
        x += width + 3;
    }
}

QStringList Texts(const std::vector<PdfLine>& lines) {
    QStringList out;
    for (const auto& l : lines)
        out << l.text;
    return out;
}

} // namespace

TEST(LayOutPage, OneColumnWithDatesAtTheRightMargin) {
    std::vector<PdfWord> w;
    Line(&w, 50, 100, QStringLiteral("Senior Engineer at a company with a long name"));
    Line(&w, 480, 100, QStringLiteral("2019 – 2021"));
    Line(&w, 50, 114, QStringLiteral("Built the payment system used by every store in the chain"));
    Line(&w, 50, 128, QStringLiteral("Engineer"));
    Line(&w, 480, 128, QStringLiteral("2015 – 2019"));
    Line(&w, 50, 142,
         QStringLiteral("Wrote the billing service and its reporting tools end to end"));
    EXPECT_EQ(Texts(LayOutPage(w, 612)),
              QStringList({"Senior Engineer at a company with a long name\t2019 – 2021",
                           "Built the payment system used by every store in the chain",
                           "Engineer\t2015 – 2019",
                           "Wrote the billing service and its reporting tools end to end"}));
}

TEST(LayOutPage, SidebarThenMainColumnBelowAFullWidthName) {
    std::vector<PdfWord> w;
    Line(&w, 40, 40, QStringLiteral("Marco Rossi Senior Developer at Officina Digitale"));
    const char* side[] = {"CONTACT", "marco@example.org", "Milano", "SKILLS", "Java"};
    const char* main[] = {"EXPERIENCE", "Lead Developer at Officina", "from 2018 to now",
                          "EDUCATION", "Politecnico di Milano"};
    for (int i = 0; i < 5; ++i) {
        Line(&w, 40, 80 + 14 * i, QString::fromUtf8(side[i]));
        Line(&w, 250, 80 + 14 * i, QString::fromUtf8(main[i]));
    }
    const QStringList lines = Texts(LayOutPage(w, 612));
    EXPECT_EQ(lines, QStringList({"Marco Rossi Senior Developer at Officina Digitale", "CONTACT",
                                  "marco@example.org", "Milano", "SKILLS", "Java", "EXPERIENCE",
                                  "Lead Developer at Officina", "from 2018 to now", "EDUCATION",
                                  "Politecnico di Milano"}));
}

TEST(LayOutPage, DateColumnStaysOnItsEntrysLine) {
    std::vector<PdfWord> w;
    const char* dates[] = {"03.2019-05.2021", "06.2016-02.2019", "09.2014-05.2016"};
    double y = 80;
    for (int i = 0; i < 3; ++i) {
        Line(&w, 40, y, QString::fromUtf8(dates[i]));
        Line(&w, 220, y, QStringLiteral("Pflegefachkraft bei Klinik Nummer %1").arg(i + 1));
        Line(&w, 220, y + 14, QStringLiteral("Station für Innere Medizin und Notaufnahme"));
        Line(&w, 220, y + 28, QStringLiteral("Schichtleitung und Ausbildung neuer Kollegen"));
        y += 56;
    }
    const QStringList lines = Texts(LayOutPage(w, 612));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("03.2019-05.2021\tPflegefachkraft bei Klinik Nummer 1"));
    EXPECT_EQ(lines[1], QStringLiteral("Station für Innere Medizin und Notaufnahme"));
    EXPECT_EQ(lines[6], QStringLiteral("09.2014-05.2016\tPflegefachkraft bei Klinik Nummer 3"));
}

// A date column set close to the entries (a gap of one line height, not a gutter), its
// ranges wrapped over two lines: each range is read whole, on its entry's first line.
TEST(LayOutPage, WrappedDatesInANarrowColumnStayWithTheirEntry) {
    std::vector<PdfWord> w;
    auto date = [&w](double y, const QString& text) { // right-aligned at x 120
        Line(&w, 120 - 6.0 * text.size() + 3.0 * text.count(u' '), y, text);
    };
    const char* entries[][3] = {{"Mar 2019 –", "Jun 2021", "Acme Robotics, Berlin"},
                                {"2015 –", "2019", "Globex Logistics, Hamburg"},
                                {"Sep 2012 –", "2014", "Initech, Bremen"}};
    double y = 100;
    for (const auto& e : entries) {
        date(y, QString::fromUtf8(e[0]));
        Line(&w, 130, y, QString::fromUtf8(e[2]));
        date(y + 14, QString::fromUtf8(e[1]));
        Line(&w, 130, y + 14, QStringLiteral("Software Engineer"));
        Line(&w, 130, y + 28, QStringLiteral("Built the firmware of the delivery robots"));
        y += 50;
    }
    const QStringList lines = Texts(LayOutPage(w, 612));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Mar 2019 – Jun 2021\tAcme Robotics, Berlin"));
    EXPECT_EQ(lines[1], QStringLiteral("Software Engineer"));
    EXPECT_EQ(lines[6], QStringLiteral("Sep 2012 – 2014\tInitech, Bremen"));
}

TEST(LayOutPage, SidebarOnOtherBaselinesIsReadOnItsOwn) {
    std::vector<PdfWord> w;
    for (int i = 0; i < 12; ++i)
        Line(&w, 250, 80 + 12 * i, QStringLiteral("Main column text line number %1").arg(i));
    // Sidebar lines every 19 points: they meet the main column's baselines now and then.
    for (int i = 0; i < 5; ++i)
        Line(&w, 30, 80 + 19 * i, QStringLiteral("Sidebar entry number %1").arg(i));
    const QStringList lines = Texts(LayOutPage(w, 612));
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[4], QStringLiteral("Sidebar entry number 4"));
    EXPECT_EQ(lines[5], QStringLiteral("Main column text line number 0"));
}

TEST(LayOutPage, WordsWithoutSpaceAfterJoinDirectly) {
    std::vector<PdfWord> w{{"Jane", 10, 10, 34, 20, false},
                           {"Doe", 34.5, 10, 52, 20, false},
                           {"x", 54, 10, 60, 20, false}};
    EXPECT_EQ(Texts(LayOutPage(w, 612)), QStringList({"JaneDoe x"}));
}

TEST(JoinPages, RecurringHeaderAndPageNumbersKeptOnce) {
    std::vector<PdfPage> pages;
    for (int p = 1; p <= 3; ++p) {
        PdfPage page;
        page.height = 800;
        page.lines = {{"Jane Doe · jane@x.org", 20, 30},
                      {QStringLiteral("Body of page %1").arg(p), 300, 310},
                      {QStringLiteral("Page %1 of 3").arg(p), 770, 780}};
        pages.push_back(page);
    }
    const QStringList lines = JoinPages(pages);
    EXPECT_EQ(lines.count(QStringLiteral("Jane Doe · jane@x.org")), 1);
    EXPECT_EQ(lines.count(QStringLiteral("Page 1 of 3")), 1);
    EXPECT_FALSE(lines.contains(QStringLiteral("Page 2 of 3")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Body of page 3")));
}

TEST(JoinPages, OnePageKeepsItsMargins) {
    const QStringList lines = JoinPages({PdfPage{{{"Header", 10, 20}, {"Footer", 790, 798}}, 800}});
    EXPECT_TRUE(lines.contains(QStringLiteral("Header")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Footer")));
}

TEST(RepairLigaturesAndHyphens, Cases) {
    EXPECT_EQ(RepairLigaturesAndHyphens({QStringLiteral("e\uFB03cient \uFB01le \uFB02ow")}),
              QStringList({"efficient file flow"}));
    EXPECT_EQ(RepairLigaturesAndHyphens({"strong experi-", "ence in C++"}),
              QStringList({"strong experience", "in C++"}));
    EXPECT_EQ(RepairLigaturesAndHyphens({"only-", "word"}), QStringList({"onlyword"}));
    // Not a hyphenated word: a capital after the hyphen, a number, a dash with spaces.
    EXPECT_EQ(RepairLigaturesAndHyphens({"Jean-", "Pierre Dupont"}),
              QStringList({"Jean-", "Pierre Dupont"}));
    EXPECT_EQ(RepairLigaturesAndHyphens({"2019 -", "now"}), QStringList({"2019 -", "now"}));
    EXPECT_EQ(RepairLigaturesAndHyphens({QStringLiteral("experi\u00AD"), "Ence"}),
              QStringList({"experiEnce"}));
}
