#include "common/pe_image.h"

#include <cstring>

namespace qv::pe {
namespace {

bool Read16(std::string_view b, uint64_t at, uint16_t& v) {
  if (at + 2 > b.size()) return false;
  v = uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
  return true;
}

bool Read32(std::string_view b, uint64_t at, uint32_t& v) {
  if (at + 4 > b.size()) return false;
  v = uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
      uint32_t(uint8_t(b[at + 3])) << 24;
  return true;
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

}  // namespace

uint64_t Image::StubSize() const {
  uint64_t end = 0;
  for (const auto& s : sections) {
    if (s.rawSize == 0) continue;
    end = std::max<uint64_t>(end, uint64_t(s.rawOffset) + s.rawSize);
  }
  return end;
}

int64_t Image::FileOffsetOf(uint32_t rva) const {
  for (const auto& s : sections) {
    uint32_t span = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva < s.virtualAddress + span) {
      uint32_t delta = rva - s.virtualAddress;
      if (delta >= s.rawSize) return -1;
      return int64_t(s.rawOffset) + delta;
    }
  }
  return rva < sizeOfHeaders ? int64_t(rva) : -1;
}

bool ParseHeaders(std::string_view b, Image& img, std::string* error) {
  img = Image{};
  if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') return Fail(error, "no DOS header");
  uint32_t peOffset;
  Read32(b, 0x3C, peOffset);
  if (uint64_t(peOffset) + 24 > b.size() || std::memcmp(b.data() + peOffset, "PE\0\0", 4) != 0)
    return Fail(error, "no PE signature");
  uint64_t coff = peOffset + 4;
  uint16_t sectionCount = 0, optionalSize = 0;
  Read16(b, coff, img.machine);
  Read16(b, coff + 2, sectionCount);
  Read32(b, coff + 8, img.pointerToSymbolTable);
  Read16(b, coff + 16, optionalSize);
  Read16(b, coff + 18, img.characteristics);
  uint64_t opt = coff + 20;
  uint16_t magic;
  if (!Read16(b, opt, magic)) return Fail(error, "headers cut short");
  if (magic == 0x10B)
    img.pe32Plus = false;
  else if (magic == 0x20B)
    img.pe32Plus = true;
  else
    return Fail(error, "unknown optional header");
  if (!Read32(b, opt + 60, img.sizeOfHeaders) || !Read16(b, opt + 68, img.subsystem))
    return Fail(error, "headers cut short");
  uint64_t dirCountAt = opt + (img.pe32Plus ? 108 : 92);
  uint32_t dirCount = 0;
  if (!Read32(b, dirCountAt, dirCount)) return Fail(error, "headers cut short");
  dirCount = std::min<uint32_t>(dirCount, 16);
  for (uint32_t i = 0; i < dirCount; ++i) {
    DataDirectory d;
    if (uint64_t(dirCountAt + 4 + i * 8 + 8) > uint64_t(opt) + optionalSize) break;
    if (!Read32(b, dirCountAt + 4 + i * 8, d.rva) || !Read32(b, dirCountAt + 8 + i * 8, d.size))
      return Fail(error, "headers cut short");
    img.directories.push_back(d);
  }
  uint64_t sec = opt + optionalSize;
  for (uint16_t i = 0; i < sectionCount; ++i, sec += 40) {
    Section s;
    if (sec + 40 > b.size()) return Fail(error, "section table cut short");
    s.name.assign(b.data() + sec, strnlen(b.data() + sec, 8));
    Read32(b, sec + 8, s.virtualSize);
    Read32(b, sec + 12, s.virtualAddress);
    Read32(b, sec + 16, s.rawSize);
    Read32(b, sec + 20, s.rawOffset);
    img.sections.push_back(s);
  }
  return true;
}

std::vector<std::string> ExportNames(std::string_view file, const Image& img) {
  std::vector<std::string> names;
  if (img.directories.empty() || img.directories[0].rva == 0) return names;
  int64_t dir = img.FileOffsetOf(img.directories[0].rva);
  uint32_t count, namesRva;
  if (dir < 0 || !Read32(file, dir + 24, count) || !Read32(file, dir + 32, namesRva)) return names;
  int64_t table = img.FileOffsetOf(namesRva);
  if (table < 0) return names;
  for (uint32_t i = 0; i < count && i < 65536; ++i) {
    uint32_t nameRva;
    if (!Read32(file, table + 4 * i, nameRva)) break;
    int64_t at = img.FileOffsetOf(nameRva);
    if (at < 0 || uint64_t(at) >= file.size()) break;
    names.emplace_back(file.data() + at, strnlen(file.data() + at, file.size() - at));
  }
  return names;
}

std::string FindResource(std::string_view file, const Image& img, uint32_t type, uint32_t id) {
  if (img.directories.size() < 3 || img.directories[2].rva == 0) return {};
  int64_t root = img.FileOffsetOf(img.directories[2].rva);
  if (root < 0) return {};
  // Finds the entry with an integer id (or the first entry when `any`) in a directory.
  auto find = [&](int64_t dirAt, uint32_t wanted, bool any, uint32_t& target) -> bool {
    uint16_t named, ids;
    if (!Read16(file, dirAt + 12, named) || !Read16(file, dirAt + 14, ids)) return false;
    for (uint32_t i = 0; i < uint32_t(named) + ids; ++i) {
      uint32_t nameField, offset;
      if (!Read32(file, dirAt + 16 + i * 8, nameField) || !Read32(file, dirAt + 20 + i * 8, offset))
        return false;
      if (any || (!(nameField & 0x80000000u) && nameField == wanted)) {
        target = offset;
        return true;
      }
    }
    return false;
  };
  uint32_t t1, t2, t3;
  if (!find(root, type, false, t1) || !(t1 & 0x80000000u)) return {};
  if (!find(root + (t1 & 0x7FFFFFFF), id, false, t2) || !(t2 & 0x80000000u)) return {};
  if (!find(root + (t2 & 0x7FFFFFFF), 0, true, t3) || (t3 & 0x80000000u)) return {};
  uint32_t dataRva, dataSize;
  if (!Read32(file, root + t3, dataRva) || !Read32(file, root + t3 + 4, dataSize)) return {};
  int64_t at = img.FileOffsetOf(dataRva);
  if (at < 0 || uint64_t(at) + dataSize > file.size()) return {};
  return std::string(file.substr(at, dataSize));
}

}  // namespace qv::pe
