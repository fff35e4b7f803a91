// Reading a Rich Text file into an RtfDocument: one pass over its tokens with a stack of
// group states. Visible text goes to its story (main text, or the header or footer kind of
// the section it sits in); hidden text, field instructions, \* destinations, pictures,
// objects, notes and the document's tables are never part of a story.
#include "RtfCodePage.h"
#include "RtfDocument.h"
#include "RtfLexer.h"
#include "WordEngine.h"
#include "ZorvError.h"

#include <algorithm>
#include <string_view>

namespace zorv::wordengine {
namespace {

// Deeper nesting than any real document has; a hostile file stops here.
constexpr size_t kMaxDepth = 4096;
constexpr char16_t kReplacementChar = 0xFFFD;

// Destinations whose content is not text of the story they sit in.
constexpr std::string_view kSkipped[] = {"aftncn",    "aftnsep",
                                         "aftnsepc",  "atnauthor",
                                         "atndate",   "atnicn",
                                         "atnid",     "atnparent",
                                         "atnref",    "atntime",
                                         "atrfend",   "atrfstart",
                                         "author",    "buptim",
                                         "comment",   "company",
                                         "creatim",   "doccomm",
                                         "fldinst",   "filetbl",
                                         "ftncn",     "ftnsep",
                                         "ftnsepc",   "info",
                                         "keywords",  "listoverridetable",
                                         "listtable", "listtext",
                                         "manager",   "operator",
                                         "pntext",    "pntxta",
                                         "pntxtb",    "printim",
                                         "revtbl",    "revtim",
                                         "rsidtbl",   "stylesheet",
                                         "subject",   "tc",
                                         "template",  "title",
                                         "txe",       "xe"};
// Destinations that stand for an object in the text: no match spans them.
constexpr std::string_view kObjects[] = {"annotation", "do",  "footnote", "nonshppict", "object",
                                         "pict",       "shp", "shpgrp",   "shppict",    "shprslt"};
// Control words that stand for an object or a field character in the text.
constexpr std::string_view kObjectChars[] = {"chatn", "chdate", "chdpa", "chdpl", "chftn", "chpgn"};

struct CharWord {
    std::string_view word;
    char16_t c;
};
constexpr CharWord kCharWords[] = {
    {"bullet", 0x2022},    {"column", 14},      {"emdash", 0x2014},    {"emspace", 0x2003},
    {"endash", 0x2013},    {"enspace", 0x2002}, {"ldblquote", 0x201C}, {"line", 11},
    {"lquote", 0x2018},    {"ltrmark", 0x200E}, {"page", 12},          {"qmspace", 0x2005},
    {"rdblquote", 0x201D}, {"rquote", 0x2019},  {"rtlmark", 0x200F},   {"tab", u'\t'},
    {"zwbo", 0x200B},      {"zwj", 0x200D},     {"zwnbo", 0xFEFF},     {"zwnj", 0x200C},
};

template <size_t N> bool In(const std::string_view (&list)[N], QByteArrayView word) {
    const std::string_view w(word.data(), size_t(word.size()));
    return std::find(std::begin(list), std::end(list), w) != std::end(list);
}

RtfJoint JointAfter(const RtfToken& t) {
    // \bin0 has no data after it: it ends like any control word.
    const bool word = t.kind == RtfToken::Kind::Word ||
                      (t.kind == RtfToken::Kind::Bin && (!t.hasParam || t.param <= 0));
    if (word && !t.delimited)
        return RtfJoint::Word;
    if (t.kind == RtfToken::Kind::Symbol && t.ch == '\'')
        return RtfJoint::Escape;
    if (t.kind == RtfToken::Kind::Open)
        return RtfJoint::Group;
    return RtfJoint::None;
}

} // namespace

class RtfReader {
public:
    explicit RtfReader(RtfDocument& doc) : doc_(doc) {}
    void Read();

private:
    enum class Dest : std::uint8_t {
        Text,
        Skip,
        FontTable,
        ColorTable,
        Props,
        PropName,
        PropValue
    };
    struct Group {
        Dest dest = Dest::Text;
        int story = 0;
        std::uint32_t uc = 1;
        bool hidden = false;
        bool fresh = true; // nothing read in it yet: a destination word may follow
        bool starred = false;
        bool storyGroup = false; // it opened a header or footer
        qsizetype open = 0;
    };
    struct PendingChar {
        bool active = false;
        char16_t c = 0;
        qsizetype end = 0;
        std::uint32_t skip = 0;
        bool undelimited = false;
        RtfStory::Place at{};
    };

    Group& Cur() { return groups_.back(); }
    RtfStory::Place Here(const RtfToken& t) { return {t.begin, joint_, Cur().uc}; }
    RtfStory& StoryOf(const Group& g) { return *doc_.stories_[size_t(g.story)]; }
    bool AbsorbFallback(const RtfToken& t);
    void FlushPending();
    void OpenGroup(const RtfToken& t);
    void CloseGroup(const RtfToken& t);
    bool Destination(const RtfToken& t);
    void StartStory(bool footer, int kind);
    void OnWord(const RtfToken& t);
    void OnSymbol(const RtfToken& t);
    void OnByte(const RtfToken& t);
    void Emit(char16_t c, qsizetype end, bool undelimited, const RtfStory::Place& at);
    void EndParagraph(const QString& marks, const RtfToken& t);

    RtfDocument& doc_;
    std::vector<Group> groups_;
    RtfCodePage codePage_;
    PendingChar unicode_;             // \uN waiting for its fallback characters
    PendingChar lead_;                // the lead byte of a double-byte character
    RtfJoint joint_ = RtfJoint::None; // what the last token ends with
    bool bodyStarted_ = false;
    int section_ = 0;
    int fontNumber_ = 0;
    QString text_; // the name or value being read in a table or property
    RtfDocument::Color color_;
};

void RtfReader::Read() {
    doc_.stories_.push_back(std::make_unique<RtfStory>(&doc_.source_, &doc_));
    doc_.sections_.push_back(RtfDocument::SectionStories{-1, -1, -1, -1, -1, -1});
    RtfLexer lexer(doc_.source_);
    RtfToken t;
    bool closed = false;
    while (!closed && lexer.Next(t)) {
        if (unicode_.active && AbsorbFallback(t))
            continue;
        if (lead_.active && t.kind != RtfToken::Kind::Hex && t.kind != RtfToken::Kind::Byte)
            FlushPending();
        switch (t.kind) {
        case RtfToken::Kind::Open:
            OpenGroup(t);
            break;
        case RtfToken::Kind::Close:
            CloseGroup(t);
            closed = groups_.empty();
            break;
        case RtfToken::Kind::Word:
            OnWord(t);
            break;
        case RtfToken::Kind::Symbol:
            OnSymbol(t);
            break;
        case RtfToken::Kind::Hex:
        case RtfToken::Kind::Byte:
            OnByte(t);
            break;
        case RtfToken::Kind::Bin:
            if (!groups_.empty() && Cur().dest == Dest::Text)
                StoryOf(Cur()).Barrier();
            break;
        case RtfToken::Kind::Ignored:
            break;
        }
        joint_ = JointAfter(t);
    }
    // Every \sect of the main text starts a section, with its own headers or not.
    doc_.sections_.resize(std::max(doc_.sections_.size(), size_t(section_) + 1),
                          RtfDocument::SectionStories{-1, -1, -1, -1, -1, -1});
    if (!closed)
        throw RtfFault{EngNotAPackage,
                       QStringLiteral("it ends before %1 of its groups are closed; it is "
                                      "truncated or damaged")
                           .arg(groups_.size())};
}

bool RtfReader::AbsorbFallback(const RtfToken& t) {
    // A group boundary ends the fallback early, whatever \uc says.
    if (t.kind == RtfToken::Kind::Open || t.kind == RtfToken::Kind::Close) {
        FlushPending();
        return false;
    }
    unicode_.end = t.end;
    if (t.kind == RtfToken::Kind::Ignored)
        return true;
    unicode_.undelimited = t.kind == RtfToken::Kind::Word && !t.delimited;
    if (--unicode_.skip == 0)
        FlushPending();
    return true;
}

void RtfReader::FlushPending() {
    if (lead_.active) { // a lead byte with no second byte
        lead_.active = false;
        Emit(kReplacementChar, lead_.end, false, lead_.at);
    }
    if (unicode_.active) {
        unicode_.active = false;
        Emit(unicode_.c, unicode_.end, unicode_.undelimited, unicode_.at);
    }
}

void RtfReader::OpenGroup(const RtfToken& t) {
    if (groups_.size() >= kMaxDepth)
        throw RtfFault{EngUnsafePackage,
                       QStringLiteral("its groups are nested more than %1 deep").arg(kMaxDepth)};
    if (!groups_.empty()) {
        if (Cur().fresh && Cur().starred)
            Cur().dest = Dest::Skip;
        Cur().fresh = false; // \* counts only right after the brace
    }
    Group g = groups_.empty() ? Group{} : Cur();
    g.fresh = true;
    g.starred = g.storyGroup = false;
    g.open = t.begin;
    if (g.dest == Dest::Props || g.dest == Dest::PropName || g.dest == Dest::PropValue)
        g.dest = Dest::Props;
    groups_.push_back(g);
}

void RtfReader::CloseGroup(const RtfToken& t) {
    if (groups_.empty())
        return;
    FlushPending();
    const Group g = Cur();
    if (g.storyGroup || groups_.size() == 1)
        StoryOf(g).EndGroup(Here(t));
    switch (g.dest) {
    case Dest::FontTable:
        if (groups_.size() > 1 && groups_[groups_.size() - 2].dest != Dest::FontTable)
            doc_.fontTableClose_ = t.begin;
        break;
    case Dest::ColorTable:
        doc_.colorTableClose_ = t.begin;
        break;
    case Dest::Props:
        if (groups_.size() > 1 && groups_[groups_.size() - 2].dest != Dest::Props)
            doc_.propsClose_ = t.begin;
        break;
    case Dest::PropName:
        doc_.props_.push_back({text_.trimmed(), {}, g.open, t.end});
        break;
    case Dest::PropValue:
        if (!doc_.props_.empty() && doc_.props_.back().end <= g.open) {
            doc_.props_.back().value = text_;
            doc_.props_.back().end = t.end;
        }
        break;
    default:
        break;
    }
    groups_.pop_back();
    if (groups_.size() == 1 && !bodyStarted_)
        doc_.headerEnd_ = t.end;
}

void RtfReader::StartStory(bool footer, int kind) {
    bodyStarted_ = true;
    Group& g = Cur();
    if (g.dest != Dest::Text || g.story != 0) {
        g.dest = Dest::Skip;
        return;
    }
    auto& sections = doc_.sections_;
    while (int(sections.size()) <= section_)
        sections.push_back(RtfDocument::SectionStories{-1, -1, -1, -1, -1, -1});
    int& slot = sections[size_t(section_)][size_t((footer ? 3 : 0) + kind - 1)];
    if (slot < 0) {
        slot = int(doc_.stories_.size());
        doc_.stories_.push_back(std::make_unique<RtfStory>(&doc_.source_, &doc_));
    }
    g.story = slot;
    g.storyGroup = true;
    g.hidden = false;
}

// The first control word of a group may make it a destination. Returns whether it did.
bool RtfReader::Destination(const RtfToken& t) {
    Group& g = Cur();
    const QByteArrayView w = t.word;
    if (g.dest == Dest::Skip)
        return true;
    struct StoryWord {
        const char* word;
        bool footer;
        int kind;
    };
    static const StoryWord kStories[] = {
        {"header", false, 1}, {"headerr", false, 1}, {"headerf", false, 2}, {"headerl", false, 3},
        {"footer", true, 1},  {"footerr", true, 1},  {"footerf", true, 2},  {"footerl", true, 3}};
    for (const StoryWord& s : kStories)
        if (w == s.word) {
            StartStory(s.footer, s.kind);
            return true;
        }
    if (w == "fonttbl") {
        g.dest = Dest::FontTable;
    } else if (w == "colortbl") {
        g.dest = Dest::ColorTable;
        doc_.colors_.clear();
        color_ = {};
    } else if (w == "userprops") {
        g.dest = Dest::Props;
    } else if (g.dest == Dest::Props && (w == "propname" || w == "staticval")) {
        g.dest = w == "propname" ? Dest::PropName : Dest::PropValue;
        text_.clear();
    } else if (w == "fldrslt") {
        return false; // a field's result is text like any other
    } else if (In(kObjects, w)) {
        if (g.dest == Dest::Text)
            StoryOf(g).Barrier();
        g.dest = Dest::Skip;
    } else if (g.starred || In(kSkipped, w)) {
        g.dest = Dest::Skip;
    } else {
        return false;
    }
    return true;
}

void RtfReader::OnWord(const RtfToken& t) {
    if (groups_.empty())
        return;
    Group& g = Cur();
    const bool fresh = g.fresh;
    g.fresh = false;
    if (fresh && Destination(t))
        return;
    switch (g.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (t.Is("f"))
            fontNumber_ = t.param;
        else if (t.Is("u"))
            break;
        return;
    case Dest::ColorTable:
        if (t.Is("red"))
            color_.red = t.param;
        else if (t.Is("green"))
            color_.green = t.param;
        else if (t.Is("blue"))
            color_.blue = t.param;
        return;
    default:
        break;
    }
    if (t.Is("u")) {
        const auto c = char16_t(std::uint16_t(t.param));
        unicode_ = {true, c, t.end, g.uc, !t.delimited, Here(t)};
        if (g.uc == 0)
            FlushPending();
    } else if (t.Is("uc")) {
        g.uc = std::uint32_t(std::max(0, t.param));
    } else if (t.Is("v")) {
        g.hidden = !t.hasParam || t.param != 0;
    } else if (t.Is("plain")) {
        g.hidden = false;
    } else if (t.Is("ansicpg")) {
        codePage_ = RtfCodePage(t.param);
    } else if (t.Is("mac") || t.Is("pc") || t.Is("pca")) {
        codePage_ = RtfCodePage(t.Is("mac") ? 10000 : t.Is("pc") ? 437 : 850);
    } else if (t.Is("rtf") && groups_.size() == 1) {
        doc_.headerEnd_ = t.end;
    } else if (g.dest != Dest::Text) {
        return;
    } else if (t.Is("trowd")) {
        StoryOf(g).StartRow(t.begin);
    } else if (t.Is("par")) {
        EndParagraph(QStringLiteral("\r"), t);
    } else if (t.Is("sect")) {
        EndParagraph(QStringLiteral("\r"), t);
        if (g.story == 0)
            ++section_;
    } else if (t.Is("cell") || t.Is("nestcell")) {
        EndParagraph(QStringLiteral("\r\a"), t);
    } else if (t.Is("row") || t.Is("nestrow")) {
        StoryOf(g).EndRow(t.Is("row") ? t.end : -1); // a nested row is no row of the story
    } else if (In(kObjectChars, t.word)) {
        StoryOf(g).Barrier();
    } else {
        for (const CharWord& cw : kCharWords)
            if (t.word == QByteArrayView(cw.word.data(), qsizetype(cw.word.size()))) {
                Emit(cw.c, t.end, !t.delimited, Here(t));
                break;
            }
    }
}

void RtfReader::OnSymbol(const RtfToken& t) {
    if (groups_.empty())
        return;
    Group& g = Cur();
    if (g.fresh && t.ch == '*') {
        g.starred = true;
        return;
    }
    if (g.fresh && g.starred)
        g.dest = Dest::Skip;
    g.fresh = false;
    switch (t.ch) {
    case '\\':
    case '{':
    case '}':
        Emit(t.ch, t.end, false, Here(t));
        break;
    case '~':
        Emit(0xA0, t.end, false, Here(t));
        break;
    case '_':
        Emit(30, t.end, false, Here(t)); // Word's non-breaking hyphen
        break;
    case '\r':
    case '\n':
        if (g.dest == Dest::Text)
            EndParagraph(QStringLiteral("\r"), t);
        break;
    default:
        break; // \- (an optional hyphen) and the like are not searched
    }
}

void RtfReader::OnByte(const RtfToken& t) {
    if (groups_.empty())
        return;
    Group& g = Cur();
    if (g.fresh && g.starred)
        g.dest = Dest::Skip;
    g.fresh = false;
    if (g.dest == Dest::Skip)
        return;
    if (lead_.active) {
        lead_.active = false;
        Emit(codePage_.Char(static_cast<unsigned char>(lead_.c), t.ch), t.end, false, lead_.at);
    } else if (codePage_.IsLeadByte(t.ch)) {
        lead_ = {true, char16_t(t.ch), t.end, 0, false, Here(t)};
    } else {
        Emit(codePage_.Char(t.ch), t.end, false, Here(t));
    }
}

void RtfReader::Emit(char16_t c, qsizetype end, bool undelimited, const RtfStory::Place& at) {
    if (groups_.empty())
        return;
    Group& g = Cur();
    switch (g.dest) {
    case Dest::Text:
        if (g.hidden) {
            StoryOf(g).Barrier();
            return;
        }
        if (g.story == 0)
            bodyStarted_ = true;
        StoryOf(g).AddChar(c, end, undelimited, at);
        return;
    case Dest::FontTable:
        if (c == u';') {
            doc_.fonts_.push_back({fontNumber_, text_.trimmed()});
            text_.clear();
        } else {
            text_ += QChar(c);
        }
        return;
    case Dest::ColorTable:
        if (c == u';') {
            doc_.colors_.push_back(color_);
            color_ = {};
        }
        return;
    case Dest::PropName:
    case Dest::PropValue:
        text_ += QChar(c);
        return;
    default:
        return;
    }
}

void RtfReader::EndParagraph(const QString& marks, const RtfToken& t) {
    if (Cur().story == 0)
        bodyStarted_ = true;
    StoryOf(Cur()).EndParagraph(marks, Here(t), t.end);
}

std::unique_ptr<RtfDocument> RtfDocument::FromBytes(const QString& path, QByteArray bytes) {
    std::unique_ptr<RtfDocument> doc(new RtfDocument(path, std::move(bytes)));
    doc->Read();
    return doc;
}

void RtfDocument::Read() {
    try {
        RtfReader(*this).Read();
    } catch (const RtfFault& fault) {
        throw ZorvError(fault.number, QStringLiteral("The Rich Text document %1 cannot be read: "
                                                     "%2.")
                                          .arg(path_, fault.what));
    }
}

void RtfDocument::Reload(QByteArray bytes) {
    source_ = std::move(bytes);
    stories_.clear();
    sections_.clear();
    props_.clear();
    fonts_.clear();
    colors_.clear();
    inserts_.clear();
    fontTableClose_ = colorTableClose_ = propsClose_ = -1;
    madeFontTable_ = madeColorTable_ = -1;
    headerEnd_ = 0;
    Read();
}

} // namespace zorv::wordengine
