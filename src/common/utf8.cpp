#include "common/utf8.h"

namespace qv::utf8 {

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

bool Next(std::string_view s, size_t& at, char32_t& c) {
  if (at >= s.size()) return false;
  const unsigned char b0 = s[at];
  if (b0 < 0x80) {
    c = b0;
    ++at;
    return true;
  }
  size_t length;
  char32_t value, minimum;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, value = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, value = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (at + length > s.size()) return false;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char b = s[at + i];
    if ((b & 0xC0) != 0x80) return false;
    value = value << 6 | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  c = value;
  at += length;
  return true;
}

bool IsValid(std::string_view s) {
  char32_t c;
  for (size_t at = 0; at < s.size();)
    if (!Next(s, at, c)) return false;
  return true;
}

std::u16string ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t at = 0; at < s.size();) {
    char32_t c;
    if (!Next(s, at, c)) {
      c = 0xFFFD;
      ++at;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(char16_t(0xD800 | (c >> 10)));
      out.push_back(char16_t(0xDC00 | (c & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
  }
  return out;
}

std::string FromUtf16(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    Append(out, c);
  }
  return out;
}

}  // namespace qv::utf8
