#include "tools/qvbuild/guid.h"

#include <random>

namespace qv::authoring {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

}  // namespace

std::optional<GuidBytes> ParseGuid(std::string_view t) {
  // {8-4-4-4-12}
  if (t.size() != 38 || t.front() != '{' || t.back() != '}') return std::nullopt;
  GuidBytes b{};
  size_t k = 0;
  for (size_t i = 1; i < 37;) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (t[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    int hi = HexValue(t[i]), lo = HexValue(t[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    b[k++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  return b;
}

bool IsGuid(std::string_view text) { return ParseGuid(text).has_value(); }

std::string FormatGuid(const GuidBytes& b) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out = "{";
  for (size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out.push_back(kHex[b[i] >> 4]);
    out.push_back(kHex[b[i] & 15]);
  }
  out.push_back('}');
  return out;
}

std::array<uint8_t, 20> Sha1(std::string_view data) {
  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::string m(data);
  uint64_t bits = uint64_t(data.size()) * 8;
  m.push_back(char(0x80));
  while (m.size() % 64 != 56) m.push_back('\0');
  for (int i = 7; i >= 0; --i) m.push_back(char((bits >> (8 * i)) & 0xFF));
  for (size_t chunk = 0; chunk < m.size(); chunk += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(m.data() + chunk + 4 * i);
      w[i] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d);
        k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6;
      }
      uint32_t t = Rotl(a, 5) + f + e + k + w[i];
      e = d;
      d = c;
      c = Rotl(b, 30);
      b = a;
      a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  }
  std::array<uint8_t, 20> out{};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) out[4 * i + j] = uint8_t(h[i] >> (24 - 8 * j));
  return out;
}

std::string NameBasedGuid(const GuidBytes& space, std::string_view name) {
  std::string data(reinterpret_cast<const char*>(space.data()), space.size());
  data.append(name);
  auto digest = Sha1(data);
  GuidBytes b{};
  for (size_t i = 0; i < 16; ++i) b[i] = digest[i];
  b[6] = uint8_t((b[6] & 0x0F) | 0x50);
  b[8] = uint8_t((b[8] & 0x3F) | 0x80);
  return FormatGuid(b);
}

std::string RandomGuid() {
  std::random_device source;
  GuidBytes b{};
  for (size_t i = 0; i < 16; i += 4) {
    uint32_t r = source();
    for (size_t j = 0; j < 4; ++j) b[i + j] = uint8_t(r >> (8 * j));
  }
  b[6] = uint8_t((b[6] & 0x0F) | 0x40);
  b[8] = uint8_t((b[8] & 0x3F) | 0x80);
  return FormatGuid(b);
}

}  // namespace qv::authoring
