// The window's behaviour: load, browse, the label links, Create and Close.
#include "frmZorvQarn.h"

#include "FileDrop.h"
#include "FuncLib.h"
#include "LinkLabel.h"
#include "LoadStartupValues.h"
#include "Messages.h"
#include "Platform.h"
#include "PrivateFiles.h"
#include "ResumeFile.h"
#include "Settings.h"
#include "UnhandledError.h"
#include "Version.h"
#include "ZorvError.h"

#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zorv {
namespace {

const QString kSection = QStringLiteral("ZorvQarn");
const QString kTemplateKey = QStringLiteral("ResumeTemplate");

// "*.doc;*.docx;..." in the order of ResumeExtensions.
QString ResumePatterns() {
    QStringList patterns;
    for (const QString& extension : ResumeExtensions())
        patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(';'));
}
const QString kTemplatePatterns = QStringLiteral("*.doc;*.docx;*.rtf");

// Runs an action whose errors nothing else handles; an error is reported in a message box and
// gives false, and the caller then ends the program.
template <typename Action> bool ReportingErrors(const QString& whatFailed, Action action) {
    const std::optional<CaughtError> error = CatchError(action);
    if (!error)
        return true;
    ShowMessage(UnhandledErrorText(whatFailed, error->number, error->description),
                MsgIcon::Critical);
    return false;
}

} // namespace

QString QtFileFilter(const QString& name, const QString& patterns) {
    return name + QStringLiteral(" (") +
           QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
}

frmZorvQarn::frmZorvQarn(WindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    CreateControls();
    ConnectHandlers();
}

void frmZorvQarn::ConnectHandlers() {
    connect(cmdBrowseInputResume, &QPushButton::clicked, this, [this] {
        Browse(txtInputResume, QStringLiteral("Resumes and scanned resumes"), ResumePatterns());
    });
    connect(cmdBrowseResumeTemplate, &QPushButton::clicked, this, [this] {
        Browse(txtResumeTemplate, QStringLiteral("Resume templates"), kTemplatePatterns);
    });
    AcceptFileDrops(txtInputResume);
    AcceptFileDrops(txtResumeTemplate);
    connect(cmdCreate, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    const std::pair<LinkLabel*, QLineEdit*> rows[] = {{lblInputResume, txtInputResume},
                                                      {lblResumeTemplate, txtResumeTemplate},
                                                      {lblOutputResume, txtOutputResume},
                                                      {lblOutputHRXML, txtOutputHRXML}};
    for (const auto& [label, box] : rows)
        connect(label, &LinkLabel::clicked, this, [this, box] { OpenDocumentFile(box->text()); });
}

void frmZorvQarn::Form_Load() {
    for (QLabel* label : {lblInputResume, lblResumeTemplate, lblOutputResume, lblOutputHRXML})
        label->setCursor(QCursor(picMouseIcon->pixmap(), kHandHotSpotX, kHandHotSpotY));

    setWindowTitle(windowTitle() + QStringLiteral(" (Version ") + QString::number(kVersionMajor) +
                   QLatin1Char('.') + QString::number(kVersionMinor) + QLatin1Char('.') +
                   QString::number(kVersionRevision) + QLatin1Char(')'));

    startup_ = LoadStartupValues();
    RemoveDeadRunFiles();

    const QString remembered = GetSetting(SettingsAppName, kSection, kTemplateKey, QString());
    if (!IsBlank(remembered) && FileExists(remembered))
        txtResumeTemplate->setText(remembered);
}

bool frmZorvQarn::LoadReportingErrors() {
    return ReportingErrors(kStartFailed, [this] { Form_Load(); });
}

void frmZorvQarn::Browse(QLineEdit* box, const QString& filterName, const QString& patterns) {
    const BrowseRequest request{ProgramDir(), QtFileFilter(filterName, patterns), box->text()};
    std::optional<QString> chosen;
    // A failing dialog counts as a cancel: the box keeps its text and no message box is
    // shown; the failure goes to the log.
    if (const std::optional<CaughtError> error = CatchError([&] {
            if (services_.BrowseForFile)
                chosen = services_.BrowseForFile(this, request);
        })) {
        qWarning("The file dialog failed: %s (%d)", qUtf8Printable(error->description),
                 static_cast<int>(error->number));
        chosen.reset();
    }
    if (chosen)
        box->setText(*chosen);
}

void frmZorvQarn::OpenDocumentFile(const QString& path) {
    if (IsBlank(path))
        return;
    const QFileInfo file(path);
    if (!file.exists()) {
        // The shell reports only a missing file; a missing folder passes in silence.
        if (QFileInfo(file.absolutePath()).isDir())
            ShowMessage(QStringLiteral("File not found.\r\n") + path);
        return;
    }
    if (services_.OpenDocument)
        services_.OpenDocument(QUrl::fromLocalFile(file.absoluteFilePath()));
}

void frmZorvQarn::cmdCreate_Click() {
    RunCreatePipeline(*this, startup_, ProductCollaborators());
}

void frmZorvQarn::cmdClose_Click() {
    const bool saved =
        ReportingErrors(QStringLiteral("The resume template could not be remembered."), [this] {
            SaveSetting(SettingsAppName, kSection, kTemplateKey, txtResumeTemplate->text());
        });
    services_.Exit(saved ? 0 : 1);
}

QString frmZorvQarn::InputResumeText() const {
    return txtInputResume->text();
}
QString frmZorvQarn::ResumeTemplateText() const {
    return txtResumeTemplate->text();
}
void frmZorvQarn::SetOutputResumeText(const QString& text) {
    txtOutputResume->setText(text);
}
void frmZorvQarn::SetOutputHRXMLText(const QString& text) {
    txtOutputHRXML->setText(text);
}
void frmZorvQarn::SetCreateEnabled(bool enabled) {
    cmdCreate->setEnabled(enabled);
}

void frmZorvQarn::SetMousePointer(int pointer) {
    if (pointer == vbHourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

} // namespace zorv
