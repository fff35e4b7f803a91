// The Create run with recording doubles for the parser client, the token mapping and the
// token replacement: input checks, derived paths, properties, exits and the error report.
#include "CreatePipeline.h"
#include "FuncLib.h"
#include "ProcessResumeInterface.h"
#include "ReplaceTokensInterface.h"
#include "Settings.h"
#include "TestSupport.h"
#include "ZorvError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zorv;

namespace {

struct Journal {
    std::vector<std::string> events;
    void Add(const std::string& e) { events.push_back(e); }
};

class FakeView : public ICreateView {
public:
    explicit FakeView(Journal& j) : j_(j) {}
    QString input, resumeTemplate, outputResume = "earlier", outputHRXML = "earlier";
    bool redact = false;
    bool RedactContactDetails() const override { return redact; }
    QString InputResumeText() const override { return input; }
    QString ResumeTemplateText() const override { return resumeTemplate; }
    void SetOutputResumeText(const QString& t) override { outputResume = t; }
    void SetOutputHRXMLText(const QString& t) override { outputHRXML = t; }
    void SetCreateEnabled(bool e) override { j_.Add(e ? "enable" : "disable"); }
    void SetMousePointer(int p) override { j_.Add("pointer " + std::to_string(p)); }

private:
    Journal& j_;
};

class FakeProcessResume : public IProcessResume {
public:
    FakeProcessResume(Journal& j, ProcessResumeProperties& seen, bool convertOK, bool parseOK)
        : j_(j), seen_(seen), convertOK_(convertOK), parseOK_(parseOK) {}
    ~FakeProcessResume() override { j_.Add("release parser"); }
    bool ProcessResume(const QString& what) override {
        j_.Add("ProcessResume " + what.toStdString());
        seen_ = *this;
        if (what == "Convert") {
            ErrMsg = convertOK_ ? QString() : QStringLiteral("The file is empty.");
            return convertOK_;
        }
        // The parser writes the HR-XML beside the temporary XML path, and leaves that file.
        test::WriteFile(XMLResumeFileName, "<tmp/>");
        test::WriteFile(StripFileExt(XMLResumeFileName) + "_HRXML.XML", "<Resume/>");
        ErrMsg = parseOK_ ? QString() : QStringLiteral("No text found.");
        return parseOK_;
    }

private:
    Journal& j_;
    ProcessResumeProperties& seen_;
    bool convertOK_, parseOK_;
};

class FakeReplaceTokens : public IReplaceTokens {
public:
    FakeReplaceTokens(Journal& j, QString& filled, bool fillOK)
        : j_(j), filled_(filled), fillOK_(fillOK) {}
    ~FakeReplaceTokens() override { j_.Add("release replacer"); }
    bool ReplaceTokensInDoc(const QString& fileName, bool tempFile) override {
        j_.Add(std::string("ReplaceTokensInDoc ") + (tempFile ? "temp" : "final") + " " +
               std::to_string(NTokens) + " " + TokenNames.join(',').toStdString() + "=" +
               TokenValues.join(',').toStdString());
        for (const TokenList& list : TokenLists)
            j_.Add("list " + list.name.toStdString() + " " + std::to_string(list.items.size()));
        if (Redact)
            j_.Add("redact");
        filled_ = fileName;
        if (fillOK_)
            test::WriteFile(fileName, "filled");
        return fillOK_;
    }

private:
    Journal& j_;
    QString& filled_;
    bool fillOK_;
};

class CreateRun : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmp_ = qgetenv("TMPDIR");
        oldCfg_ = qgetenv("XDG_CONFIG_HOME");
        tmp_ = dir_.path() + "/tmp";
        QDir().mkpath(tmp_);
        QDir().mkpath(dir_.path() + "/cfg");
        QDir().mkpath(dir_.path() + "/resumes");
        qputenv("TMPDIR", QFile::encodeName(tmp_));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + "/cfg"));
        input_ = dir_.path() + "/resumes/candidate resume.pdf";
        template_ = dir_.path() + "/Standard.doc";
        test::WriteFile(input_, "%PDF-");
        test::WriteFile(template_, "template bytes");
        view_.input = input_;
        view_.resumeTemplate = template_;
    }
    void TearDown() override {
        qputenv("TMPDIR", oldTmp_);
        qputenv("XDG_CONFIG_HOME", oldCfg_);
    }

    CreateCollaborators Collaborators(bool convertOK = true, bool parseOK = true, int nTokens = 2,
                                      bool fillOK = true) {
        CreateCollaborators c;
        c.NewProcessResume = [this, convertOK, parseOK] {
            journal_.Add("new parser");
            return std::make_unique<FakeProcessResume>(journal_, seen_, convertOK, parseOK);
        };
        c.GetTokensFromXML = [this, nTokens](const QString& file, std::int32_t& n,
                                             QStringList& names, QStringList& values) {
            journal_.Add("GetTokensFromXML " + file.toStdString());
            n = nTokens;
            for (int i = 1; i <= nTokens; ++i) {
                names << QString("T%1").arg(i);
                values << QString("v%1").arg(i);
            }
        };
        c.NewReplaceTokens = [this, fillOK] {
            journal_.Add("new replacer");
            return std::make_unique<FakeReplaceTokens>(journal_, filled_, fillOK);
        };
        return c;
    }

    bool Run(const CreateCollaborators& c) {
        StartupValues s{"/opt/host/", "/data/", "/data/Customize/", "HostDB"};
        return RunCreatePipeline(view_, s, c);
    }

    QTemporaryDir dir_;
    QByteArray oldTmp_, oldCfg_;
    QString tmp_, input_, template_, filled_;
    Journal journal_;
    FakeView view_{journal_};
    ProcessResumeProperties seen_;
    test::MessageRecorder messages_;
};

} // namespace

TEST_F(CreateRun, InputChecksShowOneMessageAndTouchNothing) {
    struct Case {
        QString input, tmpl, message;
    };
    const QString missing = dir_.path() + "/nope.doc";
    const std::vector<Case> cases = {
        {"", "", "Resume not given."},
        {"   ", template_, "Resume not given."},
        {missing, "", "Resume not found.\r\n" + missing},
        {input_, "  ", "Resume template not given."},
        {input_, missing, "Resume template not found.\r\n" + missing},
    };
    for (const Case& c : cases) {
        messages_.messages.clear();
        view_.input = c.input;
        view_.resumeTemplate = c.tmpl;
        EXPECT_FALSE(Run(Collaborators()));
        EXPECT_EQ(messages_.Texts(), QStringList{c.message});
        EXPECT_EQ(messages_.messages[0].icon, MsgIcon::Information);
    }
    EXPECT_TRUE(journal_.events.empty());
}

TEST_F(CreateRun, SuccessfulRunDerivesPathsAndCallsInOrder) {
    ASSERT_TRUE(Run(Collaborators()));
    const QString tempXML = test::PrivateTempDir(tmp_) + "~iqarn~candidate resume.xml";
    const QString hrXML = test::PrivateTempDir(tmp_) + "~iqarn~candidate resume_HRXML.XML";
    const QString output = dir_.path() + "/resumes/candidate resume_QX.doc";
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_EQ(view_.outputResume, output);
    EXPECT_EQ(view_.outputHRXML, hrXML);
    // Filled as a working copy beside the output, then renamed over it.
    EXPECT_EQ(QFileInfo(filled_).path(), QFileInfo(output).path());
    EXPECT_TRUE(QFileInfo(filled_).fileName().startsWith(".~qarn-"));
    EXPECT_FALSE(QFile::exists(filled_));
    EXPECT_EQ(test::ReadFile(output), QByteArray("filled"));
    EXPECT_FALSE(QFile::exists(tempXML));
    EXPECT_TRUE(QFile::exists(hrXML));

    const std::vector<std::string> expected = {"pointer 11",
                                               "disable",
                                               "new parser",
                                               "ProcessResume Convert",
                                               "ProcessResume Parse",
                                               "GetTokensFromXML " + hrXML.toStdString(),
                                               "new replacer",
                                               "ReplaceTokensInDoc final 2 T1,T2=v1,v2",
                                               "release replacer",
                                               "pointer 0",
                                               "enable",
                                               "release parser"};
    EXPECT_EQ(journal_.events, expected);

    EXPECT_FALSE(seen_.DebugMode);
    EXPECT_TRUE(seen_.UseFullParser);
    EXPECT_EQ(seen_.ResumeFileName, input_);
    EXPECT_EQ(seen_.XMLResumeFileName, tempXML);
    EXPECT_TRUE(seen_.PutResumeContentInXML);
    EXPECT_TRUE(seen_.CleanupPhoneNumbers);
    EXPECT_EQ(seen_.NTries, 3);
    EXPECT_EQ(seen_.TimeOutSeconds, 120);
    EXPECT_EQ(seen_.DatabaseName, "HostDB");
    EXPECT_EQ(seen_.DataPath, "/data/");
    EXPECT_EQ(seen_.CustomizePath, "/data/Customize/");
    EXPECT_EQ(seen_.TableName, "Consultants");
    EXPECT_EQ(seen_.SingularName, QString());
}

TEST_F(CreateRun, CountryRuleForPhoneCleanup) {
    const std::vector<std::pair<QString, bool>> cases = {
        {"US", true}, {"", true}, {"   ", true}, {"us", false}, {"CA", false}, {" US", false}};
    for (const auto& [country, cleanup] : cases) {
        SaveSetting("ZorvOne", "OptionsMyRecord", "ResumeCountry", country);
        ASSERT_TRUE(Run(Collaborators()));
        EXPECT_EQ(seen_.CleanupPhoneNumbers, cleanup) << country.toStdString();
    }
}

TEST_F(CreateRun, NoTokensGivesAnUnchangedCopyAndNoReplacer) {
    const QString output = dir_.path() + "/resumes/candidate resume_QX.doc";
    test::WriteFile(output, "an older output that is replaced");
    ASSERT_TRUE(Run(Collaborators(true, true, 0)));
    EXPECT_EQ(test::ReadFile(output), QByteArray("template bytes"));
    EXPECT_EQ(std::count(journal_.events.begin(), journal_.events.end(), "new replacer"), 0);
    EXPECT_EQ(view_.outputResume, output);
}

TEST_F(CreateRun, ListsAloneFillTheTemplateAndTheRedactionRequestIsPassedOn) {
    CreateCollaborators c = Collaborators(true, true, 0);
    c.GetTokenListsFromXML = [](const QString&) {
        return std::vector<TokenList>{{"Positions", {TokenRecord{{"Title"}, {"Lead"}, {}}}}};
    };
    view_.redact = true;
    ASSERT_TRUE(Run(c));
    const std::vector<std::string> tail(journal_.events.end() - 7, journal_.events.end() - 4);
    EXPECT_EQ(tail, (std::vector<std::string>{"ReplaceTokensInDoc final 0 =", "list Positions 1",
                                              "redact"}));
}

TEST_F(CreateRun, ParserFailureSaysWhyAndLeavesTheTemporaryFile) {
    ASSERT_FALSE(Run(Collaborators(true, false)));
    EXPECT_EQ(messages_.Texts(),
              QStringList{"Error processing resume.\r\nDescription: No text found."});
    EXPECT_EQ(messages_.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(view_.outputResume, "earlier");
    EXPECT_EQ(view_.outputHRXML, "earlier");
    EXPECT_TRUE(QFile::exists(test::PrivateTempDir(tmp_) + "~iqarn~candidate resume.xml"));
    EXPECT_EQ(journal_.events.back(), "release parser");
    EXPECT_EQ(journal_.events[journal_.events.size() - 3], "pointer 0");

    journal_.events.clear();
    messages_.messages.clear();
    ASSERT_FALSE(Run(Collaborators(false, true)));
    EXPECT_EQ(std::count(journal_.events.begin(), journal_.events.end(), "ProcessResume Parse"), 0);
    EXPECT_EQ(messages_.Texts(),
              QStringList{"Error processing resume.\r\nDescription: The file is empty."});
}

TEST_F(CreateRun, FailedFillKeepsTheEarlierOutputAndNoCopy) {
    const QString output = dir_.path() + "/resumes/candidate resume_QX.doc";
    test::WriteFile(output, "an earlier good output");
    EXPECT_FALSE(Run(Collaborators(true, true, 2, false)));
    EXPECT_EQ(test::ReadFile(output), QByteArray("an earlier good output"));
    EXPECT_EQ(view_.outputResume, "earlier");
    EXPECT_EQ(QDir(dir_.path() + "/resumes").entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(CreateRun, AnOutputThatIsAnInputStopsBeforeAnythingChanges) {
    const QString output = dir_.path() + "/resumes/candidate resume_QX.doc";
    for (const bool throughLink : {false, true}) {
        QFile::remove(output);
        if (throughLink)
            ASSERT_TRUE(QFile::link(template_, output));
        else
            ASSERT_TRUE(QFile::copy(template_, output));
        view_.resumeTemplate = output;
        messages_.messages.clear();
        EXPECT_FALSE(Run(Collaborators()));
        EXPECT_EQ(messages_.Texts(),
                  QStringList{"The output would replace the resume template.\r\n" + output});
        EXPECT_EQ(test::ReadFile(output), QByteArray("template bytes"));
    }
    EXPECT_TRUE(journal_.events.empty());
}

TEST(CreatePaths, LongResumeNamesAreShortenedKeepingThePattern) {
    const QString stem(240, QChar(0x00E9)); // two bytes each in UTF-8
    const QString tempXML = TempXMLResumePath("/r/" + stem + ".txt");
    const QString hrXML = HRXMLPath(tempXML);
    EXPECT_LE(QFile::encodeName(GetFileName(hrXML)).size(), 255);
    EXPECT_TRUE(GetFileName(tempXML).startsWith("~iqarn~" + stem.left(50)));
    EXPECT_TRUE(hrXML.endsWith("_HRXML.XML"));
    EXPECT_NE(TempXMLResumePath("/r/" + stem + "x.txt"), tempXML);
    const QString output = OutputResumePath("/r/" + stem + ".txt", "t.docx");
    EXPECT_TRUE(output.startsWith("/r/" + stem.left(50)));
    EXPECT_TRUE(output.endsWith("_QX.docx"));
    EXPECT_LE(QFile::encodeName(GetFileName(output)).size(), 255);
    EXPECT_EQ(OutputResumePath("/r/cv.txt", "t.docx"), "/r/cv_QX.docx");
}

TEST_F(CreateRun, ComponentErrorIsReportedWithSignedNumber) {
    CreateCollaborators c = Collaborators();
    c.NewProcessResume = []() -> std::unique_ptr<IProcessResume> {
        throw ZorvError(static_cast<std::int32_t>(0x80040154), "Class not registered");
    };
    EXPECT_FALSE(Run(c));
    EXPECT_EQ(
        messages_.Texts(),
        QStringList{"Error processing resume.\r\nDescription: Class not registered\r\nNumber: "
                    "-2147221164"});
    EXPECT_EQ(view_.outputResume, "earlier");
    EXPECT_EQ(journal_.events,
              (std::vector<std::string>{"pointer 11", "disable", "pointer 0", "enable"}));
}

TEST_F(CreateRun, MappingErrorStopsBeforeTheOutputIsShown) {
    CreateCollaborators c = Collaborators();
    c.GetTokensFromXML = [](const QString&, std::int32_t&, QStringList&, QStringList&) {
        throw ZorvError(ErrObjectNotSet, "Object variable not set");
    };
    EXPECT_FALSE(Run(c));
    EXPECT_EQ(messages_.Texts(), QStringList{"Error processing resume.\r\nDescription: Object "
                                             "variable not set\r\nNumber: 91"});
    EXPECT_FALSE(QFile::exists(dir_.path() + "/resumes/candidate resume_QX.doc"));
}

TEST(CreatePaths, TemplateWithoutExtensionAndDottedFolder) {
    EXPECT_EQ(OutputResumePath("/r/cv.pdf", "/t/Standard"), QStringLiteral("/r/cv_QX."));
    EXPECT_EQ(OutputResumePath("/my.dir/resume", "/t/Standard.doc"), QStringLiteral("/my_QX.doc"));
    EXPECT_EQ(HRXMLPath("/tmp/~iqarn~cv.xml"), QStringLiteral("/tmp/~iqarn~cv_HRXML.XML"));
}

TEST_F(CreateRun, RunsAtOnceOnResumesOfOneNameGetTheirOwnTemporaryNames) {
    const QString first = test::PrivateTempDir(tmp_) + "~iqarn~cv.xml";
    {
        const TempNameClaim a("/one/cv.txt");
        const TempNameClaim b("/two/cv.pdf");
        EXPECT_EQ(a.TempXMLPath(), first);
        EXPECT_EQ(b.TempXMLPath(), test::PrivateTempDir(tmp_) + "~iqarn~cv~2.xml");
    }
    // Once the runs are over, the first name is free again.
    EXPECT_EQ(TempNameClaim("/three/cv.doc").TempXMLPath(), first);
}
