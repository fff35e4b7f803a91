// The automation objects of the engine: Application, Documents, Document and the ranges,
// finds, sections and properties handed out from them. Every object checks that its
// document is still open and its application has not quit.
#include "DocxDocument.h"
#include "LegacyFormats.h"
#include "OfficeConverter.h"
#include "RtfDocument.h"
#include "WordEngine.h"
#include "ZorvError.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

namespace zorv::wordengine {
namespace {

class EngineApp;

ZorvError Gone(const char* what) {
    return ZorvError(
        EngObjectGone,
        QStringLiteral("The object is no longer available: %1.").arg(QLatin1String(what)));
}

ZorvError NoMember(const QString& what) {
    return ZorvError(
        EngNoSuchMember,
        QStringLiteral("The requested member of the collection does not exist: %1.").arg(what));
}

class EngineDoc : public word::Document, public std::enable_shared_from_this<EngineDoc> {
public:
    EngineDoc(std::weak_ptr<EngineApp> app, std::unique_ptr<EditableDocument> content,
              std::unique_ptr<LegacyCopy> legacy)
        : app_(std::move(app)), content_(std::move(content)), legacy_(std::move(legacy)) {}

    EditableDocument& Editable() {
        if (closed_)
            throw Gone("the document has been closed");
        return *content_;
    }
    QString CanonicalPath() const {
        return QFileInfo(legacy_ ? legacy_->OriginalPath() : content_->Path()).canonicalFilePath();
    }
    // A closed document gives up its working copy (and its hold on the office).
    void MarkClosed() {
        closed_ = true;
        legacy_.reset();
    }

    std::shared_ptr<word::Sections> Sections() override;
    std::shared_ptr<word::Range> Content() override;
    std::shared_ptr<word::Range> Range() override { return Content(); }
    std::shared_ptr<word::Range> Range(std::int32_t Start, std::int32_t End) override;
    std::shared_ptr<word::Paragraphs> Paragraphs() override;
    std::shared_ptr<word::CustomDocumentProperties> CustomDocumentProperties() override;
    void FillTemplate(const TokenRecord& values) override { Editable().FillTemplate(values); }
    bool UsesTemplateBlocks(bool* redact) override { return Editable().UsesTemplateBlocks(redact); }
    void Save() override {
        Editable().Save();
        if (legacy_)
            legacy_->WriteBack();
    }
    void Close() override;

private:
    std::weak_ptr<EngineApp> app_;
    std::unique_ptr<EditableDocument> content_;
    std::unique_ptr<LegacyCopy> legacy_; // a .doc: its .docx working copy
    bool closed_ = false;
};

// A range over one story: [start, end), or the whole story as it grows and shrinks.
class EngineRange : public word::Range, public std::enable_shared_from_this<EngineRange> {
public:
    EngineRange(std::shared_ptr<EngineDoc> doc, EditableStory* story, std::int32_t start = 0,
                std::int32_t end = -1)
        : doc_(std::move(doc)), story_(story), start_(start), end_(end) {}

    EditableStory& TheStory() {
        doc_->Editable(); // throws once the document is closed
        return *story_;
    }
    bool Whole() const { return end_ < 0; }
    std::int32_t StartPos() const { return start_; }
    std::int32_t EndPos() { return end_ < 0 ? TheStory().Length() : end_; }
    void Grow(std::int32_t delta) {
        if (end_ >= 0)
            end_ = std::max(start_, end_ + delta);
    }

    QString Text() override {
        EditableStory& s = TheStory();
        return Whole() && start_ == 0 ? s.Text() : s.Text(start_, EndPos());
    }
    std::int32_t Start() override {
        TheStory();
        return start_;
    }
    std::int32_t End() override { return EndPos(); }
    std::shared_ptr<word::Find> Find() override;
    void InsertParagraphAfter() override {
        EditableStory& s = TheStory();
        RequireStoryEnd("InsertParagraphAfter");
        const std::int32_t before = s.Length();
        s.AppendParagraph();
        Grow(s.Length() - before);
    }
    void InsertAfter(const QString& text) override {
        EditableStory& s = TheStory();
        RequireStoryEnd("InsertAfter");
        const std::int32_t before = s.Length();
        s.AppendText(text);
        Grow(s.Length() - before);
    }
    std::shared_ptr<word::Font> Font() override;

private:
    void RequireStoryEnd(const char* member) {
        if (EndPos() != TheStory().Length())
            throw ZorvError(EngBadArgument, QStringLiteral("%1 is available only for a range that "
                                                           "reaches the end of its story.")
                                                .arg(QLatin1String(member)));
    }
    std::shared_ptr<EngineDoc> doc_;
    EditableStory* story_;
    std::int32_t start_, end_;
};

class EngineReplacement : public word::Replacement {
public:
    void ClearFormatting() override {}
    void SetText(const QString& text) override { text_ = text; }
    QString text_;
};

class EngineFind : public word::Find {
public:
    explicit EngineFind(std::shared_ptr<EngineRange> range) : range_(std::move(range)) {}
    void ClearFormatting() override {}
    void SetText(const QString& text) override { text_ = text; }
    std::shared_ptr<word::Replacement> Replacement() override { return replacement_; }
    bool Execute(bool MatchCase, bool MatchWholeWord, int Replace) override {
        EditableStory& story = range_->TheStory();
        if (Replace == 0) {
            const QString hay = range_->Text();
            if (text_.isEmpty())
                return false;
            return hay.contains(text_, MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
        }
        if (Replace != word::wdReplaceAll)
            throw ZorvError(EngBadArgument,
                            QStringLiteral("Only replacing all occurrences is supported."));
        const std::int32_t before = range_->Whole() ? 0 : story.Length();
        const int n = range_->Whole()
                          ? story.ReplaceAll(text_, replacement_->text_, MatchCase, MatchWholeWord,
                                             range_->StartPos(), -1)
                          : story.ReplaceAll(text_, replacement_->text_, MatchCase, MatchWholeWord,
                                             range_->StartPos(), range_->EndPos());
        if (!range_->Whole())
            range_->Grow(story.Length() - before);
        return n > 0;
    }
    bool TakesAnyReplacementLength() const override { return true; }

private:
    std::shared_ptr<EngineRange> range_;
    QString text_;
    std::shared_ptr<EngineReplacement> replacement_ = std::make_shared<EngineReplacement>();
};

std::shared_ptr<word::Find> EngineRange::Find() {
    TheStory();
    return std::make_shared<EngineFind>(shared_from_this());
}

class EngineFont : public word::Font {
public:
    explicit EngineFont(std::shared_ptr<EngineRange> range) : range_(std::move(range)) {}
    void SetName(const QString& name) override {
        FontChange c;
        c.setName = true;
        c.name = name;
        Apply(c);
    }
    void SetSize(float points) override {
        if (!(points >= 1 && points <= 1638))
            throw ZorvError(EngBadArgument, QStringLiteral("The font size is out of range."));
        FontChange c;
        c.setSize = true;
        c.size = points;
        Apply(c);
    }
    void SetColorIndex(int colorIndex) override {
        if (colorIndex < 0 || colorIndex > 16)
            throw ZorvError(EngBadArgument, QStringLiteral("The colour index is out of range."));
        FontChange c;
        c.setColor = true;
        c.colorIndex = colorIndex;
        Apply(c);
    }
    void SetUnderline(int underline) override {
        FontChange c;
        c.setUnderline = true;
        c.underline = underline;
        Apply(c);
    }
    void SetBold(bool bold) override {
        FontChange c;
        c.setBold = true;
        c.bold = bold;
        Apply(c);
    }

private:
    void Apply(const FontChange& c) {
        range_->TheStory().ApplyFont(range_->StartPos(), range_->EndPos(), c);
    }
    std::shared_ptr<EngineRange> range_;
};

std::shared_ptr<word::Font> EngineRange::Font() {
    TheStory();
    return std::make_shared<EngineFont>(shared_from_this());
}

class EngineHeaderFooter : public word::HeaderFooter {
public:
    EngineHeaderFooter(std::shared_ptr<EngineDoc> doc, int section, bool footer, int kind)
        : doc_(std::move(doc)), section_(section), footer_(footer), kind_(kind) {}
    std::shared_ptr<word::Range> Range() override {
        EditableStory& s = doc_->Editable().HeaderFooterStory(section_, footer_, kind_);
        return std::make_shared<EngineRange>(doc_, &s);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
    int section_;
    bool footer_;
    int kind_;
};

class EngineHeadersFooters : public word::HeadersFooters {
public:
    EngineHeadersFooters(std::shared_ptr<EngineDoc> doc, int section, bool footer)
        : doc_(std::move(doc)), section_(section), footer_(footer) {}
    std::int32_t Count() override {
        doc_->Editable();
        return 3;
    }
    std::shared_ptr<word::HeaderFooter> Item(std::int32_t index) override {
        doc_->Editable();
        if (index < word::wdHeaderFooterPrimary || index > word::wdHeaderFooterEvenPages)
            throw NoMember(QStringLiteral("header or footer %1").arg(index));
        return std::make_shared<EngineHeaderFooter>(doc_, section_, footer_, index);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
    int section_;
    bool footer_;
};

class EngineSection : public word::Section {
public:
    EngineSection(std::shared_ptr<EngineDoc> doc, int index)
        : doc_(std::move(doc)), index_(index) {}
    std::shared_ptr<word::HeadersFooters> Headers() override {
        doc_->Editable();
        return std::make_shared<EngineHeadersFooters>(doc_, index_, false);
    }
    std::shared_ptr<word::HeadersFooters> Footers() override {
        doc_->Editable();
        return std::make_shared<EngineHeadersFooters>(doc_, index_, true);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
    int index_;
};

class EngineSections : public word::Sections {
public:
    explicit EngineSections(std::shared_ptr<EngineDoc> doc) : doc_(std::move(doc)) {}
    std::int32_t Count() override { return doc_->Editable().SectionCount(); }
    std::shared_ptr<word::Section> Item(std::int32_t index) override {
        if (index < 1 || index > Count())
            throw NoMember(QStringLiteral("section %1").arg(index));
        return std::make_shared<EngineSection>(doc_, index);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
};

class EngineParagraph : public word::Paragraph {
public:
    EngineParagraph(std::shared_ptr<EngineDoc> doc, int index)
        : doc_(std::move(doc)), index_(index) {}
    std::shared_ptr<word::Range> Range() override {
        EditableStory& s = doc_->Editable().MainStory();
        if (index_ >= s.ParagraphCount())
            throw NoMember(QStringLiteral("paragraph %1").arg(index_ + 1));
        const auto [start, end] = s.ParagraphSpan(index_);
        return std::make_shared<EngineRange>(doc_, &s, start, end);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
    int index_;
};

class EngineParagraphs : public word::Paragraphs {
public:
    explicit EngineParagraphs(std::shared_ptr<EngineDoc> doc) : doc_(std::move(doc)) {}
    std::int32_t Count() override { return doc_->Editable().MainStory().ParagraphCount(); }
    std::shared_ptr<word::Paragraph> Item(std::int32_t index) override {
        if (index < 1 || index > Count())
            throw NoMember(QStringLiteral("paragraph %1").arg(index));
        return std::make_shared<EngineParagraph>(doc_, index - 1);
    }

private:
    std::shared_ptr<EngineDoc> doc_;
};

class EngineProperty : public word::DocumentProperty {
public:
    EngineProperty(std::shared_ptr<EngineDoc> doc, QString name)
        : doc_(std::move(doc)), name_(std::move(name)) {}
    QString Value() override {
        if (auto v = doc_->Editable().CustomProperty(name_))
            return *v;
        throw NoMember(QStringLiteral("custom property \"%1\"").arg(name_));
    }
    void Delete() override {
        if (!doc_->Editable().DeleteCustomProperty(name_))
            throw NoMember(QStringLiteral("custom property \"%1\"").arg(name_));
    }

private:
    std::shared_ptr<EngineDoc> doc_;
    QString name_;
};

class EngineProperties : public word::CustomDocumentProperties {
public:
    explicit EngineProperties(std::shared_ptr<EngineDoc> doc) : doc_(std::move(doc)) {}
    std::shared_ptr<word::DocumentProperty> Item(const QString& name) override {
        if (!doc_->Editable().CustomProperty(name))
            throw NoMember(QStringLiteral("custom property \"%1\"").arg(name));
        return std::make_shared<EngineProperty>(doc_, name);
    }
    void Add(const QString& Name, bool LinkToContent, int Type, const QString& Value) override {
        EditableDocument& d = doc_->Editable();
        if (LinkToContent || Type != word::msoPropertyTypeString)
            throw ZorvError(EngBadArgument, QStringLiteral("Only string properties not linked to "
                                                           "content can be added."));
        if (Name.trimmed().isEmpty())
            throw ZorvError(EngBadArgument, QStringLiteral("A property needs a name."));
        if (!d.AddCustomProperty(Name, Value))
            throw ZorvError(EngBadArgument,
                            QStringLiteral("The custom property \"%1\" already exists.").arg(Name));
    }

private:
    std::shared_ptr<EngineDoc> doc_;
};

std::shared_ptr<word::Sections> EngineDoc::Sections() {
    Editable();
    return std::make_shared<EngineSections>(shared_from_this());
}

std::shared_ptr<word::Range> EngineDoc::Content() {
    return std::make_shared<EngineRange>(shared_from_this(), &Editable().MainStory());
}

std::shared_ptr<word::Range> EngineDoc::Range(std::int32_t Start, std::int32_t End) {
    EditableStory& s = Editable().MainStory();
    if (Start < 0 || End < Start || End > s.Length())
        throw ZorvError(
            EngBadArgument,
            QStringLiteral("The range %1 to %2 lies outside the document.").arg(Start).arg(End));
    return std::make_shared<EngineRange>(shared_from_this(), &s, Start, End);
}

std::shared_ptr<word::Paragraphs> EngineDoc::Paragraphs() {
    Editable();
    return std::make_shared<EngineParagraphs>(shared_from_this());
}

std::shared_ptr<word::CustomDocumentProperties> EngineDoc::CustomDocumentProperties() {
    Editable();
    return std::make_shared<EngineProperties>(shared_from_this());
}

class EngineApp : public word::Application, public std::enable_shared_from_this<EngineApp> {
public:
    explicit EngineApp(OfficeLocator findOffice) : findOffice_(std::move(findOffice)) {}
    std::shared_ptr<word::Application> ApplicationObject() override {
        Alive();
        return shared_from_this();
    }
    QString Name() override {
        Alive();
        return QStringLiteral("ZorvQarn Document Engine");
    }
    std::shared_ptr<word::Documents> Documents() override;
    void SetPrintPreview(bool) override { Alive(); }
    void SetVisible(bool value) override {
        Alive();
        visible_ = value;
    }
    void SetWindowState(int) override { Alive(); }
    void Activate() override { Alive(); }
    void Quit() override {
        Alive();
        auto self = shared_from_this(); // a Quit handler may drop the last outside reference
        quit_ = true;
        for (auto& d : docs_)
            d->MarkClosed();
        docs_.clear();
        office_.reset(); // its private folder goes with it
        word::ApplicationQuit(this);
        if (events_)
            events_->Quit();
    }
    void SetEvents(word::ApplicationEvents* events) override { events_ = events; }

    void Alive() const {
        if (quit_)
            throw Gone("the application has quit");
    }
    std::vector<std::shared_ptr<EngineDoc>>& Docs() {
        Alive();
        return docs_;
    }
    // The converter for .doc documents, one per application object.
    const std::shared_ptr<OfficeConverter>& Office() {
        Alive();
        if (!office_)
            office_ = std::make_shared<OfficeConverter>(findOffice_);
        return office_;
    }
    void DocumentChanged() {
        auto self = shared_from_this();
        if (events_)
            events_->DocumentChange();
    }

private:
    std::vector<std::shared_ptr<EngineDoc>> docs_;
    OfficeLocator findOffice_;
    std::shared_ptr<OfficeConverter> office_;
    word::ApplicationEvents* events_ = nullptr;
    bool quit_ = false;
    bool visible_ = false;
};

void EngineDoc::Close() {
    Editable();
    MarkClosed();
    if (auto app = app_.lock()) {
        auto& docs = app->Docs();
        std::erase_if(docs, [this](const auto& d) { return d.get() == this; });
        app->DocumentChanged();
    }
}

class EngineDocuments : public word::Documents {
public:
    explicit EngineDocuments(std::shared_ptr<EngineApp> app) : app_(std::move(app)) {}
    std::shared_ptr<word::Document> Open(const QString& FileName, bool, bool) override {
        auto& docs = app_->Docs();
        const QString path = QDir::cleanPath(QFileInfo(FileName).absoluteFilePath());
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty())
            for (const auto& d : docs)
                if (d->CanonicalPath() == canonical)
                    return d;
        // Rich Text is edited in place; a .doc goes through its .docx working copy.
        std::unique_ptr<LegacyCopy> legacy;
        std::unique_ptr<EditableDocument> content;
        if (RtfDocument::IsRtfFile(path)) {
            content = RtfDocument::Load(path);
        } else {
            legacy = OpenLegacyCopy(app_->Office(), path);
            content = legacy ? legacy->LoadWorkingCopy() : DocxDocument::Load(path);
        }
        auto doc = std::make_shared<EngineDoc>(app_, std::move(content), std::move(legacy));
        docs.push_back(doc);
        app_->DocumentChanged();
        return doc;
    }
    std::int32_t Count() override { return std::int32_t(app_->Docs().size()); }
    std::shared_ptr<word::Document> Item(std::int32_t index) override {
        auto& docs = app_->Docs();
        if (index < 1 || index > std::int32_t(docs.size()))
            throw NoMember(QStringLiteral("document %1").arg(index));
        return docs[size_t(index - 1)];
    }

private:
    std::shared_ptr<EngineApp> app_;
};

std::shared_ptr<word::Documents> EngineApp::Documents() {
    Alive();
    return std::make_shared<EngineDocuments>(shared_from_this());
}

} // namespace

std::shared_ptr<word::Application> NewEngineApplication() {
    return NewEngineApplicationWithOffice(FindOfficeProgram);
}

std::shared_ptr<word::Application> NewEngineApplicationWithOffice(OfficeLocator findOffice) {
    return std::make_shared<EngineApp>(std::move(findOffice));
}

QByteArray PackageBytes(word::Document& document) {
    auto* doc = dynamic_cast<EngineDoc*>(&document);
    if (!doc)
        throw ZorvError(EngBadArgument, QStringLiteral("The document is not one of this engine."));
    return doc->Editable().Serialize();
}

} // namespace zorv::wordengine
