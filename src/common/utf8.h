#pragma once
// UTF-8 and UTF-16 text, for documents that come in a Unicode form (XML files).
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::utf8 {

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void Append(std::string& out, char32_t c);
// Decodes the code point at `at` and moves past it; false (and nothing moves) for a
// byte sequence that is not valid UTF-8 (overlong forms and surrogates included).
bool Next(std::string_view s, size_t& at, char32_t& c);
bool IsValid(std::string_view s);

// Invalid UTF-8 and unpaired surrogates become U+FFFD.
std::u16string ToUtf16(std::string_view s);
std::string FromUtf16(std::u16string_view s);

}  // namespace qv::utf8
