// A story's text as Word shows it, put together from its paragraphs (anything with a `text`
// and the `marks` that end it); shared by the stories of every format.
#pragma once

#include <QString>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace zorv::wordengine {

template <class Para> QString JoinedText(const std::vector<Para>& paras) {
    qsizetype size = 0;
    for (const Para& p : paras)
        size += p.text.size() + p.marks.size();
    QString out;
    out.reserve(size);
    for (const Para& p : paras)
        out.append(p.text).append(p.marks);
    return out;
}

// Where each paragraph starts, and after them the story's length.
template <class Para> std::vector<std::int32_t> ParagraphStartsOf(const std::vector<Para>& paras) {
    std::vector<std::int32_t> starts;
    starts.reserve(paras.size() + 1);
    std::int32_t at = 0;
    for (const Para& p : paras) {
        starts.push_back(at);
        at += std::int32_t(p.text.size() + p.marks.size());
    }
    starts.push_back(at);
    return starts;
}

template <class Para> std::int32_t TextLength(const std::vector<Para>& paras) {
    std::int32_t n = 0;
    for (const Para& p : paras)
        n += std::int32_t(p.text.size() + p.marks.size());
    return n;
}

// [start, end) of `all`, both clamped into it.
inline QString TextSlice(const QString& all, std::int32_t start, std::int32_t end) {
    start = std::clamp<std::int32_t>(start, 0, std::int32_t(all.size()));
    end = std::clamp<std::int32_t>(end, start, std::int32_t(all.size()));
    return all.mid(start, end - start);
}

} // namespace zorv::wordengine
