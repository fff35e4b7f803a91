// Finding, replacing and appending in a Rich Text story, and what the edits write.
#include "RtfStory.h"

#include "StoryText.h"
#include "TextMatch.h"

#include <QStringList>
#include <algorithm>
#include <cctype>
#include <utility>

namespace zorv::wordengine {
namespace {

constexpr char16_t kLineBreak = 11;
// \uc values above this are written as a group of their own with \uc1, so that a reader
// skips exactly the one '?' that follows.
constexpr std::uint32_t kMaxInlineUc = 4;

struct Encoded {
    QString text;
    QByteArray bytes;
    std::vector<std::uint32_t> ends;
};

void Put(Encoded& e, char16_t c, QByteArrayView bytes, std::uint32_t flags = 0) {
    e.text.append(QChar(c));
    e.bytes.append(bytes);
    e.ends.push_back(std::uint32_t(e.bytes.size()) | flags);
}

QByteArray UnicodeEscape(char16_t c, std::uint32_t uc) {
    const QByteArray word = "\\u" + QByteArray::number(int(std::int16_t(c)));
    if (uc == 0)
        return word + ' ';
    if (uc > kMaxInlineUc)
        return "{\\uc1" + word + "?}";
    return word + QByteArray(int(uc), '?');
}

// `text` as RTF for a place where \uc is `uc`: \\, \{, \} escaped, tabs and line breaks as
// control words, other characters outside ASCII as \uN with '?' for readers without Unicode.
// Control characters are dropped; an LF right after `afterCR` (a CR before) belongs to it.
Encoded Encode(const QString& text, std::uint32_t uc, bool afterCR) {
    Encoded e;
    e.text.reserve(text.size());
    e.bytes.reserve(text.size() + 8);
    e.ends.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\t') {
            Put(e, c, "\\tab ");
        } else if (c == u'\r') {
            Put(e, kLineBreak, "\\line ", RtfSegment::kFromCR);
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n' || c == kLineBreak) {
            if (!(i == 0 && afterCR && c == u'\n'))
                Put(e, kLineBreak, "\\line ");
        } else if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
            continue;
        } else if (QChar::isSurrogate(c)) {
            const bool paired = QChar::isHighSurrogate(c)
                                    ? i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                                    : i > 0 && text.at(i - 1).isHighSurrogate();
            if (paired)
                Put(e, c, UnicodeEscape(c, uc));
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            const char escaped[] = {'\\', char(c)};
            Put(e, c, QByteArrayView(escaped, 2));
        } else if (c < 0x80) {
            const char plain = char(c);
            Put(e, c, QByteArrayView(&plain, 1));
        } else {
            Put(e, c, UnicodeEscape(c, uc));
        }
    }
    return e;
}

bool CompletesEscape(const QByteArray& bytes) {
    return !bytes.isEmpty() && std::isxdigit(static_cast<unsigned char>(bytes.front()));
}

std::uint32_t CharStart(const RtfSegment& seg, qsizetype i) {
    return i == 0 ? 0 : seg.ends[size_t(i - 1)] & RtfSegment::kOffset;
}

void RebuildText(RtfParagraph& para) {
    QString text;
    for (const RtfSegment& seg : para.segs)
        text += seg.text;
    para.text = std::move(text);
}

std::vector<qsizetype> SegmentStarts(const RtfParagraph& para) {
    std::vector<qsizetype> starts(para.segs.size());
    qsizetype pos = 0;
    for (size_t i = 0; i < para.segs.size(); ++i) {
        starts[i] = pos;
        pos += para.segs[i].text.size();
    }
    return starts;
}

} // namespace

bool RtfContinuesWord(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return false;
    const char c = bytes.front();
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ' ';
}

QByteArray RtfTextBytes(const QString& text, std::uint32_t uc) {
    return Encode(text, uc, false).bytes;
}

// --- Reading ---------------------------------------------------------------------------

RtfParagraph& RtfStory::OpenParagraph(const Place& at) {
    if (!open_) {
        paras_.push_back(RtfParagraph{});
        paras_.back().markPos = at.pos;
        paras_.back().rowBegin = std::exchange(rowBegin_, -1);
        open_ = true;
    }
    return paras_.back();
}

void RtfStory::AddChar(char16_t c, qsizetype end, bool undelimited, const Place& at) {
    RtfParagraph& para = OpenParagraph(at);
    const std::uint32_t flags = undelimited ? RtfSegment::kUndelimited : 0;
    RtfSegment* seg = para.segs.empty() ? nullptr : &para.segs.back();
    if (!seg || seg->srcEnd != at.pos || barrier_) {
        para.segs.push_back(RtfSegment{});
        seg = &para.segs.back();
        seg->srcBegin = seg->srcEnd = at.pos;
        seg->uc = at.uc;
        seg->joint = at.joint;
        seg->barrierBefore = barrier_;
        barrier_ = false;
    }
    const bool plain = seg->ends.empty() && end - at.pos == 1 && !undelimited;
    if (!plain && seg->ends.empty())
        for (qsizetype i = 1; i <= seg->text.size(); ++i)
            seg->ends.push_back(std::uint32_t(i));
    if (!plain)
        seg->ends.push_back(std::uint32_t(end - seg->srcBegin) | flags);
    seg->text.append(QChar(c));
    para.text.append(QChar(c));
    seg->srcEnd = end;
}

void RtfStory::EndParagraph(const QString& marks, const Place& mark, qsizetype markEnd) {
    RtfParagraph& para = OpenParagraph(mark);
    para.marks = marks;
    para.markPos = mark.pos;
    para.markEnd = markEnd;
    para.markJoint = mark.joint;
    para.markUc = mark.uc;
    open_ = false;
    barrier_ = false;
}

void RtfStory::StartRow(qsizetype pos) {
    if (!open_ && rowBegin_ < 0)
        rowBegin_ = pos;
}

void RtfStory::EndRow(qsizetype end) {
    rowBegin_ = -1; // a definition repeated at the row's end starts nothing
    if (!paras_.empty() && !open_) {
        paras_.back().marks += QStringLiteral("\r\a");
        paras_.back().rowEnd = std::max(end, paras_.back().rowEnd);
    }
}

void RtfStory::EndGroup(const Place& close) {
    if (open_ || paras_.empty())
        EndParagraph(QStringLiteral("\r"), close, close.pos);
}

// --- Text ------------------------------------------------------------------------------

QString RtfStory::Text() const {
    return JoinedText(paras_);
}

QString RtfStory::Text(std::int32_t start, std::int32_t end) const {
    return TextSlice(Text(), start, end);
}

std::int32_t RtfStory::Length() const {
    return TextLength(paras_);
}

std::vector<std::int32_t> RtfStory::ParagraphStarts() const {
    return ParagraphStartsOf(paras_);
}

std::pair<std::int32_t, std::int32_t> RtfStory::ParagraphSpan(int i) const {
    const auto starts = ParagraphStarts();
    return {starts[size_t(i)], starts[size_t(i) + 1]};
}

// --- Find and replace ------------------------------------------------------------------

int RtfStory::ReplaceAll(const QString& find, const QString& replacement, bool matchCase,
                         bool matchWholeWord, std::int32_t start, std::int32_t end) {
    if (find.isEmpty())
        return 0;
    const bool whole = start <= 0 && end < 0;
    const TextNeedle needle(find, matchCase, matchWholeWord);
    const std::vector<std::int32_t> pstarts =
        whole ? std::vector<std::int32_t>{} : ParagraphStarts();
    if (end < 0)
        end = INT32_MAX;
    std::vector<size_t> candidates;
    if (whole && lastValid_ && lastFind_ == find && lastMatchCase_ == matchCase &&
        lastWholeWord_ == matchWholeWord) {
        candidates = lastHits_;
    } else {
        candidates.resize(paras_.size());
        for (size_t i = 0; i < paras_.size(); ++i)
            candidates[i] = i;
    }
    std::vector<size_t> hits;
    int total = 0;
    for (const size_t pi : candidates) {
        RtfParagraph& para = paras_[pi];
        const qsizetype lo = whole ? 0 : std::max<qsizetype>(0, start - pstarts[pi]);
        const qsizetype hi =
            whole ? para.text.size()
                  : std::min<qsizetype>(para.text.size(), qsizetype(end) - pstarts[pi]);
        if (hi - lo < needle.text.size())
            continue;
        // No match spans hidden text or an object.
        const auto noBarrier = [&para](qsizetype at, qsizetype after) {
            qsizetype pos = 0;
            for (const RtfSegment& seg : para.segs) {
                if (pos >= after)
                    break;
                if (seg.barrierBefore && pos > at && !seg.text.isEmpty())
                    return false;
                pos += seg.text.size();
            }
            return true;
        };
        const std::vector<int> starts = FindOccurrences(para.text, needle, lo, hi, noBarrier);
        if (starts.empty())
            continue;
        hits.push_back(pi);
        total += int(starts.size());
        ApplyMatches(para, starts, int(needle.text.size()), replacement);
    }
    lastValid_ = whole;
    lastFind_ = find;
    lastMatchCase_ = matchCase;
    lastWholeWord_ = matchWholeWord;
    lastHits_ = std::move(hits);
    return total;
}

void RtfStory::ApplyMatches(RtfParagraph& para, const std::vector<int>& starts, int length,
                            const QString& replacement) {
    const std::vector<qsizetype> segStart = SegmentStarts(para);
    auto segAt = [&](qsizetype pos) {
        // The first segment with a character at pos (empty ones are skipped).
        size_t i =
            size_t(std::upper_bound(segStart.begin(), segStart.end(), pos) - segStart.begin()) - 1;
        while (para.segs[i].text.isEmpty())
            ++i;
        return i;
    };
    // Right to left, so the positions to the left stay valid.
    for (auto m = starts.rbegin(); m != starts.rend(); ++m) {
        const qsizetype s = *m, e = s + length;
        const size_t first = segAt(s), last = segAt(e - 1);
        for (size_t i = last; i > first; --i)
            EditSegment(para.segs[i], 0,
                        std::min<qsizetype>(e - segStart[i], para.segs[i].text.size()), {});
        RtfSegment& seg = para.segs[first];
        // The first character's segment takes the replacement, and with it its formatting.
        EditSegment(seg, s - segStart[first],
                    std::min<qsizetype>(e - segStart[first], seg.text.size()), replacement);
    }
    RebuildText(para);
}

void RtfStory::Materialize(RtfSegment& seg) const {
    if (!seg.dirty) {
        seg.bytes = source_->sliced(seg.srcBegin, seg.srcEnd - seg.srcBegin);
        seg.dirty = true;
    }
    if (seg.ends.empty())
        for (qsizetype i = 1; i <= seg.text.size(); ++i)
            seg.ends.push_back(std::uint32_t(i));
}

void RtfStory::EditSegment(RtfSegment& seg, qsizetype from, qsizetype to, const QString& text) {
    Materialize(seg);
    const bool afterCR = from > 0 && (seg.ends[size_t(from - 1)] & RtfSegment::kFromCR);
    Encoded enc = Encode(text, seg.uc, afterCR);
    const std::uint32_t b0 = CharStart(seg, from);
    const std::uint32_t b1 = CharStart(seg, to);
    const QByteArray following = enc.bytes.isEmpty() ? seg.bytes.mid(b1) : enc.bytes;
    // Nothing may complete a broken escape just before, and what follows an opening brace
    // stays where it was: an empty group keeps them apart.
    if (from == 0 && ((seg.joint == RtfJoint::Escape && CompletesEscape(following)) ||
                      (seg.joint == RtfJoint::Group && following.isEmpty()))) {
        seg.lead = seg.joint;
        seg.joint = RtfJoint::None;
    }
    // A control word just before must not run into what now follows it: it gets its
    // delimiter space.
    if (RtfContinuesWord(following)) {
        if (from == 0 && seg.joint == RtfJoint::Word) {
            seg.lead = seg.joint;
            seg.joint = RtfJoint::None;
        } else if (from > 0 && (seg.ends[size_t(from - 1)] & RtfSegment::kUndelimited)) {
            seg.bytes.insert(b0, ' ');
            for (size_t i = size_t(from - 1); i < seg.ends.size(); ++i)
                seg.ends[i] += 1;
            seg.ends[size_t(from - 1)] &= ~RtfSegment::kUndelimited;
            return EditSegment(seg, from, to, text);
        }
    }
    const std::int64_t delta = std::int64_t(enc.bytes.size()) - (std::int64_t(b1) - b0);
    seg.bytes.replace(b0, b1 - b0, enc.bytes);
    std::vector<std::uint32_t> ends(seg.ends.begin(), seg.ends.begin() + from);
    for (const std::uint32_t end : enc.ends)
        ends.push_back(end + b0);
    for (size_t i = size_t(to); i < seg.ends.size(); ++i)
        ends.push_back(std::uint32_t(std::int64_t(seg.ends[i]) + delta));
    seg.ends = std::move(ends);
    seg.text.replace(from, to - from, enc.text);
}

// --- Appending and formatting ----------------------------------------------------------

void RtfStory::AppendText(const QString& text) {
    if (text.isEmpty() || paras_.empty())
        return;
    lastValid_ = false;
    // CR LF, CR and LF each end a paragraph.
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            line += c;
            continue;
        }
        AppendToLast(line);
        line.clear();
        NewParagraphAfterLast();
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    AppendToLast(line);
}

void RtfStory::AppendToLast(const QString& line) {
    if (line.isEmpty())
        return;
    RtfParagraph& para = paras_.back();
    const bool extend = !para.segs.empty() && para.segs.back().srcBegin == para.markPos &&
                        para.segs.back().srcEnd == para.markPos && !para.segs.back().mark &&
                        para.segs.back().format.isEmpty();
    if (!extend) {
        RtfSegment seg;
        seg.srcBegin = seg.srcEnd = para.markPos;
        seg.uc = para.markUc;
        seg.joint = para.markJoint;
        seg.dirty = true;
        para.segs.push_back(std::move(seg));
        para.markJoint = RtfJoint::None; // what follows comes after bytes of ours
    }
    RtfSegment& seg = para.segs.back();
    EditSegment(seg, seg.text.size(), seg.text.size(), line);
    RebuildText(para);
}

void RtfStory::NewParagraphAfterLast() {
    RtfParagraph& last = paras_.back();
    RtfSegment mark;
    mark.srcBegin = mark.srcEnd = last.markPos;
    mark.bytes = "\\par ";
    mark.dirty = true;
    mark.mark = true;
    last.segs.push_back(std::move(mark));
    RtfParagraph next;
    next.marks = last.marks;
    next.markPos = last.markPos;
    next.markUc = last.markUc;
    last.marks = QStringLiteral("\r");
    last.markJoint = RtfJoint::None;
    paras_.push_back(std::move(next));
}

void RtfStory::SplitAt(RtfParagraph& para, qsizetype at) {
    const std::vector<qsizetype> starts = SegmentStarts(para);
    for (size_t i = 0; i < para.segs.size(); ++i) {
        const qsizetype k = at - starts[i];
        if (k <= 0 || k >= para.segs[i].text.size())
            continue;
        RtfSegment& seg = para.segs[i];
        Materialize(seg);
        const std::uint32_t cut = CharStart(seg, k);
        RtfSegment tail = seg;
        tail.srcBegin = seg.srcEnd; // after the first part's bytes, in the same place
        tail.bytes = seg.bytes.mid(cut);
        tail.text = seg.text.mid(k);
        tail.ends.assign(seg.ends.begin() + k, seg.ends.end());
        for (std::uint32_t& end : tail.ends)
            end -= cut;
        tail.joint =
            (seg.ends[size_t(k - 1)] & RtfSegment::kUndelimited) ? RtfJoint::Word : RtfJoint::None;
        tail.barrierBefore = false;
        tail.lead = RtfJoint::None;
        seg.bytes.truncate(cut);
        seg.text.truncate(k);
        seg.ends.resize(size_t(k));
        para.segs.insert(para.segs.begin() + std::ptrdiff_t(i) + 1, std::move(tail));
        return;
    }
}

void RtfStory::ApplyFont(std::int32_t start, std::int32_t end, const FontChange& change) {
    const QByteArray words = formatter_->FormatWords(change);
    lastValid_ = false; // segments are split
    const std::vector<std::int32_t> pstarts = ParagraphStarts();
    for (size_t pi = 0; pi < paras_.size(); ++pi) {
        RtfParagraph& para = paras_[pi];
        const qsizetype lo = std::max<qsizetype>(0, start - pstarts[pi]);
        const qsizetype hi = std::min<qsizetype>(para.text.size(), qsizetype(end) - pstarts[pi]);
        if (lo < hi) {
            SplitAt(para, lo);
            SplitAt(para, hi);
            qsizetype pos = 0;
            for (RtfSegment& seg : para.segs) {
                if (!seg.text.isEmpty() && pos >= lo && pos + seg.text.size() <= hi)
                    seg.format += words;
                pos += seg.text.size();
            }
        }
        // A paragraph mark of ours inside the range takes the formatting too.
        const qsizetype markAt = pstarts[pi] + para.text.size();
        if (markAt >= start && markAt < end && pi + 1 < paras_.size() && !para.segs.empty() &&
            para.segs.back().mark)
            para.segs.back().format += words;
    }
}

void RtfStory::CollectSplices(std::vector<RtfSplice>& out) const {
    for (const RtfParagraph& para : paras_)
        for (const RtfSegment& seg : para.segs) {
            if (!seg.dirty && seg.format.isEmpty() && seg.lead == RtfJoint::None)
                continue;
            const QByteArray bytes =
                seg.dirty ? seg.bytes : source_->sliced(seg.srcBegin, seg.srcEnd - seg.srcBegin);
            const QByteArray group = '{' + seg.format + ' ';
            // Added text that follows added text of the same formatting joins its group.
            RtfSplice* prev = out.empty() ? nullptr : &out.back();
            if (!seg.format.isEmpty() && prev && prev->begin == seg.srcBegin &&
                prev->end == seg.srcBegin && seg.srcEnd == seg.srcBegin &&
                prev->bytes.startsWith(group) && prev->bytes.endsWith('}') &&
                prev->bytes.indexOf('{', 1) < 0) {
                prev->bytes.insert(prev->bytes.size() - 1, bytes);
                continue;
            }
            QByteArray spliced = seg.lead == RtfJoint::Word   ? QByteArray(" ")
                                 : seg.lead == RtfJoint::None ? QByteArray()
                                                              : QByteArray("{}");
            spliced += seg.format.isEmpty() ? bytes : group + bytes + '}';
            out.push_back({seg.srcBegin, seg.srcEnd, std::move(spliced)});
        }
}

} // namespace zorv::wordengine
