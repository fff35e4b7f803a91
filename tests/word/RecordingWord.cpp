#include "RecordingWord.h"

#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>

namespace zorv::test {
namespace {

class FakeReplacement : public word::Replacement {
public:
    explicit FakeReplacement(FakeWord& world) : world_(world) {}
    void ClearFormatting() override { world_.Call(QStringLiteral("Replacement.ClearFormatting")); }
    void SetText(const QString& text) override {
        world_.Call(QStringLiteral("Replacement.Text"));
        this->text = text;
    }
    QString text;

private:
    FakeWord& world_;
};

// Replace-all as Word does it: left to right, inserted text is not searched again.
class FakeFind : public word::Find {
public:
    FakeFind(FakeWord& world, std::shared_ptr<FakeStory> story)
        : world_(world), story_(std::move(story)),
          replacement_(std::make_shared<FakeReplacement>(world)) {}
    void ClearFormatting() override { world_.Call(QStringLiteral("Find.ClearFormatting")); }
    void SetText(const QString& text) override {
        world_.Call(QStringLiteral("Find.Text"));
        text_ = text;
    }
    std::shared_ptr<word::Replacement> Replacement() override { return replacement_; }
    bool Execute(bool MatchCase, bool MatchWholeWord, int Replace) override {
        world_.Call(QStringLiteral("Execute %1 %2|%3%4%5%6")
                        .arg(story_->name, text_, replacement_->text)
                        .arg(MatchCase ? "" : " nocase")
                        .arg(MatchWholeWord ? "" : " noword")
                        .arg(Replace == word::wdReplaceAll ? "" : " notall"));
        const bool found = story_->text.contains(text_);
        story_->text.replace(text_, replacement_->text);
        return found;
    }

private:
    FakeWord& world_;
    std::shared_ptr<FakeStory> story_;
    QString text_;
    std::shared_ptr<FakeReplacement> replacement_;
};

class FakeRange : public word::Range {
public:
    FakeRange(FakeWord& world, std::shared_ptr<FakeStory> story)
        : world_(world), story_(std::move(story)) {}
    QString Text() override {
        world_.Call(QStringLiteral("Text ") + story_->name);
        return story_->text;
    }
    std::int32_t Start() override { return 0; }
    std::int32_t End() override { return std::int32_t(story_->text.size()); }
    std::shared_ptr<word::Find> Find() override {
        world_.Call(QStringLiteral("Range.Find"));
        return std::make_shared<FakeFind>(world_, story_);
    }
    void InsertParagraphAfter() override { story_->text += QChar('\r'); }
    void InsertAfter(const QString& text) override { story_->text += text; }
    std::shared_ptr<word::Font> Font() override {
        throw ZorvError(ErrInvalidCall, QStringLiteral("Not in the double."));
    }

private:
    FakeWord& world_;
    std::shared_ptr<FakeStory> story_;
};

class FakeHeaderFooter : public word::HeaderFooter {
public:
    FakeHeaderFooter(FakeWord& world, std::shared_ptr<FakeStory> story)
        : world_(world), story_(std::move(story)) {}
    std::shared_ptr<word::Range> Range() override {
        return std::make_shared<FakeRange>(world_, story_);
    }

private:
    FakeWord& world_;
    std::shared_ptr<FakeStory> story_;
};

class FakeHeadersFooters : public word::HeadersFooters {
public:
    FakeHeadersFooters(std::shared_ptr<FakeDocument> doc, int section, bool headers)
        : doc_(std::move(doc)), section_(section), headers_(headers) {}
    std::int32_t Count() override { return 3; }
    std::shared_ptr<word::HeaderFooter> Item(std::int32_t index) override {
        auto& stories = headers_ ? doc_->headers : doc_->footers;
        return std::make_shared<FakeHeaderFooter>(doc_->world, stories.at({section_, index}));
    }

private:
    std::shared_ptr<FakeDocument> doc_;
    int section_;
    bool headers_;
};

class FakeSection : public word::Section {
public:
    FakeSection(std::shared_ptr<FakeDocument> doc, int index)
        : doc_(std::move(doc)), index_(index) {}
    std::shared_ptr<word::HeadersFooters> Headers() override {
        return std::make_shared<FakeHeadersFooters>(doc_, index_, true);
    }
    std::shared_ptr<word::HeadersFooters> Footers() override {
        return std::make_shared<FakeHeadersFooters>(doc_, index_, false);
    }

private:
    std::shared_ptr<FakeDocument> doc_;
    int index_;
};

class FakeSections : public word::Sections {
public:
    explicit FakeSections(std::shared_ptr<FakeDocument> doc) : doc_(std::move(doc)) {}
    std::int32_t Count() override {
        doc_->world.Call(QStringLiteral("Sections.Count"));
        return doc_->sections;
    }
    std::shared_ptr<word::Section> Item(std::int32_t index) override {
        if (index < 1 || index > doc_->sections)
            throw ZorvError(
                5941, QStringLiteral("The requested member of the collection does not exist."));
        return std::make_shared<FakeSection>(doc_, index);
    }

private:
    std::shared_ptr<FakeDocument> doc_;
};

class FakeProperty : public word::DocumentProperty {
public:
    FakeProperty(std::shared_ptr<FakeDocument> doc, QString name)
        : doc_(std::move(doc)), name_(std::move(name)) {}
    QString Value() override { return doc_->properties.at(name_); }
    void Delete() override {
        doc_->world.Call(QStringLiteral("Property.Delete ") + name_);
        doc_->properties.erase(name_);
    }

private:
    std::shared_ptr<FakeDocument> doc_;
    QString name_;
};

class FakeProperties : public word::CustomDocumentProperties {
public:
    explicit FakeProperties(std::shared_ptr<FakeDocument> doc) : doc_(std::move(doc)) {}
    std::shared_ptr<word::DocumentProperty> Item(const QString& name) override {
        if (!doc_->properties.count(name))
            throw ZorvError(ErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
        return std::make_shared<FakeProperty>(doc_, name);
    }
    void Add(const QString& Name, bool LinkToContent, int Type, const QString& Value) override {
        doc_->world.Call(QStringLiteral("Property.Add %1 %2 %3 %4")
                             .arg(Name)
                             .arg(LinkToContent ? "linked" : "unlinked")
                             .arg(Type)
                             .arg(Value));
        doc_->properties[Name] = Value;
    }

private:
    std::shared_ptr<FakeDocument> doc_;
};

} // namespace

void FakeWord::Call(const QString& call) {
    log << call;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (call == it->first || call.startsWith(it->first + QChar(' '))) {
            const Fault fault = it->second;
            if (fault.once)
                faults.erase(it);
            throw ZorvError(fault.number, QStringLiteral("Fault on cue at ") + call);
        }
    }
}

int FakeWord::Count(const QString& call) const {
    return int(log.count(call));
}

QStringList FakeWord::Calls(const QString& prefix) const {
    QStringList out;
    for (const QString& entry : log)
        if (entry.startsWith(prefix))
            out << entry;
    return out;
}

FakeDocument::FakeDocument(FakeWord& world, FakeApplication& app, QString path,
                           const FakeContent& content)
    : world(world), app(app), path(std::move(path)), sections(content.sections),
      body(std::make_shared<FakeStory>(FakeStory{QStringLiteral("body"), content.body})),
      properties(content.properties) {
    for (int s = 1; s <= sections; ++s) {
        for (int k = 1; k <= 3; ++k) {
            const auto key = std::make_pair(s, k);
            auto text = [&](const auto& map) {
                const auto it = map.find(key);
                return it == map.end() ? QString() : it->second;
            };
            headers[key] = std::make_shared<FakeStory>(
                FakeStory{QStringLiteral("header%1.%2").arg(s).arg(k), text(content.headers)});
            footers[key] = std::make_shared<FakeStory>(
                FakeStory{QStringLiteral("footer%1.%2").arg(s).arg(k), text(content.footers)});
        }
    }
}

std::shared_ptr<word::Sections> FakeDocument::Sections() {
    return std::make_shared<FakeSections>(shared_from_this());
}

std::shared_ptr<word::Range> FakeDocument::Content() {
    return std::make_shared<FakeRange>(world, body);
}

std::shared_ptr<word::Paragraphs> FakeDocument::Paragraphs() {
    throw ZorvError(ErrInvalidCall, QStringLiteral("Not in the double."));
}

std::shared_ptr<word::CustomDocumentProperties> FakeDocument::CustomDocumentProperties() {
    return std::make_shared<FakeProperties>(shared_from_this());
}

// Saving writes the story texts, so that a test sees on disk what was saved.
void FakeDocument::Save() {
    world.Call(QStringLiteral("Save ") + path);
    ++saves;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(body->text.toUtf8());
}

void FakeDocument::Close() {
    world.Call(QStringLiteral("Close ") + path);
    auto& docs = app.documents;
    for (auto it = docs.begin(); it != docs.end(); ++it) {
        if (it->get() == this) {
            docs.erase(it);
            return;
        }
    }
}

FakeApplication::~FakeApplication() {
    word::ApplicationQuit(this);
}

void FakeApplication::Alive(const QString& call) {
    world.Call(call);
    if (gone)
        throw ZorvError(
            462, QStringLiteral("The remote server machine does not exist or is unavailable"));
}

std::shared_ptr<word::Application> FakeApplication::ApplicationObject() {
    Alive(QStringLiteral("Application"));
    return shared_from_this();
}

QString FakeApplication::Name() {
    Alive(QStringLiteral("Name"));
    return QStringLiteral("Fake Word");
}

std::shared_ptr<word::Documents> FakeApplication::Documents() {
    Alive(QStringLiteral("Documents"));
    return std::shared_ptr<word::Documents>(shared_from_this(), this);
}

void FakeApplication::SetPrintPreview(bool value) {
    Alive(QStringLiteral("PrintPreview %1").arg(value));
}

void FakeApplication::SetVisible(bool value) {
    Alive(QStringLiteral("Visible %1").arg(value));
    visible = value;
}

void FakeApplication::SetWindowState(int state) {
    Alive(QStringLiteral("WindowState %1").arg(state));
}

void FakeApplication::Activate() {
    Alive(QStringLiteral("Activate"));
}

void FakeApplication::Quit() {
    Alive(QStringLiteral("Quit"));
    quitCalled = true;
    UserQuits();
}

void FakeApplication::UserQuits() {
    documents.clear();
    gone = true;
    word::ApplicationQuit(this);
    if (events)
        events->Quit();
    // Touches the object after the event, as a real server may: a receiver that
    // destroyed us inside its handler shows up under the address sanitizer.
    visible = false;
}

std::shared_ptr<word::Document>
FakeApplication::Open(const QString& FileName, bool ConfirmConversions, bool AddToRecentFiles) {
    Alive(QStringLiteral("Open %1 %2 %3")
              .arg(FileName)
              .arg(ConfirmConversions)
              .arg(AddToRecentFiles));
    if (!QFileInfo(FileName).isFile())
        throw ZorvError(5174, QStringLiteral("This file could not be found."));
    const auto it = world.files.find(FileName);
    auto doc = std::make_shared<FakeDocument>(world, *this, FileName,
                                              it == world.files.end() ? FakeContent{} : it->second);
    documents.push_back(doc);
    return doc;
}

std::int32_t FakeApplication::Count() {
    Alive(QStringLiteral("Documents.Count"));
    return std::int32_t(documents.size());
}

std::shared_ptr<word::Document> FakeApplication::Item(std::int32_t index) {
    Alive(QStringLiteral("Documents.Item %1").arg(index));
    if (index < 1 || index > std::int32_t(documents.size()))
        throw ZorvError(5941,
                        QStringLiteral("The requested member of the collection does not exist."));
    return documents[std::size_t(index - 1)];
}

word::ApplicationFactory FakeWordFactory(FakeWord& world) {
    return [&world]() -> std::shared_ptr<word::Application> {
        world.Call(QStringLiteral("Start"));
        if (world.refuseStart)
            throw ZorvError(ErrCannotCreateComponent, QStringLiteral("Word could not be started."));
        auto app = std::make_shared<FakeApplication>(world);
        world.started.push_back(app);
        return app;
    };
}

} // namespace zorv::test
