#pragma once
// Checks of texts handed to the ANSI calls, which take zero-terminated strings.
#include <string_view>

namespace qv::platform::win32 {

// A text with a zero byte inside would reach the system cut short and name another
// file or key than the one asked for, so such texts are refused.
inline bool HasEmbeddedZero(std::string_view text) { return text.find('\0') != std::string_view::npos; }

}  // namespace qv::platform::win32
