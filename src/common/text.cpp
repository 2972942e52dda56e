#include "common/text.h"

#include <cstring>
#include <limits>


namespace qv::text {
namespace {

struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
};

// Code page 1252 until start-up installs the system's tables; built at compile time so
// that no lookup pays for a guard.
constexpr CaseTables Cp1252Tables() {
  CaseTables t{};
  for (int i = 0; i < 256; ++i) t.upper[i] = t.lower[i] = static_cast<unsigned char>(i);
  auto pair = [&t](int lower, int upper) {
    t.upper[lower] = static_cast<unsigned char>(upper);
    t.lower[upper] = static_cast<unsigned char>(lower);
  };
  for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) pair(c, c - 32);
  pair(0x9A, 0x8A);
  pair(0x9C, 0x8C);
  pair(0x9E, 0x8E);
  pair(0xFF, 0x9F);
  return t;
}

CaseTables gTables = Cp1252Tables();

inline CaseTables& Tables() { return gTables; }

}  // namespace

void SetAnsiCaseTables(const unsigned char upper[256], const unsigned char lower[256]) {
  std::memcpy(Tables().upper, upper, 256);
  std::memcpy(Tables().lower, lower, 256);
}

unsigned char UpperChar(unsigned char c) { return Tables().upper[c]; }
unsigned char LowerChar(unsigned char c) { return Tables().lower[c]; }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  const unsigned char* t = Tables().upper;
  for (auto& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  const unsigned char* t = Tables().lower;
  for (auto& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
  const unsigned char* t = Tables().lower;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && t[static_cast<unsigned char>(a[i])] != t[static_cast<unsigned char>(b[i])])
      return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view h, std::string_view n, size_t from) {
  if (n.empty()) return from <= h.size() ? from : std::string_view::npos;
  if (h.size() < n.size()) return std::string_view::npos;
  const unsigned char* t = Tables().lower;
  const unsigned char first = t[static_cast<unsigned char>(n[0])];
  for (size_t i = from; i + n.size() <= h.size(); ++i) {
    if (t[static_cast<unsigned char>(h[i])] != first) continue;
    if (EqualsNoCase(h.substr(i, n.size()), n)) return i;
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view h, std::string_view n) {
  return FindNoCase(h, n) != std::string_view::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = FindNoCase(s, from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

uint64_t HashNoCase(std::string_view s) {
  // Over the lower-case form, eight bytes at a time.
  const unsigned char* t = Tables().lower;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t n = s.size();
  uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  auto mix = [&h](uint64_t w) {
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  };
  for (; n >= 8; n -= 8, p += 8) {
    uint64_t w = 0;
    for (int i = 0; i < 8; ++i) w |= uint64_t(t[p[i]]) << (8 * i);
    mix(w);
  }
  uint64_t w = 0;
  for (size_t i = 0; i < n; ++i) w |= uint64_t(t[p[i]]) << (8 * i);
  mix(w);
  return h ^ (h >> 29);
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::vector<std::string> SplitLines(std::string_view s) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      lines.emplace_back(s.substr(start, i - start));
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < s.size()) lines.emplace_back(s.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out.append(separator);
    out.append(lines[i]);
  }
  return out;
}

bool ParseInt64(std::string_view s, int64_t& value) {
  s = Trim(s);
  if (s.empty()) return false;
  bool negative = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return false;
  uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                            : uint64_t(std::numeric_limits<int64_t>::max());
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    unsigned d = unsigned(s[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  value = negative ? int64_t(0 - v) : int64_t(v);
  return true;
}

bool ParseInt32(std::string_view s, int32_t& value) {
  int64_t v;
  if (!ParseInt64(s, v) || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(v);
  return true;
}

std::string NewlinesToToken(std::string_view s) { return ReplaceAll(s, "\r\n", kNewlineToken); }

std::string TokenToNewlines(std::string_view s) { return ReplaceAllNoCase(s, kNewlineToken, "\r\n"); }

std::string Utf16LeBytes(std::u16string_view s) {
  std::string out;
  out.resize(s.size() * 2);
  for (size_t i = 0; i < s.size(); ++i) {
    out[2 * i] = static_cast<char>(s[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(s[i] >> 8);
  }
  return out;
}

}  // namespace qv::text
