// clsReplaceTokens against the recording double: who starts and quits Word, temporary
// copies at teardown, Word gone between uses, faults on cue, and the order and pieces of
// the replacement passes.
#include "clsReplaceTokens.h"
#include "QtPrinters.h"
#include "RecordingWord.h"
#include "TestSupport.h"
#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using zorv::clsReplaceTokens;
using zorv::test::FakeApplication;
using zorv::test::FakeContent;
using zorv::test::FakeWord;
using zorv::test::MessageRecorder;

namespace {

class ReplaceTokensTest : public ::testing::Test {
protected:
    FakeWord word;
    const zorv::word::ApplicationFactory factory = zorv::test::FakeWordFactory(word);
    QTemporaryDir dir;
    MessageRecorder messages;

    QString NewFile(const QString& name, const FakeContent& content = {}) {
        const QString path = dir.filePath(name);
        zorv::test::WriteFile(path, "template");
        word.files[path] = content;
        return path;
    }
    // The user's own Word, running before the object connects.
    std::shared_ptr<FakeApplication> UsersWord() {
        auto app =
            std::dynamic_pointer_cast<FakeApplication>(zorv::word::CreateApplication(factory));
        word.log.clear();
        return app;
    }
    static void SetTokens(clsReplaceTokens& rt, const QStringList& names,
                          const QStringList& values) {
        rt.NTokens = std::int32_t(names.size());
        rt.TokenNames = names;
        rt.TokenValues = values;
    }
    // Fills a one-story document; gives the saved main text, or "(failed)".
    QString FillBody(const QString& body, const QStringList& names, const QStringList& values) {
        FakeContent content;
        content.body = body;
        const QString path = NewFile("out.docx", content);
        clsReplaceTokens rt(factory);
        SetTokens(rt, names, values);
        if (!rt.ReplaceTokensInDoc(path, false))
            return QStringLiteral("(failed)");
        return QString::fromUtf8(zorv::test::ReadFile(path));
    }
    std::shared_ptr<zorv::test::FakeDocument> OpenDoc(const QString& path) {
        return std::dynamic_pointer_cast<zorv::test::FakeDocument>(
            std::dynamic_pointer_cast<FakeApplication>(zorv::word::GetRunningApplication())
                ->Open(path, false, false));
    }
};

// --- Attach or start, and who quits -------------------------------------------------------

TEST_F(ReplaceTokensTest, StartsAVisibleWordWhenNoneRunsAndQuitsItAtTeardown) {
    const QString path = NewFile("out.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
        EXPECT_EQ(word.Count("Start"), 1);
        EXPECT_EQ(word.Calls("PrintPreview"), QStringList{"PrintPreview 0"});
        EXPECT_EQ(word.Calls("Visible"), QStringList{"Visible 1"});
        EXPECT_EQ(word.Count("WindowState 0"), 1);
        EXPECT_EQ(word.Count("Activate"), 1);
        EXPECT_EQ(word.Count("Open " + path + " 0 0"), 1);
        EXPECT_EQ(word.Count("Quit"), 0);
    }
    EXPECT_EQ(word.Count("Quit"), 1);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(QFileInfo::exists(path)) << "a document opened as no temporary copy is kept";
}

TEST_F(ReplaceTokensTest, AttachesToTheUsersWordAndLeavesItRunningWithTheDocumentOpen) {
    auto users = UsersWord();
    const QString path = NewFile("out.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    }
    EXPECT_EQ(word.Count("Start"), 0);
    EXPECT_EQ(word.Count("Quit"), 0);
    EXPECT_FALSE(users->gone);
    ASSERT_EQ(users->documents.size(), 1u);
    EXPECT_EQ(users->documents[0]->path, path);
    EXPECT_EQ(users->events, nullptr) << "a released object must not receive Word's events";
}

TEST_F(ReplaceTokensTest, AHiddenRequestHidesOnlyAWordItStarted) {
    const QString path = NewFile("a.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(path, false, false, true), nullptr);
        EXPECT_EQ(word.Calls("Visible"), QStringList{"Visible 0"});
        EXPECT_EQ(word.Count("Activate"), 0);
        EXPECT_EQ(word.Count("WindowState 0"), 0);
    }
    auto users = UsersWord();
    clsReplaceTokens rt(factory);
    ASSERT_NE(rt.OpenWordDoc(path, false, false, false), nullptr);
    EXPECT_EQ(word.Calls("Visible"), QStringList{"Visible 1"});
    EXPECT_TRUE(users->visible);
}

TEST_F(ReplaceTokensTest, ANewWordIsStartedOnlyWhileTheObjectHasNone) {
    auto users = UsersWord();
    const QString path = NewFile("a.docx");
    clsReplaceTokens rt(factory);
    ASSERT_NE(rt.OpenWordDoc(path, false, false, true), nullptr);
    ASSERT_NE(rt.OpenWordDoc(path, false, false, true), nullptr);
    EXPECT_EQ(word.Count("Start"), 1);
    EXPECT_TRUE(users->documents.empty()) << "the new Word got the documents";
}

TEST_F(ReplaceTokensTest, AWordThatCannotStartGivesOneMessageWithItsOwnReason) {
    word.refuseStart = true;
    const QString path = NewFile("out.docx");
    clsReplaceTokens rt(factory);
    EXPECT_FALSE(rt.ReplaceTokensInDoc(path, false));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              "Error creating output resume." + path +
                  "\r\nDescription:Word could not be started.\r\nNumber:429");
    EXPECT_EQ(messages.messages[0].icon, zorv::MsgIcon::None);
}

TEST_F(ReplaceTokensTest, AStartedWordThatRefusesToShowFailsTheOpen) {
    word.FailOn("PrintPreview");
    const QString path = NewFile("out.docx");
    clsReplaceTokens rt(factory);
    EXPECT_THROW(rt.OpenWordDoc(path, false, true, false), zorv::ZorvError);
    EXPECT_EQ(word.Count("Open " + path + " 0 0"), 0);
}

TEST_F(ReplaceTokensTest, AConnectedWordThatRefusesToShowIsStillUsed) {
    const QString path = NewFile("out.docx");
    clsReplaceTokens rt(factory);
    ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    word.FailOn("PrintPreview");
    word.FailOn("Activate");
    EXPECT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    EXPECT_EQ(word.Count("Visible 1"), 2);
}

// --- Word gone between uses ---------------------------------------------------------------

TEST_F(ReplaceTokensTest, AfterTheUserQuitsWordTheNextOpenStartsOneAgain) {
    const QString path = NewFile("a.docx");
    clsReplaceTokens rt(factory);
    ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    word.started[0].lock()->UserQuits();
    ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    EXPECT_EQ(word.Count("Start"), 2);
}

TEST_F(ReplaceTokensTest, AWordThatDiedSilentlyFailsTheProbeAndIsReplaced) {
    auto users = UsersWord();
    const QString path = NewFile("a.docx");
    clsReplaceTokens rt(factory);
    ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    users->Crash();
    zorv::word::ApplicationQuit(users.get());
    ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    EXPECT_EQ(word.Count("Start"), 1);
    EXPECT_EQ(users->events, nullptr);
}

TEST_F(ReplaceTokensTest, TeardownAfterWordWasClosedQuitsNothingAndStillDeletesCopies) {
    const QString copy = NewFile("copy.docx");
    std::shared_ptr<FakeApplication> closed;
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(copy, true, false, false), nullptr);
        closed = word.started[0].lock();
        closed->UserQuits();
        word.log.clear();
    }
    EXPECT_EQ(closed->events, nullptr) << "a released object must not receive Word's events";
    EXPECT_EQ(word.Count("Quit"), 0);
    EXPECT_TRUE(word.Calls("Close").isEmpty());
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(ReplaceTokensTest, QuittingAWordThatOnlyThisObjectHoldsIsSafe) {
    const QString path = NewFile("a.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(path, false, true, false), nullptr);
    }
    EXPECT_EQ(word.Count("Quit"), 1);
    EXPECT_TRUE(word.started[0].expired());
}

// --- Temporary working copies -------------------------------------------------------------

TEST_F(ReplaceTokensTest, ATemporaryCopyIsMarkedSavedAtOnceAndSavedClosedDeletedAtTeardown) {
    auto users = UsersWord();
    const QString copy = NewFile("copy.docx");
    {
        clsReplaceTokens rt(factory);
        auto doc = std::dynamic_pointer_cast<zorv::test::FakeDocument>(
            rt.OpenWordDoc(copy, true, false, false));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->properties.at("KVTFullName"), copy);
        EXPECT_EQ(word.Count("Property.Add KVTFullName unlinked 4 " + copy), 1);
        EXPECT_EQ(doc->saves, 1);
        EXPECT_EQ(rt.TempFiles(), QStringList{copy});
        word.log.clear();
    }
    EXPECT_EQ(word.log.filter(QRegularExpression("^(Save|Close) ")),
              (QStringList{"Save " + copy, "Close " + copy}));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_TRUE(users->documents.empty());
    EXPECT_EQ(word.Count("Quit"), 0);
}

TEST_F(ReplaceTokensTest, AMarkAlreadyOnTheCopyIsReplacedByTheNewPath) {
    FakeContent marked;
    marked.properties["KVTFullName"] = "/elsewhere/old.docx";
    const QString copy = NewFile("copy.docx", marked);
    clsReplaceTokens rt(factory);
    auto doc = std::dynamic_pointer_cast<zorv::test::FakeDocument>(
        rt.OpenWordDoc(copy, true, false, false));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->properties.at("KVTFullName"), copy);
    EXPECT_EQ(word.Count("Property.Delete KVTFullName"), 1);
}

TEST_F(ReplaceTokensTest, TheSamePathTwiceIsListedTwiceAndDeletedOnce) {
    const QString copy = NewFile("copy.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(copy, true, false, false), nullptr);
        ASSERT_NE(rt.OpenWordDoc(copy, true, false, false), nullptr);
        EXPECT_EQ(rt.TempFiles(), (QStringList{copy, copy}));
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(ReplaceTokensTest, TheUsersMarkedDocumentIsSavedAndClosedTooButUnmarkedOnesStay) {
    auto users = UsersWord();
    FakeContent marked;
    marked.properties["KVTFullName"] = "/some/where.docx";
    FakeContent blankMark;
    blankMark.properties["KVTFullName"] = "   ";
    const QString usersMarked = NewFile("users-marked.docx", marked);
    const QString usersBlank = NewFile("users-blank.docx", blankMark);
    const QString usersPlain = NewFile("users-plain.docx");
    OpenDoc(usersMarked);
    OpenDoc(usersBlank);
    OpenDoc(usersPlain);
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(NewFile("mine.docx"), false, false, false), nullptr);
        word.log.clear();
    }
    EXPECT_EQ(word.Calls("Close"), QStringList{"Close " + usersMarked});
    EXPECT_EQ(users->documents.size(), 3u);
    EXPECT_TRUE(QFileInfo::exists(usersMarked)) << "only the object's own copies are deleted";
}

TEST_F(ReplaceTokensTest, MarkingFailureRisesButTheCopyIsStillDeletedAtTeardown) {
    const QString copy = NewFile("copy.docx");
    {
        clsReplaceTokens rt(factory);
        word.FailOn("Property.Add");
        EXPECT_THROW(rt.OpenWordDoc(copy, true, false, false), zorv::ZorvError);
        EXPECT_EQ(rt.TempFiles(), QStringList{copy});
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(ReplaceTokensTest, TeardownSkipsEveryFailureAndGoesOn) {
    const QString a = NewFile("a.docx");
    const QString b = NewFile("b.docx");
    {
        clsReplaceTokens rt(factory);
        ASSERT_NE(rt.OpenWordDoc(a, true, false, false), nullptr);
        ASSERT_NE(rt.OpenWordDoc(b, true, false, false), nullptr);
        word.FailOn("Save");
        word.FailOn("Close " + b);
        word.FailOn("Quit");
        word.log.clear();
    }
    EXPECT_EQ(word.Calls("Close"), (QStringList{"Close " + b, "Close " + a}));
    EXPECT_EQ(word.Count("Quit"), 1);
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
}

// --- Failed open ---------------------------------------------------------------------------

TEST_F(ReplaceTokensTest, AFailedOpenShowsOneMessageAndAddsNothing) {
    const QString missing = dir.filePath("missing.docx");
    clsReplaceTokens rt(factory);
    EXPECT_EQ(rt.OpenWordDoc(missing, true, false, false), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              "Error opening " + missing +
                  "\r\nDescription: This file could not be found.\r\nNumber: 5174");
    EXPECT_EQ(messages.messages[0].icon, zorv::MsgIcon::Information);
    EXPECT_TRUE(rt.TempFiles().isEmpty());
}

TEST_F(ReplaceTokensTest, AFailedOpenInReplaceTokensInDocTellsTheUserTwiceAndReturnsFalse) {
    const QString missing = dir.filePath("missing.docx");
    clsReplaceTokens rt(factory);
    SetTokens(rt, {"A"}, {"x"});
    EXPECT_FALSE(rt.ReplaceTokensInDoc(missing, false));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_TRUE(messages.messages[0].text.startsWith("Error opening " + missing));
    EXPECT_EQ(messages.messages[1].text,
              "Error creating output resume." + missing +
                  "\r\nDescription:Object variable not set.\r\nNumber:91");
}

// --- Replacement passes --------------------------------------------------------------------

TEST_F(ReplaceTokensTest, StoriesAreVisitedHeadersThenFootersPerSectionThenTheMainText) {
    FakeContent content;
    content.sections = 2;
    const QString path = NewFile("out.docx", content);
    clsReplaceTokens rt(factory);
    ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    EXPECT_EQ(word.Calls("Text "),
              (QStringList{"Text header1.1", "Text header1.2", "Text header1.3", "Text footer1.1",
                           "Text footer1.2", "Text footer1.3", "Text header2.1", "Text header2.2",
                           "Text header2.3", "Text footer2.1", "Text footer2.2", "Text footer2.3",
                           "Text body"}));
    EXPECT_EQ(word.Count("Save " + path), 1);
}

TEST_F(ReplaceTokensTest, LongValuesGoInPiecesOfAHundredThenTheMarkerIsRemoved) {
    FakeContent content;
    content.body = "a [[Long]] b [[Long]] c [[Exact]] [[Empty]]";
    const QString path = NewFile("out.docx", content);
    const QString longValue = QString(100, 'x') + QString(100, 'y') + QString(50, 'z');
    const QString exact(100, 'e');
    clsReplaceTokens rt(factory);
    SetTokens(rt, {"Long", "Exact", "Empty", "Absent"}, {longValue, exact, "", "never"});
    ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    EXPECT_EQ(
        word.Calls("Execute"),
        (QStringList{"Execute body [[Long]]|" + QString(100, 'x') + "[[Long]]",
                     "Execute body [[Long]]|" + QString(100, 'y') + "[[Long]]",
                     "Execute body [[Long]]|" + QString(50, 'z') + "[[Long]]",
                     "Execute body [[Long]]|", "Execute body [[Exact]]|" + exact + "[[Exact]]",
                     "Execute body [[Exact]]|", "Execute body [[Empty]]|"}));
    EXPECT_EQ(word.Count("Range.Find"), 7) << "one find object per story";
    EXPECT_EQ(QString::fromUtf8(zorv::test::ReadFile(path)),
              "a " + longValue + " b " + longValue + " c " + exact + " ");
}

TEST_F(ReplaceTokensTest, APieceNeverSplitsACharacterOutsideTheBasicPlane) {
    FakeContent content;
    content.body = "[[A]]";
    const QString path = NewFile("out.docx", content);
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString value = QString(99, 'a') + clef + "b";
    clsReplaceTokens rt(factory);
    SetTokens(rt, {"A"}, {value});
    ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    const QStringList passes = word.Calls("Execute");
    ASSERT_EQ(passes.size(), 3);
    EXPECT_EQ(passes[0], "Execute body [[A]]|" + QString(99, 'a') + "[[A]]");
    EXPECT_EQ(passes[1], "Execute body [[A]]|" + clef + "b[[A]]");
    EXPECT_EQ(QString::fromUtf8(zorv::test::ReadFile(path)), value);
}

TEST_F(ReplaceTokensTest, OnlyMarkersPresentInTheStoryCostPassesAndCaseMatters) {
    FakeContent content;
    content.headers[{1, 1}] = "[[Name]] [[name]] [[]] [[Other";
    content.body = "[[Name]] [[Unknown]]";
    const QString path = NewFile("out.docx", content);
    clsReplaceTokens rt(factory);
    SetTokens(rt, {"name", "Name", "Other", "Unknown"}, {"lower", "Upper", "o", "u"});
    ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    EXPECT_EQ(
        word.Calls("Execute header1.1"),
        (QStringList{"Execute header1.1 [[name]]|lower[[name]]", "Execute header1.1 [[name]]|",
                     "Execute header1.1 [[Name]]|Upper[[Name]]", "Execute header1.1 [[Name]]|"}));
}

TEST_F(ReplaceTokensTest, AValueHoldingItsOwnMarkerIsInsertedOnceAndIntact) {
    // Without care every pass would also fill the markers inside the pieces inserted before,
    // doubling them: 2^30 copies for this value.
    QString value;
    for (int i = 0; i < 30; ++i)
        value += QString(90, QChar('a' + i % 26)) + "[[A]]";
    EXPECT_EQ(FillBody("<[[A]]> [[A]]", {"A"}, {value}), "<" + value + "> " + value);
    EXPECT_EQ(FillBody("[[A]]", {"A"}, {"x[[A]]y"}), "x[[A]]y");
}

TEST_F(ReplaceTokensTest, ValuesArePassedOnUnescaped) {
    EXPECT_EQ(FillBody("[[A]]", {"A"}, {"^p ^& \\1 <w:t>]]>"}), "^p ^& \\1 <w:t>]]>");
    EXPECT_EQ(word.Calls("Execute").value(0),
              QStringLiteral("Execute body [[A]]|^p ^& \\1 <w:t>]]>[[A]]"));
}

TEST_F(ReplaceTokensTest, NoTokensStillOpensAndSaves) {
    FakeContent content;
    content.body = "[[A]]";
    const QString path = NewFile("out.docx", content);
    clsReplaceTokens rt(factory);
    ASSERT_TRUE(rt.ReplaceTokensInDoc(path, false));
    EXPECT_EQ(word.Count("Save " + path), 1);
    EXPECT_TRUE(word.Calls("Execute").isEmpty());
}

TEST_F(ReplaceTokensTest, ShortArraysFailAtTheFirstMissingEntryKeepingEarlierWork) {
    FakeContent content;
    content.body = "[[A]] [[B]]";
    const QString path = NewFile("out.docx", content);
    clsReplaceTokens rt(factory);
    rt.NTokens = 3;
    rt.TokenNames = {"A", "B", "C"};
    rt.TokenValues = {"a"};
    EXPECT_FALSE(rt.ReplaceTokensInDoc(path, false));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Error creating output resume." + path +
                                             "\r\nDescription:Subscript out of range.\r\nNumber:9");
    EXPECT_EQ(word.Count("Save " + path), 0);
    auto doc = std::dynamic_pointer_cast<FakeApplication>(zorv::word::GetRunningApplication())
                   ->documents.at(0);
    EXPECT_EQ(doc->body->text, "a [[B]]") << "the document stays open with the work done so far";
}

TEST_F(ReplaceTokensTest, AFailingPassEndsTheCallWithItsNumber) {
    FakeContent content;
    content.body = "[[A]]";
    const QString path = NewFile("out.docx", content);
    word.FailOn("Execute", -2147417848);
    clsReplaceTokens rt(factory);
    SetTokens(rt, {"A"}, {"a"});
    EXPECT_FALSE(rt.ReplaceTokensInDoc(path, false));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.endsWith("\r\nNumber:-2147417848"));
}

} // namespace
