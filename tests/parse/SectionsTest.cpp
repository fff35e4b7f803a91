// Section headings in several languages and the cleaning of the text's lines.
#include "Sections.h"
#include "QStringPrinter.h"
#include "ResumeParserCore.h"
#include "WordLists.h"

#include <gtest/gtest.h>

namespace {

using namespace zorv::rp;

const WordLists& Lists() {
    return GetWordLists({});
}

std::vector<Section> Split(const char* text) {
    return SplitSections(TextLines(QString::fromUtf8(text)), Lists());
}

TEST(Headings, LanguagesCasesAndDecorations) {
    const std::pair<const char*, const char*> cases[] = {
        {"EXPERIENCE", "experience"},
        {"Work Experience:", "experience"},
        {"Expérience professionnelle", "experience"},
        {"BERUFSERFAHRUNG", "experience"},
        {"Experiencia laboral", "experience"},
        {"Werkervaring", "experience"},
        {"FORMATION :", "education"},
        {"Ausbildung", "education"},
        {"Formación académica", "education"},
        {"Compétences", "skills"},
        {"Kenntnisse", "skills"},
        {"Habilidades", "skills"},
        {"Langues", "languages"},
        {"Sprachen", "languages"},
        {"Idiomas", "languages"},
        {"== SKILLS ==", "skills"},
        {"/// Education", "education"},
        {"1. Education", "education"},
        {"4\tExperiência Profissional", "experience"},
        {"ACADEMICS:", "education"},
        {"Educational Experience", "education"},
        {"6.1 Projects", "other"},
        {"PRESENTAZIONE", "summary"},
        {"Erhvervserfaring og praktik", "experience"},
        {"E X P E R I E N C E", "experience"},
        {"Consulting Experience", "experience"},
        {"Education & Training", "education"},
        {"Certifications", "certifications"},
        {"Profil", "summary"},
        {"DOŚWIADCZENIE ZAWODOWE", "experience"},
        {"Опыт работы", "experience"},
        {"İş Deneyimi", "experience"},
        {"Arbetslivserfarenhet", "experience"},
        {"Esperienza professionale", "experience"},
        {"Experiência Profissional", "experience"},
        {"Radno iskustvo", "experience"},
        {"Pracovní zkušenosti", "experience"},
        {"Erhvervserfaring", "experience"},
        {"Wykształcenie", "education"},
        {"Образование", "education"},
        {"Eğitim", "education"},
        {"Utbildning", "education"},
        {"Istruzione e formazione", "education"},
        {"Teaching Experience", "experience"}};
    for (const auto& [line, kind] : cases)
        EXPECT_EQ(HeadingKind(QString::fromUtf8(line), Lists()), QString::fromUtf8(kind)) << line;
}

TEST(Headings, OrdinaryLinesAreNoHeadings) {
    for (const char* line :
         {"Senior Software Engineer", "Experience with C++ and Qt in production", "Teaching Fellow",
          "2019 Experience", "Skilled negotiator", "Stripe — San Francisco, CA", "Grace Kim"})
        EXPECT_TRUE(HeadingKind(QString::fromUtf8(line), Lists()).isEmpty()) << line;
}

TEST(Headings, ContentAfterTheColonStartsTheSection) {
    const auto s =
        SplitSections(TextLines(QStringLiteral("Kim Lee\nSkills: C++, Qt\nGit")), Lists());
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].kind, QStringLiteral("skills"));
    EXPECT_EQ(s[1].lines, (QStringList{QStringLiteral("C++, Qt"), QStringLiteral("Git")}));
}

TEST(Headings, SkillGroupsStayInTheirSection) {
    const auto s = SplitSections(
        TextLines(QStringLiteral("TECHNICAL SKILLS\nLanguages: Python, SQL\nTools: Git\n"
                                 "Languages: English, Hindi")),
        Lists());
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].lines.size(), 3);
}

TEST(Headings, AHeadingInATablesLeftColumn) {
    const auto s = SplitSections(
        TextLines(QStringLiteral("Experience\tFabrikam Inc.\t2019 – 2021\nTest Engineer")),
        Lists());
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].kind, QStringLiteral("experience"));
    EXPECT_EQ(s[1].lines.front(), QStringLiteral("Fabrikam Inc.\t2019 – 2021"));
    // A joined heading there too ends the section above.
    QString rest;
    EXPECT_EQ(
        HeadingKind(QStringLiteral("Honors and Fellowships\tDean's award, 2015"), Lists(), &rest),
        QStringLiteral("other"));
    EXPECT_EQ(rest, QStringLiteral("Dean's award, 2015"));
}

TEST(Headings, ALabelInsideAJobKeepsTheSection) {
    const auto s = SplitSections(TextLines(QStringLiteral("EXPERIENCE\nFabrikam\t2019 – 2021\n"
                                                          "Notable achievements:\nShipped v2\n"
                                                          "PROJECTS\nA compiler")),
                                 Lists());
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1].lines.size(), 3);
    EXPECT_EQ(s[2].kind, QStringLiteral("other"));
}

TEST(Headings, ANameUnderItsDatesKeepsTheSection) {
    const auto s = SplitSections(
        TextLines(QStringLiteral("WORK EXPERIENCE\n2019 - 2021\nCTO FABRIKAM TECHNOLOGIES\n"
                                 "Built the platform.\nTECHNOLOGIES\nC++")),
        Lists());
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1].lines.size(), 3);
    EXPECT_EQ(s[2].kind, QStringLiteral("skills"));
}

TEST(Headings, UnknownHeadingsWithTheDocumentsMarker) {
    const auto s = Split("Kim Lee\n/// Positions\n2019 – 2021: Tester, Fabrikam\n"
                         "/// Invited talks and panels\n2020: Testing at scale\n"
                         "// not a heading\n");
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1].kind, QStringLiteral("experience"));
    EXPECT_EQ(s[1].lines.size(), 1);
    EXPECT_EQ(s[2].kind, QStringLiteral("other"));
    EXPECT_EQ(s[2].lines.size(), 2);
}

TEST(Headings, AnEmployerAfterTheHeadingStartsTheSection) {
    const auto s = Split("Kim Lee\nWORK EXPERIENCE – FABRIKAM GMBH\nTest Engineer\n"
                         "Work - life balance matters");
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].kind, QStringLiteral("experience"));
    EXPECT_EQ(s[1].lines,
              (QStringList{QStringLiteral("FABRIKAM GMBH"), QStringLiteral("Test Engineer"),
                           QStringLiteral("Work - life balance matters")}));
    // Only a heading in capitals: in a job's text the words are the job's.
    EXPECT_TRUE(HeadingKind(QStringLiteral("Projects - an internal tool"), Lists()).isEmpty());
}

TEST(Headings, AHeadingWrappedOverTwoLines) {
    const auto s = Split("Kim Lee\nWORK\nEXPERIENCE\nFabrikam\nEXPERIÊNCIA PROFISSIO‐\n"
                         "NAL\nContoso\nSKILLS\nEXPERIENCE\nQt");
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[1].heading, QStringLiteral("WORK EXPERIENCE"));
    EXPECT_EQ(s[1].lines, QStringList{QStringLiteral("Fabrikam")});
    EXPECT_EQ(s[2].heading, QStringLiteral("EXPERIÊNCIA PROFISSIONAL"));
    EXPECT_EQ(s[2].lines, QStringList{QStringLiteral("Contoso")});
    // A known heading followed by another stays two headings.
    EXPECT_EQ(s[3].kind, QStringLiteral("skills"));
    EXPECT_EQ(s[4].kind, QStringLiteral("experience"));
}

TEST(Headings, AHeadingWordUnlikeTheDocumentsHeadingsStaysInTheJob) {
    const auto s = Split("Kim Lee\nPROFILE\nTester.\nEXPERIENCE\nFabrikam\nProjects\n"
                         "Billing\nEDUCATION\nSome College");
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[2].lines, (QStringList{QStringLiteral("Fabrikam"), QStringLiteral("Projects"),
                                       QStringLiteral("Billing")}));
    EXPECT_EQ(s[3].kind, QStringLiteral("education"));
}

// A layout line of the given text and size, in document order.
LayoutLine Styled(const char* text, double size, bool bold = false) {
    return LayoutLine{QString::fromUtf8(text), size, bold, 0, 0, 0, {}};
}

TEST(Headings, UnknownWordsSetLikeTheKnownHeadings) {
    DocumentLayout layout;
    layout.lines = {Styled("Kim Lee", 20),          Styled("Experience", 14, true),
                    Styled("Fabrikam, Tester", 10), Styled("Projects", 10),
                    Styled("Billing service", 10),  Styled("Education", 14, true),
                    Styled("Some College", 10),     Styled("Vereinsleben", 14, true),
                    Styled("Bake sales", 10),       Styled("FABRIKAM GMBH", 10, true),
                    Styled("Weekend helper", 10)};
    QStringList lines;
    for (const LayoutLine& l : layout.lines)
        lines << l.text;
    const auto s = SplitSections(lines, Lists(), &layout);
    ASSERT_EQ(s.size(), 4u);
    // "Projects" set as body text is a word of the job, not a heading.
    EXPECT_EQ(s[1].lines.size(), 3);
    EXPECT_EQ(s[3].kind, QStringLiteral("other"));
    EXPECT_EQ(s[3].heading, QStringLiteral("Vereinsleben"));
    // A bold name in the body's size is no heading.
    EXPECT_TRUE(s[3].lines.contains(QStringLiteral("FABRIKAM GMBH")));
    // Without the layout the unknown words are no heading.
    for (const Section& plain : SplitSections(lines, Lists()))
        EXPECT_NE(plain.heading, QStringLiteral("Vereinsleben"));
}

TEST(Lines, LineEndsControlCharactersAndBlankLines) {
    const QString text = QStringLiteral("  One\r\nTwo\rThree\n\n\t\nFour\x01\x02 five\tcell  \n");
    EXPECT_EQ(TextLines(text),
              (QStringList{QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three"),
                           QStringLiteral("Four   five\tcell")}));
}

TEST(Lines, LoneSurrogatesAreRemoved) {
    QString text = QStringLiteral("Name");
    text += QChar(0xD800);
    text += QStringLiteral(" Here");
    const QStringList lines = TextLines(text);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_FALSE(lines[0].contains(QChar(0xD800)));
}

TEST(Lines, ChunksOfAHeaderLine) {
    EXPECT_EQ(LineChunks(QStringLiteral("Kim Lee | Austin, TX • 512-874-3321\tkim@example.com")),
              (QStringList{QStringLiteral("Kim Lee"), QStringLiteral("Austin, TX"),
                           QStringLiteral("512-874-3321"), QStringLiteral("kim@example.com")}));
}

} // namespace
