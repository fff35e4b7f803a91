// One story of a Rich Text document (main text, or every group of one header or footer
// kind of a section) as Word shows it, over the file's bytes. Each paragraph's visible
// characters sit in segments: runs of characters whose bytes follow each other with nothing
// between them. Control words, groups and hidden or skipped text between segments are never
// touched; an edit rewrites only the characters it replaces, inside their segment, so every
// other byte of the file stays as it was.
#pragma once

#include "EditableDocument.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace zorv::wordengine {

// Replaces the bytes [begin, end) of the original file; begin == end inserts.
struct RtfSplice {
    qsizetype begin, end;
    QByteArray bytes;
};

// What the bytes just before a place end with, that text written there could run into.
enum class RtfJoint : std::uint8_t {
    None,
    Word,   // a control word without its delimiter: text must not continue it
    Escape, // a \' without its two hex digits: text must not complete it
    Group,  // a group's opening brace: a control word after it could become a destination
};

struct RtfSegment {
    qsizetype srcBegin = 0, srcEnd = 0; // the original bytes it stands for; equal when added
    QByteArray bytes;                   // its RTF once edited (dirty)
    QString text;                       // its characters
    // Per character: where its bytes end, with the flags below; empty while every character
    // is one plain byte.
    std::vector<std::uint32_t> ends;
    QByteArray format; // control words from ApplyFont: written as {format bytes}
    std::uint32_t uc = 1;
    RtfJoint joint = RtfJoint::None; // what the bytes before it end with
    bool barrierBefore = false;      // hidden text or an object lies before it: no match spans it
    RtfJoint lead = RtfJoint::None;  // written before it: a space (Word) or {} (the others)
    bool dirty = false;
    bool mark = false; // a paragraph mark added at the end of the story (no text)

    static constexpr std::uint32_t kUndelimited = 1u << 31; // ends in such a control word
    static constexpr std::uint32_t kFromCR = 1u << 30;      // a line break made from a CR
    static constexpr std::uint32_t kOffset = kFromCR - 1;
};

struct RtfParagraph {
    std::vector<RtfSegment> segs;
    QString text;
    QString marks = QStringLiteral("\r");
    // Where text appended to the paragraph goes: the first byte of its mark, or the story's
    // closing brace when the mark is implied; with the state in force there.
    qsizetype markPos = 0;
    qsizetype markEnd = 0; // after the mark's bytes (markPos when it is implied)
    // A table row's bytes: its first paragraph holds where its \trowd starts, its last one
    // where its \row ends; -1 elsewhere.
    qsizetype rowBegin = -1, rowEnd = -1;
    RtfJoint markJoint = RtfJoint::None;
    std::uint32_t markUc = 1;
};

// Bytes that would run into a control word written just before them.
bool RtfContinuesWord(QByteArrayView bytes);
// `text` as RTF for a place where \uc is `uc` (1 in a table entry, a property).
QByteArray RtfTextBytes(const QString& text, std::uint32_t uc = 1);

// Turns a font change into control words, without a delimiter after the last (the document
// owns the font and colour tables).
class RtfFormatter {
public:
    virtual ~RtfFormatter() = default;
    virtual QByteArray FormatWords(const FontChange& change) = 0;
};

class RtfStory final : public EditableStory {
public:
    RtfStory(const QByteArray* source, RtfFormatter* formatter)
        : source_(source), formatter_(formatter) {}

    QString Text() const override;
    QString Text(std::int32_t start, std::int32_t end) const override;
    std::int32_t Length() const override;
    int ReplaceAll(const QString& find, const QString& replacement, bool matchCase,
                   bool matchWholeWord, std::int32_t start = 0, std::int32_t end = -1) override;
    int ParagraphCount() const override { return int(paras_.size()); }
    std::pair<std::int32_t, std::int32_t> ParagraphSpan(int i) const override;
    void AppendParagraph() override { AppendText(QStringLiteral("\r")); }
    void AppendText(const QString& text) override;
    void ApplyFont(std::int32_t start, std::int32_t end, const FontChange& change) override;

    // Building, by the reader, in the order of the file.
    struct Place {
        qsizetype pos;
        RtfJoint joint;
        std::uint32_t uc;
    };
    // A visible character occupying the bytes [begin, end); `undelimited`: they end in a
    // control word without its delimiter; `at` is the state before them.
    void AddChar(char16_t c, qsizetype end, bool undelimited, const Place& at);
    void Barrier() { barrier_ = true; }
    void EndParagraph(const QString& marks, const Place& mark, qsizetype markEnd);
    void StartRow(qsizetype pos);
    void EndRow(qsizetype end);
    // The closing brace of a group of the story: an unfinished paragraph ends there.
    void EndGroup(const Place& close);

    const std::vector<RtfParagraph>& Paragraphs() const { return paras_; }
    // The replacements for the file's bytes that the edits made.
    void CollectSplices(std::vector<RtfSplice>& out) const;

private:
    std::vector<std::int32_t> ParagraphStarts() const;
    void ApplyMatches(RtfParagraph& para, const std::vector<int>& starts, int length,
                      const QString& replacement);
    void EditSegment(RtfSegment& seg, qsizetype from, qsizetype to, const QString& text);
    void Materialize(RtfSegment& seg) const;
    void SplitAt(RtfParagraph& para, qsizetype at);
    void AppendToLast(const QString& line);
    void NewParagraphAfterLast();
    RtfParagraph& OpenParagraph(const Place& at);

    const QByteArray* source_;
    RtfFormatter* formatter_;
    std::vector<RtfParagraph> paras_;
    bool open_ = false;       // the last paragraph still takes characters (building)
    bool barrier_ = false;    // the next character starts a segment behind a barrier
    qsizetype rowBegin_ = -1; // a row defined before the next paragraph

    // The last replace-all over the whole story: paragraphs outside `lastHits_` had no match
    // of the same find text, and only the hit paragraphs were edited since, so a repeat pass
    // (a value put in piece by piece) looks there only.
    QString lastFind_;
    bool lastMatchCase_ = false, lastWholeWord_ = false, lastValid_ = false;
    std::vector<size_t> lastHits_;
};

} // namespace zorv::wordengine
