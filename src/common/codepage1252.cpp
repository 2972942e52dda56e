#include "common/codepage1252.h"

namespace qv::cp1252 {
namespace {

// 0x80..0x9F; 0 marks the five undefined bytes, which map to the same C1 control code.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char16_t ToUtf16(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) {
    char16_t u = kHigh[c - 0x80];
    return u ? u : char16_t(c);
  }
  return char16_t(c);
}

int FromUtf16(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
  for (int i = 0; i < 32; ++i) {
    char16_t m = kHigh[i] ? kHigh[i] : char16_t(0x80 + i);
    if (m == u) return 0x80 + i;
  }
  return -1;
}

std::u16string Decode(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) out.push_back(ToUtf16(c));
  return out;
}

void CaseTables(unsigned char upper[256], unsigned char lower[256]) {
  for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) {
    upper[c] = static_cast<unsigned char>(c - 32);
    lower[c - 32] = static_cast<unsigned char>(c);
  }
  // Latin-1 letters: 0xE0..0xFE pair with 0xC0..0xDE, except the division and
  // multiplication signs.
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c == 0xF7) continue;
    upper[c] = static_cast<unsigned char>(c - 32);
    lower[c - 32] = static_cast<unsigned char>(c);
  }
  const unsigned char pairs[][2] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
  for (auto& p : pairs) {
    upper[p[0]] = p[1];
    lower[p[1]] = p[0];
  }
}

std::string FromUtf8(std::string_view s, bool* lossy) {
  std::string out;
  out.reserve(s.size());
  if (lossy) *lossy = false;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0;
    size_t n = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
      cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
      n = 2;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
      cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
           (static_cast<unsigned char>(s[i + 2]) & 0x3F);
      n = 3;
    } else if ((c & 0xF8) == 0xF0 && i + 3 < s.size()) {
      cp = 0x10000;  // outside the code page in any case
      n = 4;
    } else {
      cp = 0xFFFF;
    }
    i += n;
    int b = cp <= 0xFFFF ? FromUtf16(static_cast<char16_t>(cp)) : -1;
    if (b < 0) {
      out.push_back('?');
      if (lossy) *lossy = true;
    } else {
      out.push_back(static_cast<char>(b));
    }
  }
  return out;
}

std::string ToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) {
    char16_t u = ToUtf16(c);
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

}  // namespace qv::cp1252
