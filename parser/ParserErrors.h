// The error numbers the resume parser client raises, in one place (README.md, "The parser
// server", lists them for users).
//
//   5            another ProcessResume is already running
//   6            TimeOutSeconds too large: its milliseconds overflow a signed 32-bit count
//   13           a host setting that must be a number is not one; a property of the wrong type
//   91           there is no parser object (an earlier retry could not create one)
//   429          ZorvPr could not be started, or did not greet its client in time
//   438          the parser has no property or call of that name
//   440          the parser refused a call (an action still running, a read-only property)
//   -2147023174  the parser's process is not running (0x800706BA)
//   -2147023170  a call got no answer in time, or a garbled one (0x800706BE)
#pragma once

#include "ParserProtocol.h"
#include "ZorvError.h"

#include <cstdint>

namespace zorv {

inline constexpr std::int32_t ErrNoSuchMember = protocol::codes::kNoSuchMember;
inline constexpr std::int32_t ErrAutomation = protocol::codes::kRefused;
inline constexpr std::int32_t ErrServerUnavailable = static_cast<std::int32_t>(0x800706BAu);
inline constexpr std::int32_t ErrCallFailed = static_cast<std::int32_t>(0x800706BEu);

} // namespace zorv
