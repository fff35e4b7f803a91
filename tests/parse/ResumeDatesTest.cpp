// Dates and date ranges as resumes write them.
#include "ResumeDates.h"
#include "QStringPrinter.h"

#include <gtest/gtest.h>

using zorv::rp::DateRange;
using zorv::rp::FindDateRange;
using zorv::rp::ParseDate;

namespace {

struct DateCase {
    const char* text;
    const char* iso; // "" for present
    bool present;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.text;
}

class SingleDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(SingleDates, NormaliseToTheSchemaForms) {
    const auto& c = GetParam();
    const auto d = ParseDate(QString::fromUtf8(c.text));
    EXPECT_TRUE(d.IsSet()) << c.text;
    EXPECT_EQ(d.present, c.present) << c.text;
    EXPECT_EQ(d.Iso(), QString::fromUtf8(c.iso)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    CommonForms, SingleDates,
    ::testing::Values(
        DateCase{"05/2019", "2019-05", false}, DateCase{"5.2019", "2019-05", false},
        DateCase{"May 2019", "2019-05", false}, DateCase{"2019-05", "2019-05", false},
        DateCase{"Mai 2019", "2019-05", false}, DateCase{"janv. 2018", "2018-01", false},
        DateCase{"März 2020", "2020-03", false}, DateCase{"septiembre de 2017", "2017-09", false},
        DateCase{"Summer 2018", "2018-06", false}, DateCase{"'19", "2019", false},
        DateCase{"Sept '22", "2022-09", false}, DateCase{"15/06/2018", "2018-06-15", false},
        DateCase{"01.04.2017", "2017-04-01", false}, DateCase{"1998", "1998", false},
        DateCase{"Present", "", true}, DateCase{"heute", "", true}, DateCase{"actuel", "", true},
        DateCase{"Actualidad", "", true}, DateCase{"Now", "", true}));

TEST(SingleDates, SeasonKeepsItsName) {
    const auto d = ParseDate(QStringLiteral("Fall 2021"));
    EXPECT_EQ(d.season, QStringLiteral("Fall"));
    EXPECT_EQ(d.Iso(), QStringLiteral("2021-09"));
}

TEST(SingleDates, ImpossibleDaysAndMonthsAreDropped) {
    EXPECT_EQ(ParseDate(QStringLiteral("31/02/2019")).Iso(), QStringLiteral("2019-02"));
    EXPECT_EQ(ParseDate(QStringLiteral("13/2019")).IsSet(), false);
}

TEST(SingleDates, TextAroundTheDateIsNoDate) {
    EXPECT_FALSE(ParseDate(QStringLiteral("Increased revenue in 2019")).IsSet());
    EXPECT_FALSE(ParseDate(QStringLiteral("")).IsSet());
}

TEST(DateRanges, StartAndEndWithEverySeparator) {
    for (const char* text :
         {"Jan 2019 – Present", "Jan 2019 - present", "Jan 2019 to Present", "01/2019 — heute",
          "janvier 2019 à aujourd'hui", "Enero 2019 - Actualidad", "2019-01 bis heute"}) {
        const auto r = FindDateRange(QString::fromUtf8(text));
        EXPECT_EQ(r.start.Iso(), QStringLiteral("2019-01")) << text;
        EXPECT_TRUE(r.end.present) << text;
    }
    const auto years = FindDateRange(QStringLiteral("2010-2014"));
    EXPECT_EQ(years.start.Iso(), QStringLiteral("2010"));
    EXPECT_EQ(years.end.Iso(), QStringLiteral("2014"));
}

TEST(DateRanges, SinceMeansUntilNow) {
    for (const char* text : {"since 2020", "seit 10/2022", "depuis mars 2020", "Desde 2020"}) {
        const auto r = FindDateRange(QString::fromUtf8(text));
        EXPECT_TRUE(r.start.IsSet()) << text;
        EXPECT_TRUE(r.end.present) << text;
        EXPECT_EQ(r.position, 0) << text;
    }
}

TEST(DateRanges, PositionCoversTheRangeOnly) {
    const QString line = QStringLiteral("Senior Engineer, Acme (Mar 2018 – Jun 2020)");
    const auto r = FindDateRange(line);
    EXPECT_EQ(line.mid(r.position, r.length), QStringLiteral("Mar 2018 – Jun 2020"));
}

TEST(DateRanges, PhoneNumbersEndingLikeAYearAreNoDates) {
    EXPECT_EQ(FindDateRange(QStringLiteral("(415) 782-2019")).position, -1);
    EXPECT_EQ(FindDateRange(QStringLiteral("2015-2019")).end.Iso(), QStringLiteral("2019"));
}

TEST(DateRanges, ALonePresentWordIsNoDate) {
    EXPECT_EQ(FindDateRange(QStringLiteral("currently leading the team")).position, -1);
}

TEST(DateRanges, MonthsSharingAYear) {
    const DateRange a = FindDateRange(QStringLiteral("Internship, June-July 2017"));
    EXPECT_EQ(a.start.Iso(), QStringLiteral("2017-06"));
    EXPECT_EQ(a.end.Iso(), QStringLiteral("2017-07"));
    const DateRange b = FindDateRange(QStringLiteral("2020, Jul-Okt."));
    EXPECT_EQ(b.start.Iso(), QStringLiteral("2020-07"));
    EXPECT_EQ(b.end.Iso(), QStringLiteral("2020-10"));
}

TEST(DateRanges, FromAndToIsARangeNotUntilNow) {
    const DateRange r = FindDateRange(QStringLiteral("Analyst, Contoso from Mar'20 to Nov'20"));
    EXPECT_EQ(r.start.Iso(), QStringLiteral("2020-03"));
    EXPECT_EQ(r.end.Iso(), QStringLiteral("2020-11"));
    EXPECT_TRUE(FindDateRange(QStringLiteral("since May 2021")).end.present);
}

TEST(DateRanges, LabelledStartAndEndWithNamesBetween) {
    const QString line = QStringLiteral("From: Jan 2013\tContoso Ltd\tTo: Mar 2014\tAnalyst");
    const DateRange r = FindDateRange(line);
    EXPECT_EQ(r.start.Iso(), QStringLiteral("2013-01"));
    EXPECT_EQ(r.end.Iso(), QStringLiteral("2014-03"));
    EXPECT_EQ(line.mid(r.endPosition, r.endLength), QStringLiteral("To: Mar 2014"));
    // Without the labels' colons "to" is a word of the sentence, not the end of a range.
    EXPECT_NE(FindDateRange(QStringLiteral("from 2013 we moved to Berlin in 2014")).end.year, 2014);
}

TEST(DateRanges, EmphasisAroundTheRange) {
    const DateRange r = FindDateRange(QStringLiteral("_June 2011 - Present_"));
    EXPECT_EQ(r.start.Iso(), QStringLiteral("2011-06"));
    EXPECT_TRUE(r.end.present);
}

TEST(DateRanges, MonthsAndNowInManyLanguages) {
    const char* const present[] = {"03/2019 – atual",       "Marzo 2019 - in corso",
                                   "marzec 2019 – obecnie", "март 2019 – по настоящее время",
                                   "Mart 2019 - halen",     "mars 2019 – nu",
                                   "Sept. 2019 – Auj."};
    for (const char* text : present) {
        const DateRange r = FindDateRange(QString::fromUtf8(text));
        EXPECT_EQ(r.start.year, 2019) << text;
        EXPECT_TRUE(r.end.present) << text;
    }
    EXPECT_EQ(ParseDate(QStringLiteral("października 2021")).month, 10);
    EXPECT_EQ(ParseDate(QStringLiteral("Temmuz 2015")).month, 7);
    EXPECT_EQ(ParseDate(QStringLiteral("settembre 2015")).month, 9);
}

} // namespace
