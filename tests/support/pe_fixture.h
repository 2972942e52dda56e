#pragma once
// A small, valid PE image built in memory for tests that need an executable: DOS
// header, PE headers and a section table, each section filled with a byte pattern.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qv::testing {

struct PeSectionSpec {
  const char* name;
  uint32_t rawSize;  // a multiple of 0x200
};

inline void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char(v >> 8);
}

inline void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// An i386 GUI image by default; `pe32Plus` gives an x86_64 one.
inline std::string MakePeImage(const std::vector<PeSectionSpec>& sections, bool pe32Plus = false,
                               uint16_t subsystem = 2, bool dll = false) {
  const uint32_t peOffset = 0x80;
  const uint32_t optionalSize = pe32Plus ? 240 : 224;
  const uint32_t headersEnd = peOffset + 24 + optionalSize + 40 * uint32_t(sections.size());
  const uint32_t sizeOfHeaders = (headersEnd + 0x1FF) & ~0x1FFu;
  uint32_t total = sizeOfHeaders;
  for (const auto& s : sections) total += s.rawSize;
  std::string b(total, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, peOffset);
  std::memcpy(&b[peOffset], "PE\0\0", 4);
  const size_t coff = peOffset + 4;
  Put16(b, coff, pe32Plus ? 0x8664 : 0x14C);
  Put16(b, coff + 2, uint16_t(sections.size()));
  Put16(b, coff + 16, uint16_t(optionalSize));
  Put16(b, coff + 18, uint16_t(0x0102 | (dll ? 0x2000 : 0)));
  const size_t opt = coff + 20;
  Put16(b, opt, pe32Plus ? 0x20B : 0x10B);
  Put32(b, opt + 32, 0x1000);  // section alignment
  Put32(b, opt + 36, 0x200);   // file alignment
  Put32(b, opt + 60, sizeOfHeaders);
  Put16(b, opt + 68, subsystem);
  Put32(b, opt + (pe32Plus ? 108 : 92), 16);
  size_t sec = opt + optionalSize;
  uint32_t raw = sizeOfHeaders, rva = 0x1000;
  for (size_t i = 0; i < sections.size(); ++i, sec += 40) {
    std::strncpy(&b[sec], sections[i].name, 8);
    Put32(b, sec + 8, sections[i].rawSize);
    Put32(b, sec + 12, rva);
    Put32(b, sec + 16, sections[i].rawSize);
    Put32(b, sec + 20, raw);
    std::memset(&b[raw], int('a' + i), sections[i].rawSize);
    raw += sections[i].rawSize;
    rva += (sections[i].rawSize + 0xFFF) & ~0xFFFu;
  }
  Put32(b, opt + 56, rva);  // size of image
  return b;
}

}  // namespace qv::testing
