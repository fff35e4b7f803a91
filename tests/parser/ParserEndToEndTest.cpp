// The Create run through the real client and a real server process, from a resume file to
// the HR-XML file in the temporary folder; and `qarn parse`.
#include "CreatePipeline.h"
#include "ParserTestSupport.h"
#include "ProcessResumeInterface.h"
#include "clsProcessResume.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace zorv;
using zorv::test::ParserTest;

namespace {

class View : public ICreateView {
public:
    QString input, resumeTemplate, outputResume, outputHRXML;
    QString InputResumeText() const override { return input; }
    QString ResumeTemplateText() const override { return resumeTemplate; }
    void SetOutputResumeText(const QString& t) override { outputResume = t; }
    void SetOutputHRXMLText(const QString& t) override { outputHRXML = t; }
    void SetCreateEnabled(bool) override {}
    void SetMousePointer(int) override {}
};

class EndToEnd : public ParserTest {
protected:
    // A Create run with the product's parser client; the token mapping only checks that
    // the HR-XML file is there and yields no tokens, so the template is copied unchanged.
    bool RunCreate(View& view, QByteArray& hrxml) {
        CreateCollaborators c = ProductCollaborators();
        c.NewProcessResume = [this] { return std::make_unique<clsProcessResume>(Programs()); };
        c.GetTokensFromXML = [&](const QString& file, std::int32_t& n, QStringList&, QStringList&) {
            hrxml = test::ReadFile(file);
            n = 0;
        };
        return RunCreatePipeline(view, StartupValues{}, c);
    }

    int RunQarn(const QStringList& args, QByteArray& out, QByteArray& err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZORV_QARN), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = p.readAllStandardOutput();
        err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

TEST_F(EndToEnd, CreateRunGoesThroughTheClientAndServer) {
    test::MessageRecorder messages;
    View view;
    view.input = WriteResume(QStringLiteral("Jane Doe.txt"), "Jane Doe\n");
    view.resumeTemplate = WriteResume(QStringLiteral("template.docx"), "template bytes");
    QByteArray hrxml;
    ASSERT_TRUE(RunCreate(view, hrxml)) << qPrintable(messages.Texts().join('\n'));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(view.outputHRXML,
              test::PrivateTempDir(Path(QStringLiteral("tmp"))) + "~iqarn~Jane Doe_HRXML.XML");
    EXPECT_TRUE(hrxml.contains("<Resume>"));
    EXPECT_TRUE(FileExists(view.outputHRXML)); // it stays after the run
    EXPECT_EQ(test::ReadFile(view.outputResume), QByteArray("template bytes"));
}

TEST_F(EndToEnd, RealServerTurnsTextDocxAndHtmlResumesIntoHRXML) {
    UseRealServer();
    const QString txt =
        WriteResume(QStringLiteral("resume.txt"),
                    "Jane Doe\n12 Main Street\nSpringfield, IL 62704\n"
                    "jane.doe@example.com\n(217) 555-0134\n\nEXPERIENCE\n"
                    "Acme Corp, Engineer, 2019-2024\n\nEDUCATION\nState University, BSc\n");
    const QString html = WriteResume(
        QStringLiteral("resume.html"),
        "<html><head><style>p{color:red}</style><script>var x='hidden@example.com';</script>"
        "</head><body><h1>John Roe</h1><p>john.roe@example.org</p><p>(312) 555-0199</p>"
        "<h2>Experience</h2><p>Widget Inc, Analyst, 2020-2023</p></body></html>");
    const QString docx = test::DataPath(QStringLiteral("parser/two_page_resume.docx"));
    const QString docxCopy = Path(QStringLiteral("two page.docx"));
    ASSERT_TRUE(QFile::copy(docx, docxCopy));
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {txt, "jane.doe@example.com"},
        {html, "john.roe@example.org"},
        {docxCopy, "alexandra.petrov@example.com"},
    };
    for (const auto& [input, email] : cases) {
        test::MessageRecorder messages;
        View view;
        view.input = input;
        view.resumeTemplate = WriteResume(QStringLiteral("template.docx"), "template bytes");
        QByteArray hrxml;
        ASSERT_TRUE(RunCreate(view, hrxml)) << qPrintable(messages.Texts().join('\n'));
        EXPECT_TRUE(messages.messages.empty()) << qPrintable(input);
        EXPECT_TRUE(hrxml.contains("<Resume")) << qPrintable(input);
        EXPECT_TRUE(hrxml.contains(email)) << qPrintable(input);
        EXPECT_FALSE(hrxml.contains("hidden@example.com"));
        EXPECT_EQ(QString::fromUtf8(test::ReadFile(view.outputHRXML)).toUtf8(), hrxml);
    }
}

TEST_F(EndToEnd, QarnParseWritesTheHRXMLDocument) {
    const QString resume =
        WriteResume(QStringLiteral("cv.txt"), "Jane Doe\njane.doe@example.com\n");
    const QString out = Path(QStringLiteral("cv.hrxml"));
    QByteArray stdOut, stdErr;
    EXPECT_EQ(RunQarn({QStringLiteral("parse"), resume, QStringLiteral("-o"), out}, stdOut, stdErr),
              0)
        << stdErr.constData();
    EXPECT_TRUE(test::ReadFile(out).contains("jane.doe@example.com"));
    EXPECT_EQ(RunQarn({QStringLiteral("parse"), resume}, stdOut, stdErr), 0) << stdErr.constData();
    EXPECT_TRUE(stdOut.contains("jane.doe@example.com"));
}

TEST_F(EndToEnd, QarnParseKeepsItsResumeAndAnEarlierOutputOnAFullDisk) {
    const QByteArray text = "Jane Doe\njane.doe@example.com\n";
    const QString resume = WriteResume(QStringLiteral("cv.txt"), text);
    QByteArray stdOut, stdErr;
    EXPECT_EQ(
        RunQarn({QStringLiteral("parse"), resume, QStringLiteral("-o"), resume}, stdOut, stdErr),
        1);
    EXPECT_TRUE(stdErr.contains("must not be RESUME itself")) << stdErr.constData();
    EXPECT_EQ(test::ReadFile(resume), text);

    const test::SmallDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString target = disk.Path(QStringLiteral("cv.xml"));
    ASSERT_TRUE(test::WriteFile(target, "earlier"));
    disk.Fill();
    EXPECT_EQ(
        RunQarn({QStringLiteral("parse"), resume, QStringLiteral("-o"), target}, stdOut, stdErr),
        1);
    EXPECT_TRUE(stdErr.contains("the disk is full")) << stdErr.constData();
    EXPECT_EQ(test::ReadFile(target), QByteArray("earlier"));
    EXPECT_EQ(disk.Names(), QStringList{QStringLiteral("cv.xml")});
}

TEST_F(EndToEnd, QarnCreateSaysWhyAParseFailedAndGivesScriptsJson) {
    const QString templ = Path(QStringLiteral("t.docx"));
    ASSERT_TRUE(QFile::copy(test::DataPath(QStringLiteral("word/edge-cases.docx")), templ));
    QByteArray stdOut, stdErr;
    // Past the resume file check, refused by the converter.
    const QString notPdf = WriteResume(QStringLiteral("cv.pdf"), "just some words");
    EXPECT_EQ(RunQarn({QStringLiteral("create"), notPdf, templ}, stdOut, stdErr), 1);
    EXPECT_TRUE(stdErr.contains("Error processing resume.\nDescription: ")) << stdErr.constData();
    EXPECT_FALSE(stdErr.contains("Number:"));
    EXPECT_TRUE(stdOut.isEmpty());

    // A line break in the name would split the two-line output; JSON keeps it whole.
    const QString resume =
        WriteResume(QStringLiteral("Jane\nDoe.txt"), "Jane Doe\njane@example.com\n");
    ASSERT_EQ(RunQarn({QStringLiteral("create"), QStringLiteral("--json"), resume, templ}, stdOut,
                      stdErr),
              0)
        << stdErr.constData();
    const QJsonObject paths = QJsonDocument::fromJson(stdOut).object();
    EXPECT_EQ(paths[QStringLiteral("output")].toString(),
              Path(QStringLiteral("Jane\nDoe_QX.docx")));
    EXPECT_TRUE(QFile::exists(paths[QStringLiteral("hrxml")].toString()));
}

TEST_F(EndToEnd, ScannedResumeIsReadByOcrWithItsPageShownAsProgress) {
    UseRealServer();
    const QString resume =
        WriteResume(QStringLiteral("scan.png"),
                    test::ReadFile(test::DataPath(QStringLiteral("convert/scan_resume.png"))));
    clsProcessResume pr(Programs());
    pr.ResumeFileName = resume;
    QStringList messages;
    pr.OnParserMessage = [&](const QString& text) { messages << text; };
    ASSERT_TRUE(pr.ProcessResume(QStringLiteral("Convert"))) << qPrintable(pr.ErrMsg);
    EXPECT_TRUE(pr.ResumeContent.contains(QStringLiteral("harriet.lindqvist@example.org")))
        << qPrintable(pr.ResumeContent);
    EXPECT_TRUE(messages.contains(QStringLiteral("OCR: page 1 of 1")))
        << qPrintable(messages.join(u'|'));

    QByteArray stdOut, stdErr;
    EXPECT_EQ(RunQarn({QStringLiteral("parse"), resume}, stdOut, stdErr), 0) << stdErr.constData();
    EXPECT_TRUE(stdOut.contains("<InternetEmailAddress>harriet.lindqvist@example.org"));
    EXPECT_FALSE(stdErr.contains("OCR:")) << "progress only on a terminal";
}

TEST_F(EndToEnd, RealServerParsesContentIntoTheHRXMLFileAndExtractWritesNothing) {
    UseRealServer();
    SetHostSetting(QStringLiteral("UseFullParser"), QStringLiteral("1"));
    clsProcessResume pr(Programs());
    pr.TableName = QStringLiteral("Consultants");
    pr.PutResumeContentInXML = true;
    pr.CleanupPhoneNumbers = true;
    pr.XMLResumeFileName = Path(QStringLiteral("tmp/~iqarn~cv.xml"));
    pr.ResumeContent = QStringLiteral("Jane Doe\njane.doe@example.com\n(217) 555-0134\n\n"
                                      "EXPERIENCE\nAcme Corp, Engineer, 2019-2024\n");
    ASSERT_TRUE(pr.ProcessResume(QStringLiteral("Parse"))) << qPrintable(pr.ErrMsg);
    EXPECT_TRUE(pr.XMLResume.contains(QStringLiteral("jane.doe@example.com")));
    const QString hrxml = Path(QStringLiteral("tmp/~iqarn~cv_HRXML.XML"));
    EXPECT_EQ(QString::fromUtf8(test::ReadFile(hrxml)), pr.XMLResume);

    QFile::remove(hrxml);
    pr.XMLResume.clear();
    ASSERT_TRUE(pr.ProcessResume(QStringLiteral("Extract"))) << qPrintable(pr.ErrMsg);
    EXPECT_TRUE(pr.XMLResume.contains(QStringLiteral("jane.doe@example.com")));
    EXPECT_FALSE(QFile::exists(hrxml));
}

TEST_F(EndToEnd, QarnParseReadsTheConvertersLayout) {
    // The name stands below a heading the text alone would take for it, and the e-mail
    // address only in a link: the server lends the Convert's layout to the Parse.
    const QString resume = WriteResume(
        QStringLiteral("cv.html"),
        "<html><body><p>Professional Summary</p><h1>Nora Quist</h1>"
        "<p><a href='mailto:nora.quist@example.org'>Email</a></p>"
        "<p>Engineer who builds reliable systems for many years now.</p></body></html>");
    QByteArray stdOut, stdErr;
    EXPECT_EQ(RunQarn({QStringLiteral("parse"), resume}, stdOut, stdErr), 0) << stdErr.constData();
    EXPECT_TRUE(stdOut.contains("<FormattedName>Nora Quist</FormattedName>")) << stdOut.constData();
    EXPECT_TRUE(stdOut.contains("nora.quist@example.org"));
}

TEST_F(EndToEnd, QarnParseOfAMissingResumeFails) {
    QByteArray stdOut, stdErr;
    EXPECT_EQ(RunQarn({QStringLiteral("parse"), Path(QStringLiteral("none.txt"))}, stdOut, stdErr),
              1);
    EXPECT_TRUE(stdErr.contains("Resume not found."));
    EXPECT_TRUE(stdOut.isEmpty());
}

} // namespace
