// The main window on the offscreen platform: its layout, load, browse buttons, label links,
// Close and frame close, and a Create run from its text boxes to its output boxes.
#include "frmZorvQarn.h"
#include "CreatePipeline.h"
#include "FuncLib.h"
#include "HostEnvironment.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "PrivateFiles.h"
#include "Settings.h"
#include "Version.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace zorv;

namespace {

struct Recorded {
    std::vector<BrowseRequest> browses;
    std::optional<QString> browseAnswer;
    bool browseThrows = false;
    std::vector<QUrl> opened;
    std::vector<int> exits;
};

WindowServices RecordingServices(Recorded& r) {
    WindowServices s;
    s.BrowseForFile = [&r](QWidget*, const BrowseRequest& request) -> std::optional<QString> {
        r.browses.push_back(request);
        if (r.browseThrows)
            throw std::runtime_error("dialog failed");
        return r.browseAnswer;
    };
    s.OpenDocument = [&r](const QUrl& url) {
        r.opened.push_back(url);
        return true;
    };
    s.Exit = [&r](int status) { r.exits.push_back(status); };
    return s;
}

class Window : public test::HostEnvironment {
protected:
    void SetUp() override {
        HostEnvironment::SetUp();
        window = std::make_unique<frmZorvQarn>(RecordingServices(r));
    }
    void TearDown() override {
        window.reset();
        HostEnvironment::TearDown();
    }

    template <typename T = QWidget> T* Control(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* Box(const char* name) { return Control<QLineEdit>(name); }
    void Click(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    QString Remembered() {
        return GetSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", "(not written)");
    }

    Recorded r;
    test::MessageRecorder messages;
    std::unique_ptr<frmZorvQarn> window;
};

// --- layout ---------------------------------------------------------------------------------

TEST_F(Window, HasAFixedSizeCentredOnTheScreenAndResizingMovesNothing) {
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QSize designed = window->size();
    const QRect box = Control("txtOutputHRXML")->geometry();
    window->resize(designed * 2);
    EXPECT_EQ(window->size(), designed);
    EXPECT_EQ(Control("txtOutputHRXML")->geometry(), box);
    const QRect screen = window->screen()->geometry();
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(Window, FontsCaptionsAndTheLinkLook) {
    const auto family = [](const QString& designed) {
        return QFontDatabase::hasFamily(designed)
                   ? designed
                   : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    };
    EXPECT_EQ(window->font().family(), family("Tahoma"));
    EXPECT_DOUBLE_EQ(window->font().pointSizeF(), 8.25);
    for (const char* name :
         {"lblInputResume", "lblResumeTemplate", "lblOutputResume", "lblOutputHRXML"}) {
        auto* label = Control<QLabel>(name);
        EXPECT_TRUE(label->font().underline()) << name;
        EXPECT_EQ(label->font().family(), family("Tahoma"));
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << name;
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(Control<QLabel>("lblOutputHRXML")->text(), "Output HRXML:");
    EXPECT_EQ(Box("txtInputResume")->font().family(), family("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(Box("txtInputResume")->font().pointSizeF(), 8.25);
    EXPECT_FALSE(Box("txtInputResume")->font().underline());
    EXPECT_EQ(Control<QPushButton>("cmdCreate")->font().family(), family("Tahoma"));
    EXPECT_EQ(Control<QPushButton>("cmdBrowseResumeTemplate")->text(), "...");
    EXPECT_EQ(window->windowTitle(), "Qarnel");
    EXPECT_EQ(window->windowIcon().pixmap(16, 16).size(), QSize(16, 16));
}

TEST_F(Window, OnlyTheOutputBoxesAreReadOnlyAndAllStartEmpty) {
    EXPECT_FALSE(Box("txtInputResume")->isReadOnly());
    EXPECT_FALSE(Box("txtResumeTemplate")->isReadOnly());
    EXPECT_TRUE(Box("txtOutputResume")->isReadOnly());
    EXPECT_TRUE(Box("txtOutputHRXML")->isReadOnly());
    for (const char* name :
         {"txtInputResume", "txtResumeTemplate", "txtOutputResume", "txtOutputHRXML"})
        EXPECT_EQ(Box(name)->text(), "") << name;
}

TEST_F(Window, TheKeyboardVisitsTheControlsInTabOrderAndNeverALabel) {
    QStringList visited;
    QWidget* w = Control("txtInputResume");
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden())
            visited << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Control("txtInputResume"));
    EXPECT_EQ(visited, QStringList({"txtInputResume", "cmdBrowseInputResume", "txtResumeTemplate",
                                    "cmdBrowseResumeTemplate", "txtOutputResume", "txtOutputHRXML",
                                    "cmdCreate", "cmdClose", "frmZorvQarn"})
                           .mid(0, visited.size()));
    EXPECT_GE(visited.size(), 8);
}

TEST_F(Window, AltCPressesCreate) {
    EXPECT_EQ(Control<QPushButton>("cmdCreate")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Box("txtInputResume")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    // A shortcut presses the button as a short animated click.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.messages.empty(); }, 2000));
    EXPECT_EQ(messages.Texts(), QStringList{"Resume not given."});
}

TEST_F(Window, ThePictureBoxIsHiddenAndCarriesTheLabelsPointer) {
    auto* pic = Control<QLabel>("picMouseIcon");
    EXPECT_TRUE(pic->isHidden());
    EXPECT_EQ(pic->pixmap().size(), QSize(32, 32));
    window->Form_Load();
    const QCursor cursor = Control("lblResumeTemplate")->cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(12, 1));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
}

// --- load -----------------------------------------------------------------------------------

TEST_F(Window, LoadAddsTheVersionToTheCaption) {
    window->Form_Load();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Qarnel (Version %1.%2.%3)")
                                         .arg(kVersionMajor)
                                         .arg(kVersionMinor)
                                         .arg(kVersionRevision));
}

TEST_F(Window, LoadFillsTheTemplateBoxFromTheRememberedTemplate) {
    const QString templ = MakeFile("templates/Standard.docx");
    SaveSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", templ);
    window->Form_Load();
    EXPECT_EQ(Box("txtResumeTemplate")->text(), templ);
    EXPECT_EQ(Box("txtInputResume")->text(), "");
}

TEST_F(Window, LoadLeavesTheTemplateBoxEmptyWithoutAnExistingRememberedTemplate) {
    window->Form_Load();
    EXPECT_EQ(Box("txtResumeTemplate")->text(), "");

    SaveSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", Path("deleted.docx"));
    frmZorvQarn second(RecordingServices(r));
    second.Form_Load();
    EXPECT_EQ(second.findChild<QLineEdit*>("txtResumeTemplate")->text(), "");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Window, LoadRemovesWhatKilledRunsLeftAndNothingOfALiveRun) {
    const QString dead = GetTempDir() + kBatchFolderPrefix +
                         QStringLiteral("%1-1-abcdef").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QDir().mkpath(dead));
    PrivateNameLock live;
    ASSERT_TRUE(live.TryLock(GetTempDir() + "~iqarn~cv.lock"));
    window->Form_Load();
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_EQ(LockOwner(GetTempDir() + "~iqarn~cv.lock"), OwnerTag());
}

TEST_F(Window, LoadFetchesTheHostValues) {
    RegisterHost(Path("host") + "/ZorvOne");
    MakeFile("host/HostAppInfo.ini", "[HostAppInfo]\nDataPath=/srv/data\nDatabaseName=Acme\n");
    window->Form_Load();
    EXPECT_EQ(window->Startup().HostAppPath, Path("host") + "/");
    EXPECT_EQ(window->Startup().CustomizePath, "/srv/data/Customize/");
    EXPECT_EQ(window->Startup().DatabaseName, "Acme");
}

TEST_F(Window, AFailingLoadIsReportedAndStopsTheStart) {
    RegisterHost(Path("host") + "/ZorvOne");
    QDir().mkpath(Path("host/HostAppInfo.ini"));
    EXPECT_FALSE(window->LoadReportingErrors());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.startsWith("ZorvQarn could not start.\r\nDescription: "));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
}

// --- browse ---------------------------------------------------------------------------------

TEST_F(Window, BrowseOpensInTheProgramFolderWithTheBoxTextAndTheFilter) {
    Box("txtInputResume")->setText("old.doc");
    r.browseAnswer = "/resumes/new.pdf";
    Click("cmdBrowseInputResume");
    ASSERT_EQ(r.browses.size(), 1u);
    EXPECT_EQ(r.browses[0].initDir, ProgramDir());
    EXPECT_EQ(r.browses[0].fileName, "old.doc");
    EXPECT_EQ(r.browses[0].filter,
              "Resumes and scanned resumes (*.doc *.docx *.rtf *.txt *.htm *.html *.pdf *.wpd "
              "*.png *.jpg *.jpeg *.tif *.tiff)");
    EXPECT_EQ(Box("txtInputResume")->text(), "/resumes/new.pdf");

    r.browseAnswer = "/templates/t.rtf";
    Click("cmdBrowseResumeTemplate");
    EXPECT_EQ(r.browses[1].filter, "Resume templates (*.doc *.docx *.rtf)");
    EXPECT_EQ(r.browses[1].fileName, "");
    EXPECT_EQ(Box("txtResumeTemplate")->text(), "/templates/t.rtf");
}

TEST_F(Window, CancellingOrAFailingDialogChangesNothing) {
    Box("txtInputResume")->setText("kept.doc");
    Box("txtResumeTemplate")->setText("kept.dot");
    r.browseAnswer.reset();
    Click("cmdBrowseInputResume");
    r.browseThrows = true;
    Click("cmdBrowseResumeTemplate");
    EXPECT_EQ(r.browses.size(), 2u);
    EXPECT_EQ(Box("txtInputResume")->text(), "kept.doc");
    EXPECT_EQ(Box("txtResumeTemplate")->text(), "kept.dot");
    EXPECT_TRUE(messages.messages.empty());
}

// --- label links ----------------------------------------------------------------------------

TEST_F(Window, ALabelBesideABlankBoxDoesNothing) {
    Box("txtResumeTemplate")->setText("   ");
    Click("lblInputResume");
    Click("lblResumeTemplate");
    Click("lblOutputResume");
    EXPECT_TRUE(r.opened.empty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Window, ALabelOpensTheFileOfItsRow) {
    const QString input = MakeFile("in/resume one.txt");
    const QString hrxml = MakeFile("tmp/x_HRXML.XML");
    Box("txtInputResume")->setText(input);
    window->SetOutputHRXMLText(hrxml);
    Click("lblInputResume");
    Click("lblOutputHRXML");
    ASSERT_EQ(r.opened.size(), 2u);
    EXPECT_EQ(r.opened[0], QUrl::fromLocalFile(input));
    EXPECT_EQ(r.opened[1], QUrl::fromLocalFile(hrxml));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Window, AMissingFileIsReportedWithItsPath) {
    const QString gone = Path("out_QX.docx");
    window->SetOutputResumeText(gone);
    Click("lblOutputResume");
    EXPECT_TRUE(r.opened.empty());
    EXPECT_EQ(messages.Texts(), QStringList{"File not found.\r\n" + gone});
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Information);
}

TEST_F(Window, AFileInAMissingFolderPassesInSilence) {
    Box("txtResumeTemplate")->setText(Path("no/such/folder/t.docx"));
    Click("lblResumeTemplate");
    EXPECT_TRUE(r.opened.empty());
    EXPECT_TRUE(messages.messages.empty());
}

// --- close ----------------------------------------------------------------------------------

TEST_F(Window, CloseRemembersTheTemplateBoxAndEndsAtOnce) {
    Box("txtResumeTemplate")->setText(Path("never/existed.docx"));
    Click("cmdClose");
    EXPECT_EQ(r.exits, std::vector<int>{0});
    EXPECT_EQ(Remembered(), Path("never/existed.docx"));
}

TEST_F(Window, CloseWithAnEmptyBoxRemembersEmpty) {
    SaveSetting("ZorvOne", "ZorvQarn", "ResumeTemplate", "earlier");
    Click("cmdClose");
    EXPECT_EQ(Remembered(), "");
    EXPECT_EQ(r.exits.size(), 1u);
}

TEST_F(Window, ClosingThroughTheFrameRemembersNothing) {
    window->show();
    Box("txtResumeTemplate")->setText("typed.docx");
    EXPECT_TRUE(window->close());
    EXPECT_EQ(Remembered(), "(not written)");
    EXPECT_TRUE(r.exits.empty());
}

TEST_F(Window, AFailingSaveOnCloseIsReportedAndStillEnds) {
    QDir().mkpath(Path("config/ZorvOne.ini")); // a folder where the settings file should be
    Click("cmdClose");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(
        messages.messages[0].text.startsWith("The resume template could not be remembered."));
    EXPECT_EQ(r.exits, std::vector<int>{1});
}

// --- message boxes --------------------------------------------------------------------------

TEST(MessageBoxes, CarryTheTitleTheIconAndOneOkButton) {
    const auto box =
        MakeMessageBox({"File not found.\r\n/x", MsgIcon::Information, false}, nullptr);
    EXPECT_EQ(box->windowTitle(), "ZorvQarn");
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->text(), "File not found.\r\n/x");
    EXPECT_EQ(MakeMessageBox({"x", MsgIcon::Critical, false}, nullptr)->icon(),
              QMessageBox::Critical);
    EXPECT_EQ(MakeMessageBox({"x", MsgIcon::Exclamation, false}, nullptr)->icon(),
              QMessageBox::Warning);
}

// --- create ---------------------------------------------------------------------------------

TEST_F(Window, CreateChecksTheBoxesBeforeAnythingElse) {
    Click("cmdCreate");
    EXPECT_EQ(messages.Texts(), QStringList{"Resume not given."});
    const QString input = MakeFile("resume.txt");
    Box("txtInputResume")->setText(input);
    Box("txtResumeTemplate")->setText(Path("missing.docx"));
    Click("cmdCreate");
    EXPECT_EQ(messages.Texts().last(), "Resume template not found.\r\n" + Path("missing.docx"));
    EXPECT_EQ(Box("txtOutputResume")->text(), "");
}

// Whatever components this build has, a run with real files ends with the button enabled and
// the normal pointer, and either shows the two derived paths or reports why it could not.
TEST_F(Window, CreateRunsThePipelineFromTheBoxesToTheOutputBoxes) {
    window->Form_Load();
    const QString input = MakeFile("resumes/candidate.txt", "Jane Doe\njane@example.com\n");
    const QString templ =
        test::ReadFile(test::DataPath("../../examples/template.docx")).isEmpty()
            ? MakeFile("templates/Standard.docx")
            : MakeFile("templates/Standard.docx",
                       test::ReadFile(test::DataPath("../../examples/template.docx")));
    Box("txtInputResume")->setText(input);
    Box("txtResumeTemplate")->setText(templ);

    bool busyWhenReported = true;
    test::MessageRecorder outer;
    ScopedMessageHandler watch([&](const MessageRequest& m) {
        outer.messages.push_back(m);
        busyWhenReported = busyWhenReported && !Control("cmdCreate")->isEnabled() &&
                           window->cursor().shape() == Qt::WaitCursor;
    });
    Click("cmdCreate");

    EXPECT_TRUE(Control("cmdCreate")->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    const QString output = Box("txtOutputResume")->text();
    if (output.isEmpty()) {
        ASSERT_FALSE(outer.messages.empty()) << "a run that shows no paths says why";
        EXPECT_TRUE(outer.messages[0].text.startsWith("Error processing resume.\r\nDescription: "))
            << outer.messages[0].text.toStdString();
        EXPECT_TRUE(busyWhenReported);
        EXPECT_EQ(Box("txtOutputHRXML")->text(), "");
    } else {
        EXPECT_EQ(output, OutputResumePath(input, templ));
        EXPECT_EQ(Box("txtOutputHRXML")->text(), HRXMLPath(TempXMLResumePath(input)));
        EXPECT_TRUE(FileExists(output));
    }
}

} // namespace

// --- drag and drop --------------------------------------------------------------------------

namespace {
// Drags `data` over `box` and drops it there, as the platform would; returns whether the
// box accepted the drag.
bool DropOn(QLineEdit* box, const QMimeData& data) {
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    return drop.isAccepted();
}
} // namespace

TEST_F(Window, AFileDroppedOnAnInputBoxReplacesItsTextAndNothingElse) {
    Box("txtInputResume")->setText("old resume");
    Box("txtResumeTemplate")->setText("old template");
    for (const char* name : {"txtInputResume", "txtResumeTemplate"}) {
        const QString path = QStringLiteral("/some folder/%1 file.docx").arg(name);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        EXPECT_TRUE(DropOn(Box(name), data)) << name;
        EXPECT_EQ(Box(name)->text(), path);
    }
    EXPECT_EQ(Box("txtOutputResume")->text(), "");
    EXPECT_EQ(Box("txtOutputHRXML")->text(), "");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(r.browses.empty() && r.opened.empty());

    // Not a local file: the box is not taken over.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.com/cv.docx"))});
    DropOn(Box("txtInputResume"), web);
    EXPECT_EQ(Box("txtInputResume")->text(), "/some folder/txtInputResume file.docx");
}
