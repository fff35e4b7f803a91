// What the automation objects need of an opened document, whatever its format: the stories
// (main text, headers, footers) with find, replace-all and appending, the custom document
// properties, and saving. DocxDocument and RtfDocument implement it.
#pragma once

#include "TokenTree.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

namespace zorv::wordengine {

struct FontChange {
    bool setName = false, setSize = false, setColor = false, setUnderline = false, setBold = false;
    QString name;
    float size = 0;
    int colorIndex = 0;
    int underline = 0;
    bool bold = false;
};

// One story as Word shows it: paragraphs of text, each ending in its marks ("\r", plus
// "\a" ends of table cells and rows). Positions count UTF-16 units from 0.
class EditableStory {
public:
    virtual ~EditableStory() = default;
    virtual QString Text() const = 0;
    virtual QString Text(std::int32_t start, std::int32_t end) const = 0;
    virtual std::int32_t Length() const = 0;
    // Replaces every occurrence inside [start, end) in one pass; returns how many.
    // `end` < 0 means the end of the story.
    virtual int ReplaceAll(const QString& find, const QString& replacement, bool matchCase,
                           bool matchWholeWord, std::int32_t start = 0, std::int32_t end = -1) = 0;
    virtual int ParagraphCount() const = 0;
    // The [start, end) of paragraph i (0-based), marks included.
    virtual std::pair<std::int32_t, std::int32_t> ParagraphSpan(int i) const = 0;
    // Appends an empty paragraph at the end of the story.
    virtual void AppendParagraph() = 0;
    // Appends text to the last paragraph; every line end in it starts a new paragraph.
    virtual void AppendText(const QString& text) = 0;
    // Character formatting of the text inside [start, end).
    virtual void ApplyFont(std::int32_t start, std::int32_t end, const FontChange& change) = 0;
};

class EditableDocument {
public:
    virtual ~EditableDocument() = default;
    virtual const QString& Path() const = 0;
    virtual EditableStory& MainStory() = 0;
    virtual int SectionCount() const = 0;
    // The story of header (footer) kind 1..3 of section 1..n, following link-to-previous;
    // an empty story when no section up to this one defines that kind.
    virtual EditableStory& HeaderFooterStory(int section, bool footer, int kind) = 0;
    // Custom document properties; names compare case-insensitively.
    virtual std::optional<QString> CustomProperty(const QString& name) = 0;
    virtual bool DeleteCustomProperty(const QString& name) = 0;
    // Adds a string property; false when the name is already there.
    virtual bool AddCustomProperty(const QString& name, const QString& value) = 0;
    // Whether a story holds an opening block marker ([[#Name]], [[?Name]]) or [[!Redact]];
    // *redact tells whether it holds the latter. True means FillTemplate does the filling.
    virtual bool UsesTemplateBlocks(bool* redact) = 0;
    // Expands the template blocks and fills the markers of every story.
    virtual void FillTemplate(const TokenRecord& values) = 0;
    // The file's bytes as Save would write them now.
    virtual QByteArray Serialize() = 0;
    // Writes the document to its own path atomically, keeping the file's permissions.
    virtual void Save() = 0;
};

} // namespace zorv::wordengine
