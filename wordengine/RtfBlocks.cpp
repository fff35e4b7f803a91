#include "RtfBlocks.h"

#include "RtfLexer.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace zorv::wordengine {
namespace {

constexpr qsizetype kTailLength = 64; // more than any control word with its parameter

// Whether `bytes` ends in a control word without its delimiter.
bool EndsInWord(QByteArrayView bytes) {
    qsizetype i = bytes.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(bytes[i - 1])))
        --i;
    if (i > 0 && bytes[i - 1] == '-')
        --i;
    qsizetype j = i;
    while (j > 0 && std::isalpha(static_cast<unsigned char>(bytes[j - 1])))
        --j;
    if (j == i || j == 0 || bytes[j - 1] != '\\')
        return false;
    qsizetype slashes = 0;
    while (j - slashes > 0 && bytes[j - slashes - 1] == '\\')
        ++slashes;
    return slashes % 2 == 1;
}

// Where the expansion writes: a buffer (a copy of a block), or splices of the file (the
// story itself, where every byte it does not change stays as it is).
class Out {
public:
    Out(const QByteArray& src, qsizetype pos, std::vector<RtfSplice>* splices = nullptr)
        : src_(src), pos_(pos), splices_(splices) {}

    // Keeps the source bytes up to `upto`.
    void Copy(qsizetype upto) {
        if (upto <= pos_)
            return;
        if (cut_)
            Join(QByteArrayView(src_).sliced(pos_));
        cut_ = false;
        if (splices_) {
            Flush();
        } else {
            out_.append(src_.constData() + pos_, upto - pos_);
        }
        pos_ = upto;
    }
    // Leaves the source bytes up to `upto` out.
    void Skip(qsizetype upto) {
        Open();
        pos_ = std::max(pos_, upto);
        cut_ = true;
    }
    void Put(const QByteArray& bytes) {
        Open();
        Join(bytes);
        out_ += bytes;
    }
    void Finish() {
        if (cut_)
            Join(QByteArrayView(src_).sliced(pos_));
        cut_ = false;
        if (splices_)
            Flush();
    }
    QByteArray Take() { return std::move(out_); }

private:
    void Open() {
        if (splices_ && !pending_) {
            pending_ = true;
            begin_ = pos_;
        }
    }
    void Flush() {
        if (pending_)
            splices_->push_back({begin_, pos_, std::move(out_)});
        out_.clear();
        pending_ = false;
    }
    // A control word just before must not run into what follows: it gets its delimiter.
    void Join(QByteArrayView next) {
        const bool fromSource = splices_ && out_.isEmpty();
        const qsizetype end = !fromSource ? out_.size() : pending_ ? begin_ : pos_;
        const QByteArrayView tail =
            QByteArrayView(fromSource ? src_ : out_).first(end).last(std::min(end, kTailLength));
        if (RtfContinuesWord(next) && EndsInWord(tail))
            out_ += ' ';
    }

    const QByteArray& src_;
    qsizetype pos_;
    std::vector<RtfSplice>* splices_;
    QByteArray out_;
    qsizetype begin_ = 0;
    bool pending_ = false, cut_ = false;
};

struct Hit { // a stand-in character
    qsizetype begin, end;
    const Mark* mark;
    std::uint32_t uc;
};

struct Para {
    qsizetype begin, markPos, markEnd, rowBegin, rowEnd;
    QString chars;
    std::vector<std::pair<qsizetype, qsizetype>> text; // the bytes of its characters
    const Mark* sole;                                  // the block marker that is all it holds
    bool plain;                                        // it ends in \par, not a cell
    size_t hit0, hit1;                                 // its stand-ins
};

constexpr size_t kNone = size_t(-1);

class Expander {
public:
    Expander(const QByteArray& src, const RtfStory& story, const MarkTable& marks);
    void Paras(Out& out, size_t from, size_t to, Scope& scope);
    bool Empty() const { return paras_.empty(); }
    qsizetype Begin() const { return paras_.front().begin; }

private:
    void Inline(Out& out, size_t from, size_t to, Scope& scope);
    bool Row(Out& out, size_t first, size_t& last, Scope& scope);
    void Strip(Out& out, const Para& p);
    size_t MatchingPara(size_t open, size_t to) const;
    size_t MatchingHit(size_t open, size_t to) const;
    bool Balanced(qsizetype begin, qsizetype end) const;
    template <class Expand>
    void PutCopies(Out& out, const Copies& copies, qsizetype begin, qsizetype end, Scope& scope,
                   Expand&& expand);

    const QByteArray& src_;
    const MarkTable& marks_;
    std::vector<Para> paras_;
    std::vector<Hit> hits_;
    // While a row is copied: its first paragraph, and its two markers, which every copy drops.
    size_t rowOpen_ = kNone, dropOpen_ = kNone, dropClose_ = kNone;
};

Expander::Expander(const QByteArray& src, const RtfStory& story, const MarkTable& marks)
    : src_(src), marks_(marks) {
    for (const RtfParagraph& rp : story.Paragraphs()) {
        Para p{};
        p.markPos = rp.markPos;
        p.markEnd = rp.markEnd;
        p.rowBegin = rp.rowBegin;
        p.rowEnd = rp.rowEnd;
        p.chars = rp.text;
        p.begin = !paras_.empty()   ? std::max(paras_.back().markEnd, paras_.back().rowEnd)
                  : rp.segs.empty() ? rp.markPos
                                    : rp.segs.front().srcBegin;
        p.sole = marks.SoleBlockMark(rp.text);
        p.plain = rp.marks == u"\r";
        p.hit0 = hits_.size();
        for (const RtfSegment& seg : rp.segs) {
            p.text.emplace_back(seg.srcBegin, seg.srcEnd);
            for (qsizetype k = 0; k < seg.text.size(); ++k) {
                const Mark* m = marks.Of(seg.text[k]);
                if (!m)
                    continue;
                const auto end = [&seg](qsizetype i) -> qsizetype {
                    return seg.ends.empty() ? i + 1 : seg.ends[size_t(i)] & RtfSegment::kOffset;
                };
                hits_.push_back(
                    {seg.srcBegin + (k == 0 ? 0 : end(k - 1)), seg.srcBegin + end(k), m, seg.uc});
            }
        }
        p.hit1 = hits_.size();
        paras_.push_back(std::move(p));
    }
}

// Content that opens and closes its own groups, and holds no other story, can be copied.
bool Expander::Balanced(qsizetype begin, qsizetype end) const {
    RtfLexer lexer(QByteArrayView(src_).sliced(begin, end - begin));
    RtfToken t;
    int depth = 0;
    try {
        while (lexer.Next(t)) {
            if (t.kind == RtfToken::Kind::Open)
                ++depth;
            else if (t.kind == RtfToken::Kind::Close && --depth < 0)
                return false;
            else if (t.kind == RtfToken::Kind::Word &&
                     (t.word.startsWith("header") || t.word.startsWith("footer")))
                return false;
        }
    } catch (const RtfFault&) {
        return false;
    }
    return depth == 0;
}

template <class Expand>
void Expander::PutCopies(Out& out, const Copies& copies, qsizetype begin, qsizetype end,
                         Scope& scope, Expand&& expand) {
    for (const TokenRecord* item : copies.items) {
        Out copy(src_, begin);
        if (item)
            scope.push_back(item);
        expand(copy);
        if (item)
            scope.pop_back();
        copy.Copy(end);
        copy.Finish();
        out.Put(copy.Take());
    }
    out.Skip(end);
}

// A marker paragraph goes: its characters and its mark; its control words stay, so the
// state they set still reaches what follows.
void Expander::Strip(Out& out, const Para& p) {
    for (const auto& [begin, end] : p.text) {
        out.Copy(begin);
        out.Skip(end);
    }
    out.Copy(p.markPos);
    out.Skip(p.markEnd);
}

size_t Expander::MatchingPara(size_t open, size_t to) const {
    const QString& name = paras_[open].sole->name;
    int depth = 0;
    for (size_t k = open + 1; k < to; ++k) {
        const Mark* m = paras_[k].sole;
        if (!m || m->name != name)
            continue;
        if (IsOpening(*m))
            ++depth;
        else if (m->kind == MarkKind::Close && depth-- == 0)
            return paras_[k].plain ? k : kNone;
    }
    return kNone;
}

size_t Expander::MatchingHit(size_t open, size_t to) const {
    const QString& name = hits_[open].mark->name;
    int depth = 0;
    for (size_t k = open + 1; k < to; ++k) {
        const Mark& m = *hits_[k].mark;
        if (m.name != name)
            continue;
        if (IsOpening(m))
            ++depth;
        else if (m.kind == MarkKind::Close && depth-- == 0)
            return k;
    }
    return kNone;
}

// A table row whose text starts with an opening marker and ends with its closing one is
// put in once per copy, without the two markers.
bool Expander::Row(Out& out, size_t first, size_t& last, Scope& scope) {
    QString text;
    for (last = first; last < paras_.size(); ++last) {
        if (last > first && paras_[last].rowBegin >= 0)
            return false;
        text += paras_[last].chars;
        if (paras_[last].rowEnd >= 0)
            break;
    }
    if (last == paras_.size())
        return false;
    const Mark* m = marks_.Enclosing(text);
    const Copies copies = m ? CopiesOf(*m, scope) : Copies{};
    const qsizetype begin = paras_[first].rowBegin, end = paras_[last].rowEnd;
    if (!copies.known || !Balanced(begin, end))
        return false;
    size_t open = kNone, close = kNone;
    for (size_t k = paras_[first].hit0; k < paras_[last].hit1; ++k)
        if (hits_[k].mark->name == m->name && hits_[k].mark->kind != MarkKind::Field) {
            open = open == kNone ? k : open;
            close = k;
        }
    const auto saved = std::tuple(rowOpen_, dropOpen_, dropClose_);
    out.Copy(begin);
    PutCopies(out, copies, begin, end, scope, [&](Out& copy) {
        std::tie(rowOpen_, dropOpen_, dropClose_) = std::tuple(first, open, close);
        Paras(copy, first, last + 1, scope);
    });
    std::tie(rowOpen_, dropOpen_, dropClose_) = saved;
    return true;
}

void Expander::Paras(Out& out, size_t from, size_t to, Scope& scope) {
    for (size_t i = from; i < to; ++i) {
        const Para& p = paras_[i];
        size_t rowLast = i;
        if (p.rowBegin >= 0 && i != rowOpen_ && Row(out, i, rowLast, scope)) {
            i = rowLast;
            continue;
        }
        const Mark* m = p.plain ? p.sole : nullptr;
        if (m && m->kind == MarkKind::Redact) {
            Strip(out, p);
            continue;
        }
        const Copies copies = m && IsOpening(*m) ? CopiesOf(*m, scope) : Copies{};
        const size_t close = copies.known ? MatchingPara(i, to) : kNone;
        if (close == kNone || !Balanced(p.markEnd, paras_[close].begin)) {
            Inline(out, p.hit0, p.hit1, scope);
            continue;
        }
        Strip(out, p);
        PutCopies(out, copies, p.markEnd, paras_[close].begin, scope,
                  [&](Out& copy) { Paras(copy, i + 1, close, scope); });
        Strip(out, paras_[close]);
        i = close;
    }
}

void Expander::Inline(Out& out, size_t from, size_t to, Scope& scope) {
    for (size_t k = from; k < to; ++k) {
        const Hit& h = hits_[k];
        const Mark& m = *h.mark;
        out.Copy(h.begin);
        out.Skip(h.end);
        if (m.kind == MarkKind::Redact || k == dropOpen_ || k == dropClose_)
            continue;
        if (m.kind == MarkKind::Field) {
            const QString* value = FindField(m.name, scope);
            out.Put(RtfTextBytes(value ? *value : m.text, h.uc));
            continue;
        }
        const Copies copies = IsOpening(m) ? CopiesOf(m, scope) : Copies{};
        const size_t close = copies.known ? MatchingHit(k, to) : kNone;
        if (close == kNone || !Balanced(h.end, hits_[close].begin)) {
            out.Put(RtfTextBytes(m.text, h.uc)); // unknown here or unmatched: as written
            continue;
        }
        PutCopies(out, copies, h.end, hits_[close].begin, scope,
                  [&](Out& copy) { Inline(copy, k + 1, close, scope); });
        out.Skip(hits_[close].end);
        k = close;
    }
}

} // namespace

void FillRtfBlocks(const QByteArray& source, const RtfStory& story, const MarkTable& marks,
                   const TokenRecord& values, std::vector<RtfSplice>& out) {
    Expander expander(source, story, marks);
    if (expander.Empty())
        return;
    Out top(source, expander.Begin(), &out);
    Scope scope{&values};
    expander.Paras(top, 0, story.Paragraphs().size(), scope);
    top.Finish();
}

} // namespace zorv::wordengine
