// The real client: LibreOffice opens what the engine saved and shows the values in place
// of the markers, with the rest of the text unchanged; a Rich Text template with its blocks
// expanded.
#include "EngineTestSupport.h"

#include "TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace zorv::wordengine;
using namespace zorv::wordengine::test;
using zorv::TokenList;
using zorv::TokenRecord;
namespace word = zorv::word;

namespace {

// The document converted to UTF-8 text by LibreOffice with a private profile.
QString ConvertToText(const QString& docx, const QString& workDir) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QProcess p;
    p.start(soffice,
            {QStringLiteral("--headless"), QStringLiteral("--norestore"),
             QStringLiteral("-env:UserInstallation=file://") + workDir + QStringLiteral("/profile"),
             QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
             QStringLiteral("--outdir"), workDir, docx});
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(zorv::test::ReadFile(workDir + QStringLiteral("/t.txt")));
}

void ReplaceEverywhere(word::Document& d, const QString& marker, const QString& value) {
    auto sections = d.Sections();
    for (int s = 1; s <= sections->Count(); ++s)
        for (bool footer : {false, true}) {
            auto hf = footer ? sections->Item(s)->Footers() : sections->Item(s)->Headers();
            for (int j = 1; j <= hf->Count(); ++j)
                ReplaceAll(*hf->Item(j)->Range(), marker, value);
        }
    ReplaceAll(*d.Content(), marker, value);
}

} // namespace

TEST(LibreOffice, ReadsTheFilledTemplateWithTheValuesInPlace) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    auto o = OpenBytes(zorv::test::ReadFile(zorv::test::DataPath("wordengine/template.docx")));
    word::Document& d = *o->doc;
    QString experience;
    for (int i = 0; i < 25; ++i)
        experience += QStringLiteral("Worked%1 ").arg(i, 2, 10, QChar(u'0'));
    ReplaceEverywhere(d, "[[FullName]]", "Jane Q. Public");
    ReplaceEverywhere(d, "[[Email]]", "jane@example.com & co <x>");
    ReplaceEverywhere(d, "[[Phone]]", "+1 555 0100");
    ReplaceEverywhere(d, "[[Objective]]", "Line one\r\nLine two");
    for (qsizetype p = 0; p < experience.size(); p += 100)
        ReplaceEverywhere(d, "[[Experience]]", experience.mid(p, 100) + "[[Experience]]");
    ReplaceEverywhere(d, "[[Experience]]", QString());
    d.CustomDocumentProperties()->Add("KVTFullName", false, word::msoPropertyTypeString, o->path);
    d.Save();

    const QString text = ConvertToText(o->path, o->scratch.Path("."));
    ASSERT_FALSE(text.isEmpty()) << "LibreOffice did not convert the saved document";
    EXPECT_TRUE(text.contains("Jane Q. Public")) << text.toStdString();
    EXPECT_TRUE(text.contains("E-mail: jane@example.com & co <x> Phone: +1 555 0100"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Line one")) << text.toStdString();
    EXPECT_TRUE(text.contains("Line two")) << text.toStdString();
    EXPECT_TRUE(text.contains(experience.trimmed())) << text.toStdString();
    EXPECT_TRUE(text.contains("Keep [[NotAToken]] as it is. Name again: Jane Q. Public."))
        << text.toStdString();
    EXPECT_FALSE(text.contains("[[FullName]]"));
    EXPECT_FALSE(text.contains("[[Experience]]"));
}

TEST(LibreOffice, ReadsARichTextTemplateWithItsBlocksExpanded) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    auto o = OpenBytes("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 [[FullName]][[!Redact]]\\par "
                       "[[#Positions]]\\par {\\b [[Title]]} at [[Employer]]\\par "
                       "Skills: [[#Skills]][[Name]], [[/Skills]]end\\par [[/Positions]]\\par "
                       "[[?Email]]\\par Mail\\par [[/Email]]\\par Last\\par}",
                       QStringLiteral("t.rtf"));
    TokenRecord values{{"FullName", "Email"}, {"Jane Q. Public", ""}, {}};
    TokenList skills{"Skills", {TokenRecord{{"Name"}, {"SQL"}, {}}, {{"Name"}, {"Go"}, {}}}};
    values.lists.push_back(
        {"Positions",
         {TokenRecord{{"Title", "Employer"}, {"Lead", "Acme"}, {skills}},
          TokenRecord{{"Title", "Employer"}, {"Analyst", "Globex"}, {TokenList{"Skills", {}}}}}});
    o->doc->FillTemplate(values);
    o->doc->Save();

    const QString text = ConvertToText(o->path, o->scratch.Path("."));
    ASSERT_FALSE(text.isEmpty()) << "LibreOffice did not convert the saved document";
    QString lines = QString(text).remove(QChar(0xFEFF)).trimmed();
    EXPECT_EQ(lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString(),
              "Jane Q. Public\nLead at Acme\nSkills: SQL, Go, end\n"
              "Analyst at Globex\nSkills: end\nLast");
}
