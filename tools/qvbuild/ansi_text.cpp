#include "tools/qvbuild/ansi_text.h"

#include <cstdio>

#include "common/codepage1252.h"

namespace qv::authoring {

std::optional<std::string> Utf8ToAnsi(std::string_view s, AnsiFault* fault) {
  std::string out;
  out.reserve(s.size());
  size_t character = 0;
  auto fail = [&](std::string reason) -> std::optional<std::string> {
    if (fault) *fault = {character, std::move(reason)};
    return std::nullopt;
  };
  for (size_t i = 0; i < s.size(); ++character) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return fail("the text is not valid UTF-8");
    uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return fail("the text is not valid UTF-8");
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += n;
    int b = cp <= 0xFFFF ? cp1252::FromUtf16(static_cast<char16_t>(cp)) : -1;
    if (b < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
      return fail(std::string("the character ") + code + " has no byte in the ANSI code page (1252) of the script");
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) { return cp1252::ToUtf8(ansi); }

}  // namespace qv::authoring
