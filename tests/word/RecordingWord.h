// A recording double of the Word automation surface: it logs every call in order, keeps
// documents as plain story texts, and raises an error on cue at a named call. It stands in
// where a test must cause a fault (Word gone, a failing save) at a precise moment.
#pragma once

#include "WordAutomation.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

namespace zorv::test {

// The content a document has when the double opens its path.
struct FakeContent {
    int sections = 1;
    QString body;
    // Keyed by (section, kind 1..3).
    std::map<std::pair<int, int>, QString> headers;
    std::map<std::pair<int, int>, QString> footers;
    std::map<QString, QString> properties;
};

struct FakeStory {
    QString name;
    QString text;
};

class FakeApplication;
class FakeDocument;

// Everything the double knows, shared by its objects.
struct FakeWord {
    QStringList log;
    // Call name -> error number; the next call of that name raises it (once when `once`).
    struct Fault {
        std::int32_t number;
        bool once;
    };
    std::map<QString, Fault> faults;
    std::map<QString, FakeContent> files;
    // Not owned: a Word nobody holds any more is destroyed, as it would end.
    std::vector<std::weak_ptr<FakeApplication>> started;
    bool refuseStart = false;

    void FailOn(const QString& call, std::int32_t number = 4198, bool once = false) {
        faults[call] = {number, once};
    }
    // Logs the call and raises its fault, if one is set.
    void Call(const QString& call);
    int Count(const QString& call) const;
    // The log entries that start with prefix.
    QStringList Calls(const QString& prefix) const;
};

class FakeDocument : public word::Document, public std::enable_shared_from_this<FakeDocument> {
public:
    FakeDocument(FakeWord& world, FakeApplication& app, QString path, const FakeContent& content);

    std::shared_ptr<word::Sections> Sections() override;
    std::shared_ptr<word::Range> Content() override;
    std::shared_ptr<word::Range> Range() override { return Content(); }
    std::shared_ptr<word::Range> Range(std::int32_t, std::int32_t) override { return Content(); }
    std::shared_ptr<word::Paragraphs> Paragraphs() override;
    std::shared_ptr<word::CustomDocumentProperties> CustomDocumentProperties() override;
    void Save() override;
    void Close() override;

    FakeWord& world;
    FakeApplication& app;
    QString path;
    int sections;
    std::shared_ptr<FakeStory> body;
    std::map<std::pair<int, int>, std::shared_ptr<FakeStory>> headers, footers;
    std::map<QString, QString> properties;
    int saves = 0;
};

class FakeApplication : public word::Application,
                        public word::Documents,
                        public std::enable_shared_from_this<FakeApplication> {
public:
    explicit FakeApplication(FakeWord& world) : world(world) {}
    ~FakeApplication() override;

    std::shared_ptr<word::Application> ApplicationObject() override;
    QString Name() override;
    std::shared_ptr<word::Documents> Documents() override;
    void SetPrintPreview(bool value) override;
    void SetVisible(bool value) override;
    void SetWindowState(int state) override;
    void Activate() override;
    void Quit() override;
    void SetEvents(word::ApplicationEvents* events) override { this->events = events; }

    std::shared_ptr<word::Document> Open(const QString& FileName, bool ConfirmConversions,
                                         bool AddToRecentFiles) override;
    std::int32_t Count() override;
    std::shared_ptr<word::Document> Item(std::int32_t index) override;

    // The user closes Word: its Quit event fires and it is gone.
    void UserQuits();
    // Word dies without a word: every later call fails.
    void Crash() { gone = true; }

    FakeWord& world;
    word::ApplicationEvents* events = nullptr;
    std::vector<std::shared_ptr<FakeDocument>> documents;
    bool visible = false;
    bool gone = false;
    bool quitCalled = false;

private:
    void Alive(const QString& call);
};

// The Word factory that starts doubles in `world`, for clsReplaceTokens.
word::ApplicationFactory FakeWordFactory(FakeWord& world);

} // namespace zorv::test
