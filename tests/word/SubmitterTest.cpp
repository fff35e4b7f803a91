// The submitter block through clsReplaceTokens with the engine: the saved package holds the
// block's paragraphs with their text and formatting, the earlier text keeps its own, the
// file is a temporary copy that the teardown deletes; and `qarn submitter` writes it out.
#include "DocxFixture.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "WordEngine.h"
#include "ZorvError.h"
#include "clsReplaceTokens.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using zorv::clsReplaceTokens;
using zorv::test::MessageRecorder;
namespace word = zorv::word;
namespace wt = zorv::wordengine::test;

namespace {

// A run's or paragraph mark's properties: element name -> w:val (rFonts: w:ascii).
using Props = QMap<QString, QString>;
struct Para {
    QString text;
    std::vector<Props> runs;
    Props mark;
};

Props ReadProps(QXmlStreamReader& xml) {
    Props props;
    while (xml.readNextStartElement()) {
        const auto a = xml.attributes();
        props[xml.name().toString()] =
            (xml.name() == u"rFonts" ? a.value("w:ascii") : a.value("w:val")).toString();
        xml.skipCurrentElement();
    }
    return props;
}

// The body's paragraphs (tables' paragraphs included) of the saved main part.
std::vector<Para> BodyParagraphs(const QByteArray& documentXml) {
    std::vector<Para> paras;
    QXmlStreamReader xml(documentXml);
    bool inPPr = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"pPr")
            inPPr = false;
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == u"p")
            paras.emplace_back();
        else if (name == u"pPr")
            inPPr = true;
        else if (name == u"r" && !paras.empty())
            paras.back().runs.emplace_back();
        else if (name == u"rPr" && !paras.empty())
            (inPPr ? paras.back().mark : paras.back().runs.back()) = ReadProps(xml);
        else if (name == u"t" && !paras.empty())
            paras.back().text += xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return paras;
}

const Props kBlockFormat{{"rFonts", "Arial"}, {"b", "0"},     {"bCs", "0"}, {"color", "FF0000"},
                         {"sz", "28"},        {"szCs", "28"}, {"u", "none"}};

// Only the keys the block sets.
Props BlockKeys(const Props& p) {
    Props out;
    for (auto it = kBlockFormat.begin(); it != kBlockFormat.end(); ++it)
        if (p.contains(it.key()))
            out[it.key()] = p[it.key()];
    return out;
}

QByteArray Template() {
    wt::DocxContent layout;
    layout.body = "<w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:b/></w:rPr></w:pPr>"
                  "<w:r><w:rPr><w:rFonts w:ascii=\"Georgia\" w:hAnsi=\"Georgia\"/><w:b/>"
                  "<w:sz w:val=\"36\"/></w:rPr><w:t>Jane Sample</w:t></w:r></w:p>"
                  "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>Skills</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
                  "<w:p><w:r><w:rPr><w:i/><w:color w:val=\"0000FF\"/><w:u w:val=\"single\"/>"
                  "</w:rPr><w:t xml:space=\"preserve\">Last line </w:t></w:r></w:p>";
    return wt::MakeDocx(layout);
}

class SubmitterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    MessageRecorder messages;
    QString Doc(const QString& name = "copy.docx") {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(zorv::test::WriteFile(path, Template()));
        return path;
    }
};

TEST_F(SubmitterTest, SavedPackageHoldsTheFormattedBlockAfterTheUntouchedText) {
    const QString path = Doc();
    const std::vector<Para> before =
        BodyParagraphs(wt::ZipEntry(zorv::test::ReadFile(path), "word/document.xml"));
    ASSERT_EQ(before.size(), 3u);
    QByteArray saved;
    {
        clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        rt.InsertMyRecordIntoWordDoc(path, false, "Ann Recruiter", "Northwind Staffing", "555-0100",
                                     "555-0101", "ann@northwind.example");
        EXPECT_EQ(rt.TempFiles(), QStringList{path}) << "a temporary copy whatever TempFile says";
        saved = zorv::test::ReadFile(path);
    }
    EXPECT_FALSE(QFileInfo::exists(path)) << "the teardown deletes the copy";
    EXPECT_TRUE(messages.messages.empty());

    const std::vector<Para> after = BodyParagraphs(wt::ZipEntry(saved, "word/document.xml"));
    const QStringList lines{"",
                            "",
                            "This resume is submitted by:",
                            "Name: Ann Recruiter",
                            "Company: Northwind Staffing",
                            "Phone: 555-0100",
                            "Fax: 555-0101",
                            "EMail: ann@northwind.example",
                            ""};
    ASSERT_EQ(after.size(), before.size() + size_t(lines.size()));
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].text, before[i].text);
        EXPECT_EQ(after[i].mark, before[i].mark) << "paragraph " << i;
        ASSERT_EQ(after[i].runs.size(), before[i].runs.size());
        for (size_t r = 0; r < before[i].runs.size(); ++r)
            EXPECT_EQ(after[i].runs[r], before[i].runs[r]) << "paragraph " << i;
    }
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const Para& p = after[before.size() + size_t(k)];
        EXPECT_EQ(p.text, lines[k]);
        EXPECT_EQ(BlockKeys(p.mark), kBlockFormat) << "mark of block line " << k;
        EXPECT_EQ(p.runs.size(), lines[k].isEmpty() ? 0u : 1u);
        for (const Props& run : p.runs) {
            EXPECT_EQ(BlockKeys(run), kBlockFormat) << "block line " << k;
            EXPECT_EQ(run.value("i"), "") << "the last paragraph's italic is carried over";
        }
    }
    EXPECT_TRUE(wt::ZipEntry(saved, "docProps/custom.xml").contains(path.toUtf8()))
        << "marked as a temporary copy";
}

TEST_F(SubmitterTest, EmptyFieldsStillGiveEveryLabelLine) {
    const QString path = Doc();
    QByteArray saved;
    {
        clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        rt.InsertMyRecordIntoWordDoc(path, true, "", "", "", "", "");
        saved = zorv::test::ReadFile(path);
    }
    const std::vector<Para> after = BodyParagraphs(wt::ZipEntry(saved, "word/document.xml"));
    QStringList tail;
    for (size_t i = after.size() - 7; i < after.size(); ++i)
        tail << after[i].text;
    EXPECT_EQ(tail, (QStringList{"This resume is submitted by:", "Name: ", "Company: ", "Phone: ",
                                 "Fax: ", "EMail: ", ""}));
}

TEST_F(SubmitterTest, TwoCallsShareOneWordAndListBothCopies) {
    const QString a = Doc("a.docx");
    const QString b = Doc("b.docx");
    {
        clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        rt.InsertMyRecordIntoWordDoc(a, true, "A", "", "", "", "");
        rt.InsertMyRecordIntoWordDoc(b, true, "B", "", "", "", "");
        EXPECT_EQ(rt.TempFiles(), (QStringList{a, b}));
        EXPECT_TRUE(QFileInfo::exists(a) && QFileInfo::exists(b));
        EXPECT_EQ(word::GetRunningApplication()->Documents()->Count(), 0) << "both closed";
    }
    EXPECT_FALSE(QFileInfo::exists(a) || QFileInfo::exists(b));
}

TEST_F(SubmitterTest, FailedOpenIsRaisedAfterTheOpenMessage) {
    const QString path = dir.filePath("missing.docx");
    clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
    try {
        rt.InsertMyRecordIntoWordDoc(path, true, "A", "B", "C", "D", "E");
        ADD_FAILURE() << "no error";
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(e.Number(), zorv::ErrObjectNotSet);
    }
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.Texts()[0].startsWith("Error opening " + path));
    EXPECT_TRUE(messages.Texts()[0].endsWith("Number: 5174"));
}

TEST_F(SubmitterTest, DamagedDocumentRaisesTheEngineError) {
    const QString path = dir.filePath("damaged.docx");
    ASSERT_TRUE(zorv::test::WriteFile(path, "not a package"));
    clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
    EXPECT_THROW(rt.InsertMyRecordIntoWordDoc(path, true, "", "", "", "", ""), zorv::ZorvError);
    EXPECT_EQ(zorv::test::ReadFile(path), "not a package");
}

// --- qarn submitter ---------------------------------------------------------------------

zorv::test::QarnResult Qarn(const QStringList& args) {
    return zorv::test::RunQarn(args);
}

TEST(QarnSubmitter, WritesTheOutputAndLeavesTheDocumentAlone) {
    QTemporaryDir dir;
    const QString doc = dir.filePath("resume.docx");
    const QByteArray original = Template();
    ASSERT_TRUE(zorv::test::WriteFile(doc, original));
    const QString out = dir.filePath("submitted.docx");
    const zorv::test::QarnResult r =
        Qarn({"submitter", doc, "--name", "Ann", "--company", "Northwind", "--phone", "1", "--fax",
              "2", "--email", "ann@example.com", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(zorv::test::ReadFile(doc), original);
    const std::vector<Para> paras =
        BodyParagraphs(wt::ZipEntry(zorv::test::ReadFile(out), "word/document.xml"));
    ASSERT_EQ(paras.size(), 12u);
    EXPECT_EQ(paras[7].text, "Company: Northwind");
    EXPECT_EQ(paras[10].text, "EMail: ann@example.com");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "nothing else written";
}

// The output reaches the disk before it takes its name: the working copy is synced after it
// was last opened and before it is renamed over the output. Watched through strace.
TEST(QarnSubmitter, TheOutputIsSyncedBeforeItIsRenamedIntoPlace) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QTemporaryDir dir;
    const QString doc = dir.filePath("resume.docx");
    ASSERT_TRUE(zorv::test::WriteFile(doc, Template()));
    const QString out = dir.filePath("submitted.docx");
    const QString log = dir.filePath("trace");
    QProcess traced;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The leak checker cannot work under a tracer.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    traced.setProcessEnvironment(env);
    traced.start(strace, {"-f", "-qq", "-e", "trace=openat,fsync,fdatasync,rename", "-o", log,
                          ZORV_BIN_DIR "/qarn", "submitter", doc, "--name", "Ann", "-o", out});
    ASSERT_TRUE(traced.waitForFinished(600000));
    ASSERT_EQ(traced.exitCode(), 0) << traced.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(zorv::test::ReadFile(log)).split(u'\n');
    const QRegularExpression renamed(R"re(rename\("([^"]+)", ")re" +
                                     QRegularExpression::escape(out) + R"re("\) = 0)re");
    const auto renameAt = std::find_if(lines.begin(), lines.end(), [&](const QString& line) {
        return renamed.match(line).hasMatch();
    });
    ASSERT_NE(renameAt, lines.end()) << "no rename onto the output";
    const QString copy = renamed.match(*renameAt).captured(1);
    QString fd;
    bool synced = false;
    for (auto it = lines.begin(); it != renameAt; ++it) {
        const QRegularExpressionMatch opened =
            QRegularExpression(R"re(openat\(.*")re" + QRegularExpression::escape(copy) +
                               R"re(".*= (\d+))re")
                .match(*it);
        if (opened.hasMatch()) {
            fd = opened.captured(1);
            synced = false;
        } else if (!fd.isEmpty() && QRegularExpression("(fsync|fdatasync)\\(" + fd + "\\) *= 0")
                                        .match(*it)
                                        .hasMatch()) {
            synced = true;
        }
    }
    EXPECT_TRUE(synced) << "the working copy was not synced before the rename";
}

TEST(QarnSubmitter, UsageAndFailures) {
    QTemporaryDir dir;
    EXPECT_EQ(Qarn({"submitter", dir.filePath("x.docx")}).status, 2) << "no -o";
    const zorv::test::QarnResult missing =
        Qarn({"submitter", dir.filePath("x.docx"), "-o", dir.filePath("o")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("document not found"));
    const QString bad = dir.filePath("bad.docx");
    ASSERT_TRUE(zorv::test::WriteFile(bad, "not a package"));
    const zorv::test::QarnResult damaged = Qarn({"submitter", bad, "-o", dir.filePath("o.docx")});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.contains("Error opening")) << damaged.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("o.docx")));
    EXPECT_TRUE(damaged.err.contains(dir.filePath("o.docx"))) << "names the output";
}

TEST(QarnSubmitter, RefusesToWriteOverItsDocument) {
    QTemporaryDir dir;
    const QString doc = dir.filePath("resume.docx");
    const QByteArray original = Template();
    ASSERT_TRUE(zorv::test::WriteFile(doc, original));
    const QString link = dir.filePath("link.docx");
    ASSERT_TRUE(QFile::link(doc, link));
    for (const QString& out : {doc, link, dir.path() + "/./resume.docx"}) {
        const zorv::test::QarnResult r = Qarn({"submitter", doc, "--name", "Ann", "-o", out});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("must not be DOCUMENT itself")) << r.err.toStdString();
    }
    EXPECT_EQ(zorv::test::ReadFile(doc), original);
}

} // namespace
