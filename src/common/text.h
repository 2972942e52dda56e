#pragma once
// Text helpers for the engine's 8-bit texts in the system ANSI code page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::text {

// Letter case follows the ANSI code page of the system. The tables are process-wide,
// filled once at start-up from the platform; until then they are those of code page 1252.
void SetAnsiCaseTables(const unsigned char upper[256], const unsigned char lower[256]);
unsigned char UpperChar(unsigned char c);
unsigned char LowerChar(unsigned char c);

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// Position of the first occurrence at or after `from`, or npos.
size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from = 0);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to);
// A hash that agrees with EqualsNoCase.
uint64_t HashNoCase(std::string_view s);

std::string_view Trim(std::string_view s);

// Lines of a text; a line ends at CR LF, LF or CR. A last line without an ending counts.
std::vector<std::string> SplitLines(std::string_view s);
std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator = "\r\n");

// Decimal integers with an optional sign and surrounding blanks; false on anything else
// or on overflow.
bool ParseInt64(std::string_view s, int64_t& value);
bool ParseInt32(std::string_view s, int32_t& value);

// The "$NEWLINE$" token and real line breaks: CR LF becomes the token, the token (in any
// letter case) becomes CR LF.
inline constexpr std::string_view kNewlineToken = "$NEWLINE$";
std::string NewlinesToToken(std::string_view s);
std::string TokenToNewlines(std::string_view s);

// UTF-16 little-endian bytes of a UTF-16 text.
std::string Utf16LeBytes(std::u16string_view s);

}  // namespace qv::text
