// Redaction of contact details: what goes, what stays (years, amounts, names), and the
// tokens and lists redacted as a whole.
#include "Redaction.h"

#include <gtest/gtest.h>
#include <ostream>

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '"' << list.join("\", \"").toStdString() << '"';
}

using zorv::WithoutContactDetails;

TEST(Redaction, ContactDetailsGoWhereverTheyStand) {
    EXPECT_EQ(WithoutContactDetails("Write to jane.q@mail.example.org today"), "Write to today");
    EXPECT_EQ(WithoutContactDetails("Call (217) 555-0142 or +44 113 496 0000."), "Call or.");
    EXPECT_EQ(WithoutContactDetails("See https://jane.example/cv?x=1 and www.jane.dev"), "See and");
    EXPECT_EQ(WithoutContactDetails("linkedin.com/in/jane-q | @janeq"), "");
    EXPECT_EQ(WithoutContactDetails("Lives at 42 Elm Street, Springfield"), "Lives at Springfield");
    EXPECT_EQ(WithoutContactDetails("PO Box 1234, Leeds"), "Leeds");
}

TEST(Redaction, NumbersThatAreNoContactDetailsStay) {
    for (const QString& text :
         {QStringLiteral("2015 - 2019 at Acme"), QStringLiteral("Cut costs by 30% ($2,000,000)"),
          QStringLiteral("Led 12 engineers in 2019/20"), QStringLiteral("ASP.NET and Node.js"),
          QStringLiteral("Jane Q. Sample, MSc")})
        EXPECT_EQ(WithoutContactDetails(text), text);
}

TEST(Redaction, KnownDetailsGoEvenInOddForms) {
    EXPECT_EQ(
        WithoutContactDetails("Reach me at home: Flat 3b Harbour Row", {"Flat 3b Harbour Row"}),
        "Reach me at home:");
}

TEST(Redaction, ContactTokensBlankAndEveryOtherValueIsCleared) {
    const QStringList names{"FullName", "Email", "Phone", "Street", "PostalCode", "Summary"};
    QStringList values{"Jane Sample",    "jane@example.com",
                       "(217) 555-0142", "1 Oak Lane",
                       "62701",          "Mail jane@example.com, post 1 Oak Lane 62701."};
    std::vector<zorv::TokenList> lists{
        {"Positions",
         {{{"Title", "Email"},
           {"Manager", "x@y.example"},
           {{"Bullets", {{{"Text"}, {"Call 217 555 0142"}, {}}}}}}}}};
    zorv::RedactTokens(names, values, lists);
    EXPECT_EQ(values, (QStringList{"Jane Sample", "", "", "", "", "Mail post."}));
    EXPECT_EQ(lists[0].items[0].values, (QStringList{"Manager", ""}));
    EXPECT_EQ(lists[0].items[0].lists[0].items[0].values, QStringList{"Call"});
}
