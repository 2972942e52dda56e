#pragma once
// Windows code page 1252, the ANSI code page of western systems: the simulated platform
// uses it as its system code page, the tools use it to write setup texts.
#include <string>
#include <string_view>

namespace qv::cp1252 {

char16_t ToUtf16(unsigned char c);
// The byte for a UTF-16 unit, or -1 when the code page has none.
int FromUtf16(char16_t c);
std::u16string Decode(std::string_view ansi);
void CaseTables(unsigned char upper[256], unsigned char lower[256]);

// Between UTF-8 and code page 1252; characters without a byte become '?' and set `lossy`.
std::string FromUtf8(std::string_view utf8, bool* lossy = nullptr);
std::string ToUtf8(std::string_view ansi);

}  // namespace qv::cp1252
