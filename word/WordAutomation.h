// The Word automation surface: exactly the members that template filling and the
// submitter block use, as C++ interfaces. Our OOXML engine implements them; tests may put
// a recording double in their place. Collection indices are one-based; character positions
// (Range.Start/End) count from 0 as in Word. Every member may
// throw zorv::ZorvError (number and description). Objects are reference-counted handles.
#pragma once

#include "TokenTree.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace zorv::word {

inline constexpr int wdWindowStateNormal = 0;
inline constexpr int wdReplaceAll = 2;
inline constexpr int wdHeaderFooterPrimary = 1;
inline constexpr int wdHeaderFooterFirstPage = 2;
inline constexpr int wdHeaderFooterEvenPages = 3;
inline constexpr int wdRed = 6;
inline constexpr int wdUnderlineNone = 0;
inline constexpr int msoPropertyTypeString = 4;

class Font {
public:
    virtual ~Font() = default;
    virtual void SetName(const QString& name) = 0;
    virtual void SetSize(float points) = 0;
    virtual void SetColorIndex(int colorIndex) = 0;
    virtual void SetUnderline(int underline) = 0;
    virtual void SetBold(bool bold) = 0;
};

class Replacement {
public:
    virtual ~Replacement() = default;
    virtual void ClearFormatting() = 0;
    virtual void SetText(const QString& text) = 0;
};

class Find {
public:
    virtual ~Find() = default;
    virtual void ClearFormatting() = 0;
    virtual void SetText(const QString& text) = 0;
    virtual std::shared_ptr<word::Replacement> Replacement() = 0;
    // Arguments not listed are omitted; returns whether anything was found.
    virtual bool Execute(bool MatchCase, bool MatchWholeWord, int Replace) = 0;
    // True when a replacement text may be of any length. Word takes at most 255 characters,
    // so a long value goes in by pieces, one pass over the story each: quadratic in the
    // value's length. An engine without the limit takes the value in one pass.
    virtual bool TakesAnyReplacementLength() const { return false; }
};

class Range {
public:
    virtual ~Range() = default;
    virtual QString Text() = 0;
    virtual std::int32_t Start() = 0;
    virtual std::int32_t End() = 0;
    virtual std::shared_ptr<word::Find> Find() = 0;
    virtual void InsertParagraphAfter() = 0;
    virtual void InsertAfter(const QString& text) = 0;
    virtual std::shared_ptr<word::Font> Font() = 0;
};

class Paragraph {
public:
    virtual ~Paragraph() = default;
    virtual std::shared_ptr<word::Range> Range() = 0;
};

class Paragraphs {
public:
    virtual ~Paragraphs() = default;
    virtual std::int32_t Count() = 0;
    virtual std::shared_ptr<Paragraph> Item(std::int32_t index) = 0;
};

class HeaderFooter {
public:
    virtual ~HeaderFooter() = default;
    virtual std::shared_ptr<word::Range> Range() = 0;
};

class HeadersFooters {
public:
    virtual ~HeadersFooters() = default;
    virtual std::int32_t Count() = 0;
    // index: wdHeaderFooterPrimary, wdHeaderFooterFirstPage or wdHeaderFooterEvenPages.
    virtual std::shared_ptr<HeaderFooter> Item(std::int32_t index) = 0;
};

class Section {
public:
    virtual ~Section() = default;
    virtual std::shared_ptr<HeadersFooters> Headers() = 0;
    virtual std::shared_ptr<HeadersFooters> Footers() = 0;
};

class Sections {
public:
    virtual ~Sections() = default;
    virtual std::int32_t Count() = 0;
    virtual std::shared_ptr<Section> Item(std::int32_t index) = 0;
};

class DocumentProperty {
public:
    virtual ~DocumentProperty() = default;
    virtual QString Value() = 0;
    virtual void Delete() = 0;
};

class CustomDocumentProperties {
public:
    virtual ~CustomDocumentProperties() = default;
    // Throws when no property of that name exists.
    virtual std::shared_ptr<DocumentProperty> Item(const QString& name) = 0;
    virtual void Add(const QString& Name, bool LinkToContent, int Type, const QString& Value) = 0;
};

class Document {
public:
    virtual ~Document() = default;
    virtual std::shared_ptr<word::Sections> Sections() = 0;
    virtual std::shared_ptr<word::Range> Content() = 0;
    virtual std::shared_ptr<word::Range> Range() = 0;
    virtual std::shared_ptr<word::Range> Range(std::int32_t Start, std::int32_t End) = 0;
    virtual std::shared_ptr<word::Paragraphs> Paragraphs() = 0;
    virtual std::shared_ptr<word::CustomDocumentProperties> CustomDocumentProperties() = 0;
    // Expands the template blocks and fills every marker of the main text, headers and
    // footers from `values` in one pass (see wordengine/TemplateBlocks.h); a value put in
    // is never read as a marker. Implementations without it throw.
    virtual void FillTemplate(const TokenRecord& values);
    // Whether any story holds an opening block marker ([[#Name]], [[?Name]]) or
    // [[!Redact]]; *redact tells the latter. Implementations without blocks say false.
    virtual bool UsesTemplateBlocks(bool* redact);
    // Writes the document back to its own name in the format it was opened in.
    virtual void Save() = 0;
    virtual void Close() = 0;
};

class Documents {
public:
    virtual ~Documents() = default;
    virtual std::shared_ptr<Document> Open(const QString& FileName, bool ConfirmConversions,
                                           bool AddToRecentFiles) = 0;
    virtual std::int32_t Count() = 0;
    virtual std::shared_ptr<Document> Item(std::int32_t index) = 0;
};

// Receiver of the application's events.
class ApplicationEvents {
public:
    virtual ~ApplicationEvents() = default;
    virtual void Quit() = 0;
    virtual void DocumentChange() = 0;
};

class Application {
public:
    virtual ~Application() = default;
    // Application.Application (C++ cannot name a member after its class). The liveness probe
    // reads it, then Name(); an error means the instance is gone.
    virtual std::shared_ptr<word::Application> ApplicationObject() = 0;
    virtual QString Name() = 0;
    virtual std::shared_ptr<word::Documents> Documents() = 0;
    virtual void SetPrintPreview(bool value) = 0;
    virtual void SetVisible(bool value) = 0;
    virtual void SetWindowState(int state) = 0;
    virtual void Activate() = 0;
    virtual void Quit() = 0;
    // Connects (or with nullptr disconnects) the receiver of Quit and DocumentChange.
    virtual void SetEvents(ApplicationEvents* events) = 0;
};

// The small runtime of application objects. The running instance is the one application
// object of this process that has been created and not quit.
// Throws when no instance is running.
std::shared_ptr<Application> GetRunningApplication();
// Who creates application objects: the product passes the engine's, tests a double.
using ApplicationFactory = std::function<std::shared_ptr<Application>()>;
// Starts an instance with `factory`, which becomes the running one. Throws when no instance
// can be started (an empty factory: the build has no engine).
std::shared_ptr<Application> CreateApplication(const ApplicationFactory& factory);

// Implementations call this from Application::Quit, so that the runtime no longer offers
// that instance as the running one.
void ApplicationQuit(const Application* application);

} // namespace zorv::word
