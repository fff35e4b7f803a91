// Schools and degrees from the lines of an education section: how the two are told apart on
// one line, over several lines, and from the notes written around them.
#include "HistoryParser.h"
#include "QStringPrinter.h"
#include "Sections.h"
#include "WordLists.h"

#include <gtest/gtest.h>

namespace {

using namespace zorv::rp;

std::vector<EducationEntry> EducationOf(const char* text) {
    return ParseEducation(TextLines(QString::fromUtf8(text)), GetWordLists({}));
}

TEST(EducationOneLine, SchoolAndDegreeWithoutSeparatorAreCut) {
    const auto e = EducationOf("Diploma di maturità linguistica Liceo Galileo Verdi, 2015\n"
                               "School of Design MS, Interaction Design, 2016 - 2018\n"
                               "Erasmus semester at Universidad de Norte, 2012\n"
                               "2005 Bachiller en Ciencias, Instituto Técnico del Sur\n");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].degree, QStringLiteral("Diploma di maturità linguistica"));
    EXPECT_EQ(e[0].school, QStringLiteral("Liceo Galileo Verdi"));
    EXPECT_EQ(e[1].school, QStringLiteral("School of Design"));
    EXPECT_EQ(e[1].degree, QStringLiteral("MS, Interaction Design"));
    EXPECT_EQ(e[2].degree, QStringLiteral("Erasmus semester"));
    EXPECT_EQ(e[2].school, QStringLiteral("Universidad de Norte"));
    // A kind of school followed by a degree word is still one school's name.
    EXPECT_EQ(e[3].school, QStringLiteral("Instituto Técnico del Sur"));
}

TEST(EducationOneLine, LongLinesAndLinksKeepTheirNames) {
    const auto e = EducationOf(
        "2012-2013: MSc in Marine Chemistry. University of Lakeside (Canada). Thesis on the "
        "spread of alleles in island populations of small mammals under changing climates.\n"
        "[Northfield University](https://northfield.example.edu), BS, Geology, 2010\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].degree, QStringLiteral("MSc in Marine Chemistry"));
    EXPECT_EQ(e[0].school, QStringLiteral("University of Lakeside (Canada)"));
    EXPECT_EQ(e[1].school, QStringLiteral("Northfield University"));
}

TEST(EducationLines, SecondDegreeUnderTheSameSchool) {
    const auto e = EducationOf("Lakeside University\t2011 - 2015\n"
                               "– Bachelor of Science in Geology, Summa Cum Laude\n"
                               "– Bachelor of Arts in Music\n"
                               "– Minor in Latin\n"
                               "Northfield College\t2009 - 2011\n"
                               "– Associate of Arts\n");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].school, QStringLiteral("Lakeside University"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Bachelor of Arts in Music"));
    EXPECT_EQ(e[1].date.Iso(), QStringLiteral("2015"));
    EXPECT_EQ(e[2].school, QStringLiteral("Northfield College"));
}

TEST(EducationLines, DegreeOverSchoolIsNotCarriedOver) {
    const auto e = EducationOf("BSc Physics\nLakeside University\nMSc Chemistry\n"
                               "Northfield University\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].degree, QStringLiteral("MSc Chemistry"));
    EXPECT_EQ(e[1].school, QStringLiteral("Northfield University"));
}

TEST(EducationLines, WrappedSchoolNameAndFieldLine) {
    const auto e = EducationOf("09/2012 - 08/2016\nBachelor of Music\n"
                               "Hochschule für Musik und Theater\nNordstadt\n"
                               "• Schwerpunkt: Gesang\n"
                               "Polytechnic Institute of Springfield, Canada\n"
                               "Electrical Power Engineering\t2005–2009\n"
                               "2020\tMaster of Data Science\nLakeside School of Business\n"
                               "• Course of 300 hours\n");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].school, QStringLiteral("Hochschule für Musik und Theater Nordstadt"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Electrical Power Engineering"));
    EXPECT_EQ(e[1].date.Iso(), QStringLiteral("2009"));
    // A list item under the school is a note, not the rest of its name.
    EXPECT_EQ(e[2].school, QStringLiteral("Lakeside School of Business"));
}

TEST(EducationNotes, NotesAndHonoursNameNoSchool) {
    const auto e = EducationOf("2008 - 2011\nPhD in Physics, University of Northfield\n"
                               "Advisor: Prof. A. Example. Hosted by the Example Institute\n"
                               "Dean's List, Best Poster Prize 2009\n"
                               "Northfield Institute of Oceanography, Springfield\n"
                               "- Visiting Research Fellow 2010\n");
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].school, QStringLiteral("University of Northfield"));
}

TEST(EducationNotes, LabelOfTheSameKindGoes) {
    const auto e = EducationOf("Studienziel: Master of Science, Hochschule Nordstadt\n"
                               "Secondary school: Bachiller en Letras, Instituto Norte, 2001\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].degree, QStringLiteral("Master of Science"));
    EXPECT_EQ(e[0].school, QStringLiteral("Hochschule Nordstadt"));
    EXPECT_EQ(e[1].school, QStringLiteral("Instituto Norte"));
}

TEST(EducationLines, DatedLinesShapedLikeAKnownEntry) {
    const auto e = EducationOf("2017-2018\tDATA ANALYST • DataForge - Lakeside\n"
                               "2016-2016\tPYTHON | SQL | R • CodeYard - Montville\n"
                               "2009-2012\tBTS COMPTABILITÉ • Lycée Marie Curie - Montville\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].school, QStringLiteral("DataForge"));
    EXPECT_EQ(e[0].degree, QStringLiteral("DATA ANALYST"));
    EXPECT_EQ(e[1].school, QStringLiteral("Lycée Marie Curie"));
}

TEST(EducationLines, PeriodOverItsEntryStartsTheNext) {
    const auto e =
        EducationOf("• sep 2017 – may 2019\nHydrology (MSc) – Technical University\n"
                    "Lakeside (TU/L). Thesis: Bridge load models\n"
                    "• aug 2015 – feb 2016\nExchange semester at Universidad del Norte.\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].school, QStringLiteral("Technical University Lakeside (TU/L)"));
    EXPECT_EQ(e[1].school, QStringLiteral("Universidad del Norte"));
    EXPECT_EQ(e[1].start.Iso(), QStringLiteral("2015-08"));
}

TEST(EducationNotes, DegreeWithoutSchoolNeedsDateAndItsOwnLine) {
    const auto e = EducationOf("2004 : CAP cuisine\nObtention du CAP Cuisine.\n"
                               "Bachelor of Arts\n");
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].degree, QStringLiteral("CAP cuisine"));
}

TEST(EducationLines, TableRowsUnderColumnHeadings) {
    const auto e = EducationOf("Qualification\tBoard/University\tYear\tPercentage\n"
                               "B.E. (Computer)\tLakeside University\t2012\t65%\n"
                               "HSC\tState Board\t2008\t78%\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].school, QStringLiteral("Lakeside University"));
    EXPECT_EQ(e[1].school, QStringLiteral("State Board"));
    EXPECT_EQ(e[1].degree, QStringLiteral("HSC"));
}

TEST(EducationOneLine, PhrasesAndLowerCaseFieldsStayWhole) {
    const auto e = EducationOf("HIGH SCHOOL DIPLOMA, LAKEVIEW HIGH SCHOOL, 2008\n"
                               "Northfield Sveučilište\n"
                               "Sveučilišni prvostupnik strojarstva i brodogradnje\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].degree, QStringLiteral("HIGH SCHOOL DIPLOMA"));
    EXPECT_EQ(e[0].school, QStringLiteral("LAKEVIEW HIGH SCHOOL"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Sveučilišni prvostupnik strojarstva i brodogradnje"));
}

TEST(EducationOneLine, AbbreviatedSchoolBeforeItsPlace) {
    const auto e = EducationOf("MIT, Cambridge 09.2010 - 06.2014\nSpecialty: Physics\n"
                               "ACME, Cambridge\n");
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].school, QStringLiteral("MIT"));
    EXPECT_EQ(e[0].date.Iso(), QStringLiteral("2014-06"));
}

TEST(EducationOneLine, WordsAroundTheSchoolGo) {
    const auto e = EducationOf("B.Com from Lakeside University in 1994.\n"
                               "2002 - 2005 Técnico en Mecánica, E.T.N. No 3, Madrid\n"
                               "Grundschule, Lindenschule, Kleinstadt, 2007 - 2011\n"
                               "From: Aug 2009\tNorthfield Community College\tTo: Aug 2011\t"
                               "Associates of Science\n");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].school, QStringLiteral("Lakeside University"));
    EXPECT_EQ(e[1].school, QStringLiteral("E.T.N. No 3"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Técnico en Mecánica"));
    // The kind of school is its level, the name after it the school.
    EXPECT_EQ(e[2].school, QStringLiteral("Lindenschule"));
    EXPECT_EQ(e[2].degree, QStringLiteral("Grundschule"));
    EXPECT_EQ(e[3].school, QStringLiteral("Northfield Community College"));
}

TEST(EducationLines, FieldLineAndRunningTitleNameNoSchool) {
    const auto e = EducationOf("Curriculum Vitae\tJane Doe\n"
                               "I expect a Bachelor's Degree in Geology\n"
                               "B.Tech\nIn Electronics and Communication Engg.\n"
                               "From Northfield Institute of Technology, completed in 2011\n");
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].school, QStringLiteral("Northfield Institute of Technology"));
    EXPECT_EQ(e[0].degree, QStringLiteral("B.Tech"));
}

TEST(EducationLines, CourseProviderAloneOnADatedLine) {
    const auto e = EducationOf("2023\tDataForge\nSummer bootcamp\n"
                               "2021\tLakeside Tax Agency\n| Internal training\n"
                               "Professional Development, April 2013 - April 2014\n"
                               "- Machine Learning, Northfield University (online)\n");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].school, QStringLiteral("DataForge"));
    EXPECT_EQ(e[1].school, QStringLiteral("Lakeside Tax Agency"));
    // A sub-heading is no provider.
    EXPECT_EQ(e[2].school, QStringLiteral("Northfield University (online)"));
}

TEST(EducationLines, KindOfSchoolUnderAnAbbreviatedSchool) {
    const auto e = EducationOf("BETA, Madrid 09.2007 - 06.2009\n"
                               "Szkoła zawodowa, kierunek: Technik\n"
                               "III LO, Madrid 09.2002 - 06.2005\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].school, QStringLiteral("BETA"));
    EXPECT_TRUE(e[0].degree.startsWith(QStringLiteral("Szkoła zawodowa")));
    EXPECT_EQ(e[1].school, QStringLiteral("III LO"));
    EXPECT_EQ(e[1].date.Iso(), QStringLiteral("2005-06"));
}

TEST(EducationLines, PageFooterAndRunningTitleBetweenEntries) {
    const auto e =
        EducationOf("Bachelor of Science in Physics\nLakeside University, 2010 - 2014\n"
                    "Page 1 of 2\nJane Doe - Resume\n"
                    "Master of Science in Physics\nNorthfield University, 2014 - 2016\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].school, QStringLiteral("Lakeside University"));
    EXPECT_EQ(e[1].school, QStringLiteral("Northfield University"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Master of Science in Physics"));
}

} // namespace
