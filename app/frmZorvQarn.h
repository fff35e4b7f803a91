// frmZorvQarn: the program's one window. It takes the input resume and the template, runs the
// Create pipeline, shows where the results went, opens them on a click of their label, and
// remembers the template when Close is clicked.
#pragma once

#include "CreatePipeline.h"
#include "StartupValues.h"
#include "WindowServices.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorv {

class LinkLabel;

class frmZorvQarn : public QWidget, public ICreateView {
    Q_OBJECT
public:
    explicit frmZorvQarn(WindowServices services = DefaultWindowServices(),
                         QWidget* parent = nullptr);

    // The load steps, run once before the window is first shown. Throws what they raise.
    void Form_Load();
    // Form_Load, reporting an error in a message box instead; false when it failed.
    bool LoadReportingErrors();

    const StartupValues& Startup() const { return startup_; }

    // ICreateView
    QString InputResumeText() const override;
    QString ResumeTemplateText() const override;
    void SetOutputResumeText(const QString& text) override;
    void SetOutputHRXMLText(const QString& text) override;
    void SetCreateEnabled(bool enabled) override;
    void SetMousePointer(int pointer) override;

private:
    void CreateControls();
    void ConnectHandlers();

    void Browse(QLineEdit* box, const QString& filterName, const QString& patterns);
    void OpenDocumentFile(const QString& path);
    void cmdCreate_Click();
    void cmdClose_Click();

    WindowServices services_;
    StartupValues startup_;

    LinkLabel* lblInputResume = nullptr;
    QLineEdit* txtInputResume = nullptr;
    QPushButton* cmdBrowseInputResume = nullptr;
    LinkLabel* lblResumeTemplate = nullptr;
    QLineEdit* txtResumeTemplate = nullptr;
    QPushButton* cmdBrowseResumeTemplate = nullptr;
    LinkLabel* lblOutputResume = nullptr;
    QLineEdit* txtOutputResume = nullptr;
    LinkLabel* lblOutputHRXML = nullptr;
    QLineEdit* txtOutputHRXML = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* picMouseIcon = nullptr;
};

// The labels' pointer: its image comes with picMouseIcon, its hot spot is the finger's tip.
inline constexpr int kHandHotSpotX = 12;
inline constexpr int kHandHotSpotY = 1;

// A browse filter in Qt's syntax from a name and a ";"-separated pattern list.
QString QtFileFilter(const QString& name, const QString& patterns);

} // namespace zorv
