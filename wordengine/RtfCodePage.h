// The code page that \'hh escapes and plain bytes of a Rich Text file are written in
// (\ansicpgN, or \ansi, \mac, \pc, \pca), single-byte or double-byte.
#pragma once

#include <array>

namespace zorv::wordengine {

class RtfCodePage {
public:
    // A code page that this system cannot decode is read as Windows-1252.
    explicit RtfCodePage(int codePage = 1252);
    int Number() const { return number_; }
    // Whether `b` starts a two-byte character (double-byte code pages only).
    bool IsLeadByte(unsigned char b) const { return lead_[b]; }
    char16_t Char(unsigned char b) const { return table_[b]; }
    // A two-byte character; U+FFFD when the pair means nothing.
    char16_t Char(unsigned char lead, unsigned char trail) const;

private:
    int number_;
    std::array<char16_t, 256> table_{};
    std::array<bool, 256> lead_{};
};

} // namespace zorv::wordengine
