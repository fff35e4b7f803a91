// Parse and Extract end to end: the HR-XML they give, its validity against the HR-XML 2.5
// schema, the settings that shape it, and bad input.
#include "HrXmlQuery.h"
#include "QStringPrinter.h"
#include "ResumeParserCore.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

using zorv::rp::ParseResume;
using zorv::rp::ParserSettings;
using zorv::test::HrXmlDoc;

const char* const kResume = "Kim Lee\n"
                            "Austin, TX 78701 | 512-874-3321 | kim.lee@example.com\n\n"
                            "SUMMARY\nBackend developer.\n\n"
                            "EXPERIENCE\n"
                            "Web Developer, Bazaarvoice, 2016-06 to 2020-12\n"
                            "Full Stack Developer, Indeed, 2021-01 to present\n"
                            "  - Profile pages.\n\n"
                            "EDUCATION\nB.S. Computer Science, University of Texas, 2016\n\n"
                            "SKILLS\nC++, Qt\n\nLANGUAGES\nEnglish, Spanish (fluent)\n\n"
                            "CERTIFICATIONS\nAWS Certified Developer, 2020\n";

ParserSettings Settings(const QString& text) {
    ParserSettings s;
    s.ResumeContent = text;
    s.UseFullParser = true;
    return s;
}

void ExpectValid(const QString& xml, const QString& what) {
    if (zorv::test::HrXmlSchemaPath().isEmpty())
        return;
    EXPECT_EQ(zorv::test::HrXmlSchemaErrors(xml), QString()) << qPrintable(what);
}

bool SchemaMissing() {
    if (!zorv::test::HrXmlSchemaPath().isEmpty())
        return false;
    std::printf("HR-XML 2.5 schema not found at %s; validation skipped\n", ZORV_HRXML_SCHEMA);
    return true;
}

const QString kCi = QStringLiteral("/h:Resume/h:StructuredXMLResume/h:ContactInfo");

TEST(FullParse, EveryPartInItsPlace) {
    const auto r = ParseResume(Settings(QString::fromUtf8(kResume)), false);
    ASSERT_TRUE(r.ok) << qPrintable(r.message);
    const HrXmlDoc doc(r.text);
    ASSERT_TRUE(doc.IsWellFormed());
    EXPECT_EQ(doc.Values(kCi + "/h:PersonName/h:GivenName"), QStringList{"Kim"});
    EXPECT_EQ(doc.Values(kCi + "/h:PersonName/h:FamilyName"), QStringList{"Lee"});
    EXPECT_EQ(doc.Values(kCi + "/h:ContactMethod/h:InternetEmailAddress"),
              QStringList{"kim.lee@example.com"});
    EXPECT_EQ(doc.Values(kCi + "/h:ContactMethod/h:Telephone/h:FormattedNumber"),
              QStringList{"512-874-3321"});
    EXPECT_EQ(doc.Values(kCi + "/h:ContactMethod/h:PostalAddress/h:Municipality"),
              QStringList{"Austin"});
    EXPECT_EQ(doc.Values("//h:ExecutiveSummary"), QStringList{"Backend developer."});
    // Newest first, and the current one flagged.
    EXPECT_EQ(doc.Values("//h:EmployerOrg/h:EmployerOrgName"),
              (QStringList{"Indeed", "Bazaarvoice"}));
    EXPECT_EQ(doc.Values("//h:PositionHistory/@currentEmployer"), QStringList{"true"});
    EXPECT_EQ(doc.Values("//h:PositionHistory[1]/h:StartDate/h:YearMonth"),
              (QStringList{"2021-01", "2016-06"}));
    EXPECT_EQ(doc.Values("//h:SchoolOrInstitution/h:School/h:SchoolName"),
              QStringList{"University of Texas"});
    EXPECT_EQ(doc.Values("//h:Degree/h:DegreeName"), QStringList{"B.S. Computer Science"});
    EXPECT_EQ(doc.Values("//h:Degree/h:DegreeDate/h:Year"), QStringList{"2016"});
    EXPECT_EQ(doc.Values("//h:Qualifications/h:Competency/@name"), (QStringList{"C++", "Qt"}));
    EXPECT_EQ(doc.Values("//h:Languages/h:Language/h:LanguageCode"), (QStringList{"en", "es"}));
    EXPECT_EQ(doc.Values("//h:LicenseOrCertification/h:Name"),
              QStringList{"AWS Certified Developer"});
    EXPECT_TRUE(doc.Values("//h:NonXMLResume").isEmpty());
    ExpectValid(r.text, QStringLiteral("full parse"));
}

TEST(FullParse, DatedRolesWithoutAHeadingAreAList) {
    // Most lines name a known title, so the others of the list count too.
    const auto r =
        ParseResume(Settings(QStringLiteral("Sam Doe\nsam.doe@example.com\n"
                                            "7/2021-Present, Security Manager, Contoso\n"
                                            "3/2018-7/2021, Security Assessor, Contoso\n"
                                            "3/2016-3/2018, Pipe Fitter, Fabrikam Inc.\n"
                                            "3/2014-3/2016, Network Engineer, Litware\n"
                                            "3/2012-3/2014, Supply Specialist, Litware\n")),
                    false);
    ASSERT_TRUE(r.ok) << qPrintable(r.message);
    const HrXmlDoc doc(r.text);
    EXPECT_EQ(doc.Values("//h:PositionHistory/h:Title").size(), 5);
}

TEST(FullParse, TextResumeWhenAsked) {
    ParserSettings s = Settings(QString::fromUtf8(kResume));
    s.PutResumeContentInXML = true;
    const auto r = ParseResume(s, false);
    const HrXmlDoc doc(r.text);
    EXPECT_EQ(doc.Values("/h:Resume/h:NonXMLResume/h:TextResume"),
              QStringList{QString::fromUtf8(kResume)});
    ExpectValid(r.text, QStringLiteral("text resume"));
}

TEST(Modes, ExtractGivesContactInformationOnly) {
    ParserSettings s = Settings(QString::fromUtf8(kResume));
    s.PutResumeContentInXML = true;
    const auto r = ParseResume(s, true);
    ASSERT_TRUE(r.ok);
    const HrXmlDoc doc(r.text);
    EXPECT_FALSE(doc.Values(kCi + "/h:PersonName/h:FormattedName").isEmpty());
    EXPECT_TRUE(doc.Values("//h:EmploymentHistory").isEmpty());
    EXPECT_TRUE(doc.Values("//h:ExecutiveSummary").isEmpty());
    EXPECT_TRUE(doc.Values("//h:NonXMLResume").isEmpty());
    ExpectValid(r.text, QStringLiteral("extract"));
}

TEST(Modes, ContactInfoOnlySetting) {
    ParserSettings s = Settings(QString::fromUtf8(kResume));
    s.ParseContactInfoOnly = true;
    const auto r = ParseResume(s, false);
    const HrXmlDoc doc(r.text);
    EXPECT_FALSE(doc.Values(kCi).isEmpty());
    EXPECT_TRUE(doc.Values("//h:EmploymentHistory").isEmpty());
    EXPECT_TRUE(doc.Values("//h:NonXMLResume").isEmpty());
}

TEST(Modes, WithoutTheFullParserContactAndText) {
    ParserSettings s = Settings(QString::fromUtf8(kResume));
    s.UseFullParser = false;
    const auto r = ParseResume(s, false);
    const HrXmlDoc doc(r.text);
    EXPECT_FALSE(doc.Values(kCi).isEmpty());
    EXPECT_TRUE(doc.Values("//h:EmploymentHistory").isEmpty());
    EXPECT_EQ(doc.Values("//h:TextResume").size(), 1);
    ExpectValid(r.text, QStringLiteral("contact and text"));
}

TEST(Modes, CleanupUsesTheResumeCountry) {
    ParserSettings s = Settings(QStringLiteral("Jean Dubois\nTél. : 06.12.34.56.78\n"));
    s.CleanupPhoneNumbers = true;
    s.ResumeCountry = QStringLiteral("FR");
    const HrXmlDoc fr(ParseResume(s, true).text);
    EXPECT_EQ(fr.Values("//h:FormattedNumber"), QStringList{"06 12 34 56 78"});
    // A number written with its country prefix keeps it, whatever the resume country.
    s.ResumeContent = QStringLiteral("Jean Dubois\nTél. : +33 6 12 34 56 78\n");
    const HrXmlDoc written(ParseResume(s, true).text);
    EXPECT_EQ(written.Values("//h:FormattedNumber"), QStringList{"+33 6 12 34 56 78"});
    s.ResumeCountry = QStringLiteral("US");
    const HrXmlDoc us(ParseResume(s, true).text);
    EXPECT_EQ(us.Values("//h:FormattedNumber"), QStringList{"+33 6 12 34 56 78"});
}

TEST(BadInput, BlankTextFailsWithAMessage) {
    for (const QString& text :
         {QString(), QStringLiteral("   \n\t\r\n"), QString(QChar(0)) + QString(QChar(1))}) {
        const auto r = ParseResume(Settings(text), false);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QStringLiteral("The resume has no text to parse."));
        EXPECT_TRUE(r.text.isEmpty());
    }
}

TEST(BadInput, OversizedTextFails) {
    const auto r = ParseResume(Settings(QString(5 * 1024 * 1024, QLatin1Char('a'))), false);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("too long")));
}

TEST(BadInput, GarbageGivesAMinimalValidDocument) {
    QString noise;
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < 20000; ++i)
        noise += QChar(static_cast<char16_t>(rng->bounded(1, 0xFFFF)));
    for (const QString& text : {noise, QStringLiteral("x"), QString(200000, QLatin1Char('9')),
                                QStringLiteral("%PDF-1.7\n\x01\x02 obj << /Type /Catalog >>")}) {
        const auto r = ParseResume(Settings(text), false);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(HrXmlDoc(r.text).IsWellFormed());
        ExpectValid(r.text, QStringLiteral("garbage"));
    }
}

TEST(BadInput, FloodsOfDetailsAreCapped) {
    QString text = QStringLiteral("Kim Lee\nEXPERIENCE\n");
    for (int i = 0; i < 1000; ++i)
        text += QStringLiteral("%1 - %2 Engineer, Acme%3 Inc\nx%3@example.com (415) 782-%4\n")
                    .arg(2000 + i % 20)
                    .arg(2001 + i % 20)
                    .arg(i)
                    .arg(1000 + i);
    text += QStringLiteral("SKILLS\n");
    for (int i = 0; i < 2000; ++i)
        text += QStringLiteral("skill%1, ").arg(i);
    const auto r = ParseResume(Settings(text), false);
    ASSERT_TRUE(r.ok);
    const HrXmlDoc doc(r.text);
    EXPECT_LE(doc.Values("//h:InternetEmailAddress").size(), 10);
    EXPECT_LE(doc.Values("//h:FormattedNumber").size(), 10);
    EXPECT_EQ(doc.Values("//h:Competency/@name").size(), 300);
    EXPECT_EQ(doc.Values("//h:PositionHistory").size(), 1000);
}

TEST(BadInput, MarkupAndControlCharactersAreEscaped) {
    ParserSettings s =
        Settings(QStringLiteral("Kim <w:t>Lee]]>\nkim@example.com\n"
                                "EXPERIENCE\nDeveloper, A&B <Corp>, 2019 - 2020\x07\n"
                                "SKILLS\n\"C++\" & <Qt>\n"));
    s.PutResumeContentInXML = true;
    const auto r = ParseResume(s, false);
    ASSERT_TRUE(r.ok);
    const HrXmlDoc doc(r.text);
    ASSERT_TRUE(doc.IsWellFormed());
    EXPECT_EQ(doc.Values("//h:EmployerOrgName"), QStringList{"A&B <Corp>"});
    EXPECT_FALSE(doc.Values("//h:TextResume").value(0).contains(QChar(7)));
    ExpectValid(r.text, QStringLiteral("markup"));
}

TEST(FullParse, ASidebarListEndsAtTheName) {
    const auto r = ParseResume(
        Settings(QStringLiteral("CONTACT\nana.silva@example.com\nSKILLS\nFigma\nSketch\n"
                                "Ana Silva\nProduct Designer\nEXPERIENCE\n"
                                "Product Designer, Nubank, 2019 - Present\n")),
        false);
    ASSERT_TRUE(r.ok);
    const HrXmlDoc doc(r.text);
    EXPECT_EQ(doc.Values(kCi + "/h:PersonName/h:FormattedName"), QStringList{"Ana Silva"});
    EXPECT_EQ(doc.Values("//h:Qualifications/h:Competency/@name"),
              (QStringList{"Figma", "Sketch"}));
}

TEST(SchemaCheck, RejectsADocumentOutOfOrder) {
    if (SchemaMissing())
        GTEST_SKIP() << "HR-XML 2.5 schema folder absent";
    // PositionHistory without its required OrgName, Description and StartDate.
    const QString bad = QStringLiteral(
        "<Resume xmlns=\"http://ns.hr-xml.org/2007-04-15\"><StructuredXMLResume>"
        "<EmploymentHistory><EmployerOrg><EmployerOrgName>A</EmployerOrgName>"
        "<PositionHistory><Title>T</Title></PositionHistory></EmployerOrg></EmploymentHistory>"
        "</StructuredXMLResume></Resume>");
    EXPECT_FALSE(zorv::test::HrXmlSchemaErrors(bad).isEmpty());
}

TEST(SampleSet, EveryResumeParsesToAValidDocument) {
    if (SchemaMissing())
        GTEST_SKIP() << "HR-XML 2.5 schema folder absent";
    const QDir dir(zorv::test::DataPath(QStringLiteral("resumes")));
    const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
    ASSERT_GE(files.size(), 40);
    for (const QString& f : files) {
        ParserSettings s = Settings(QString::fromUtf8(zorv::test::ReadFile(dir.filePath(f))));
        s.PutResumeContentInXML = true;
        for (bool contactOnly : {false, true}) {
            const auto r = ParseResume(s, contactOnly);
            ASSERT_TRUE(r.ok) << qPrintable(f);
            const HrXmlDoc doc(r.text);
            EXPECT_FALSE(doc.Values(kCi + "/h:PersonName/h:FormattedName").isEmpty())
                << qPrintable(f);
            ExpectValid(r.text, f);
        }
    }
}

// The samples in office formats and HTML go through the real Convert first: the text of page
// headers, text boxes and table cells must reach Parse, and the result must be valid.
TEST(SampleSet, EveryOtherFormatConvertsAndParsesToAValidDocument) {
    if (SchemaMissing())
        GTEST_SKIP() << "HR-XML 2.5 schema folder absent";
    const QDir dir(zorv::test::DataPath(QStringLiteral("resumes")));
    const QStringList files =
        dir.entryList({QStringLiteral("*.docx"), QStringLiteral("*.doc"), QStringLiteral("*.rtf"),
                       QStringLiteral("*.pdf"), QStringLiteral("*.htm"), QStringLiteral("*.html"),
                       QStringLiteral("*.wpd")},
                      QDir::Files);
    ASSERT_GE(files.size(), 15);
    // The converters deny external entities to the whole process, which also stops the
    // schema's includes: load the schema (the helper keeps it) before the first Convert.
    ExpectValid(ParseResume(Settings(QString::fromUtf8(kResume)), false).text,
                QStringLiteral("plain text"));
    const bool haveOffice = !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
    for (const QString& f : files) {
        if (f.endsWith(QLatin1String(".doc")) && !haveOffice) {
            std::printf("LibreOffice not installed; %s skipped\n", qPrintable(f));
            continue;
        }
        ParserSettings convert;
        convert.ResumeFileName = dir.filePath(f);
        const auto text = zorv::rp::ConvertResume(convert);
        ASSERT_TRUE(text.ok) << qPrintable(f) << ": " << qPrintable(text.message);
        // The expected name is in the text, wherever the document keeps it.
        const QString expected = QString::fromUtf8(zorv::test::ReadFile(
            dir.filePath(QFileInfo(f).completeBaseName() + QStringLiteral(".expected"))));
        const QString name =
            expected.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(':'), 1).trimmed();
        ASSERT_FALSE(name.isEmpty()) << qPrintable(f);
        EXPECT_TRUE(text.text.contains(name.section(QLatin1Char(' '), -1), Qt::CaseInsensitive))
            << qPrintable(f);
        ParserSettings s = Settings(text.text);
        s.PutResumeContentInXML = true;
        for (bool contactOnly : {false, true}) {
            const auto r = ParseResume(s, contactOnly);
            ASSERT_TRUE(r.ok) << qPrintable(f);
            const HrXmlDoc doc(r.text);
            EXPECT_EQ(doc.Values(kCi + "/h:PersonName/h:FormattedName").value(0), name)
                << qPrintable(f);
            ExpectValid(r.text, f);
        }
    }
}

} // namespace
