// One story of a document (the main text, or one header or footer part) as a flattened
// text index over the XML tree: per paragraph the text of its runs as Word shows it, and
// the list of tree nodes that carry each character. Find and replace-all work on this
// index and edit the runs in place; text is written back to the tree only by Sync, so
// many passes cost no re-parsing or re-serialising.
#pragma once

#include "EditableDocument.h"

#include <QString>
#include <cstdint>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace zorv::wordengine {

class Story final : public EditableStory {
public:
    // `container` is w:body, w:hdr or w:ftr; nullptr gives an empty story.
    Story(_xmlDoc* doc, _xmlNode* container);

    QString Text() const override;
    QString Text(std::int32_t start, std::int32_t end) const override;
    std::int32_t Length() const override;

    // Replaces every occurrence inside [start, end) in one pass; returns how many.
    // `end` < 0 means the end of the story.
    int ReplaceAll(const QString& find, const QString& replacement, bool matchCase,
                   bool matchWholeWord, std::int32_t start = 0, std::int32_t end = -1) override;

    // Paragraphs: count, and the [start, end) of paragraph i (0-based), marks included.
    int ParagraphCount() const override { return int(paras_.size()); }
    std::pair<std::int32_t, std::int32_t> ParagraphSpan(int i) const override;

    // Appends an empty paragraph at the end of the story, like the last one.
    void AppendParagraph() override;
    // Appends text at the end of the story: into the last paragraph, a new paragraph for
    // every line end in it.
    void AppendText(const QString& text) override;
    // Applies character formatting to every run that has text inside [start, end), and to
    // the marks of paragraphs that end inside it.
    void ApplyFont(std::int32_t start, std::int32_t end, const FontChange& change) override;

    // Writes edited text back into the tree. Returns whether the tree changed since the
    // last call.
    bool Sync();
    // Reads the index again after the tree was edited outside the story (template blocks);
    // the next Sync reports a change.
    void Rebuild();

    enum class Kind : std::uint8_t { Text, Tab, Break, Char, Opaque };
    struct Segment {
        Kind kind;
        bool fromCR = false; // a break made from a value's CR: a following LF belongs to it
        bool dirty = false;  // a text element whose content must be written back
        _xmlNode* node;
        QString text;
    };
    struct Paragraph {
        _xmlNode* p;
        std::vector<Segment> segs;
        QString text;  // the segments' characters
        QString marks; // "\r", plus "\a" ends of table cells and rows
    };

    // What a replacement text becomes: text, tab and line-break pieces.
    struct Piece {
        Kind kind;
        QString text;
        bool fromCR = false;
        bool fromLF = false;
    };

    // A value as the pieces it becomes in a run; characters XML cannot hold are dropped.
    static std::vector<Piece> Pieces(const QString& value);

private:
    void WalkBlocks(_xmlNode* container);
    void WalkTable(_xmlNode* tbl);
    void WalkInline(Paragraph& para, _xmlNode* parent);
    void WalkRun(Paragraph& para, _xmlNode* run);
    void ApplyMatches(Paragraph& para, const std::vector<int>& starts, int length,
                      const std::vector<Piece>& items);
    std::vector<std::int32_t> ParagraphStarts() const;
    Paragraph NewParagraphAfterLast();
    // Makes a run boundary fall at character `at` of the paragraph's text.
    void SplitRunsAt(Paragraph& para, qsizetype at);
    void SplitRunBefore(Paragraph& para, size_t seg);

    _xmlDoc* doc_;
    _xmlNode* container_;
    std::vector<Paragraph> paras_;
    bool treeChanged_ = false;

    // The last replace-all: paragraphs outside `lastHits_` had no match of the same find
    // text, and only the hit paragraphs were edited since, so a repeat pass looks there only.
    QString lastFind_;
    bool lastMatchCase_ = false, lastWholeWord_ = false, lastValid_ = false;
    std::vector<int> lastHits_;
};

} // namespace zorv::wordengine
