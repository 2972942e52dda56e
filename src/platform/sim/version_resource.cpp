#include "platform/sim/version_resource.h"

#include <cstdint>
#include <vector>

#include "common/pe_image.h"

namespace qv::platform::sim {
namespace {

constexpr uint32_t kResourceVersion = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;

uint16_t Read16(std::string_view d, size_t at) { return uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8); }
uint32_t Read32(std::string_view d, size_t at) { return uint32_t(Read16(d, at)) | uint32_t(Read16(d, at + 2)) << 16; }
size_t Align4(size_t n) { return (n + 3) & ~size_t(3); }

// One node of the version resource's tree: a header (length, value length, type), a
// UTF-16 key, a value and child nodes, each part aligned to 32 bits.
struct Node {
  size_t end = 0;
  uint16_t valueLength = 0;
  uint16_t type = 0;  // 0 binary value, 1 text value (its length counted in characters)
  std::u16string key;
  size_t valueAt = 0;
  size_t childrenAt = 0;
};

bool ReadNode(std::string_view d, size_t at, size_t limit, Node& n) {
  if (at + 6 > limit) return false;
  uint16_t length = Read16(d, at);
  if (length < 6 || at + length > limit) return false;
  n.end = at + length;
  n.valueLength = Read16(d, at + 2);
  n.type = Read16(d, at + 4);
  n.key.clear();
  size_t p = at + 6;
  for (;; p += 2) {
    if (p + 2 > n.end) return false;
    char16_t c = char16_t(Read16(d, p));
    if (c == 0) break;
    n.key.push_back(c);
  }
  n.valueAt = Align4(p + 2);
  size_t valueBytes = n.type == 1 ? size_t(n.valueLength) * 2 : n.valueLength;
  if (n.valueAt + valueBytes > n.end) return false;
  n.childrenAt = Align4(n.valueAt + valueBytes);
  return true;
}

// The child of `parent` with this key.
bool FindChild(std::string_view d, const Node& parent, std::u16string_view key, Node& child) {
  for (size_t at = parent.childrenAt; at < parent.end; at = Align4(child.end)) {
    if (!ReadNode(d, at, parent.end, child)) return false;
    if (child.key == key) return true;
  }
  return false;
}

void Put16(std::string& out, uint16_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, uint16_t(v));
  Put16(out, uint16_t(v >> 16));
}
void Pad4(std::string& out) { out.resize(Align4(out.size()), '\0'); }
void Set16(std::string& out, size_t at, uint16_t v) {
  out[at] = char(v & 0xFF);
  out[at + 1] = char(v >> 8);
}
void Set32(std::string& out, size_t at, uint32_t v) {
  Set16(out, at, uint16_t(v));
  Set16(out, at + 2, uint16_t(v >> 16));
}

// A node with a binary value and children, its length without the padding after it.
std::string MakeNode(std::u16string_view key, const std::string& value, const std::vector<std::string>& children) {
  std::string out;
  Put16(out, 0);
  Put16(out, uint16_t(value.size()));
  Put16(out, 0);
  for (char16_t c : key) Put16(out, uint16_t(c));
  Put16(out, 0);
  Pad4(out);
  out += value;
  for (const auto& child : children) {
    Pad4(out);
    out += child;
  }
  Set16(out, 0, uint16_t(out.size()));
  return out;
}

}  // namespace

bool ParseVersionResource(std::string_view file, FileVersionInfo& info) {
  info = FileVersionInfo{};
  pe::Image image;
  if (!pe::ParseHeaders(file, image)) return false;
  std::string data = pe::FindResource(file, image, kResourceVersion, 1);
  Node root;
  if (!ReadNode(data, 0, data.size(), root) || root.key != u"VS_VERSION_INFO") return false;
  if (root.valueLength < kFixedInfoSize || Read32(data, root.valueAt) != kFixedInfoSignature) return false;
  uint32_t ms = Read32(data, root.valueAt + 8), ls = Read32(data, root.valueAt + 12);
  info.major = uint16_t(ms >> 16);
  info.minor = uint16_t(ms);
  info.build = uint16_t(ls >> 16);
  info.revision = uint16_t(ls);
  Node vars, translation;
  if (FindChild(data, root, u"VarFileInfo", vars) && FindChild(data, vars, u"Translation", translation) &&
      translation.valueLength >= 4) {
    uint32_t entry = Read32(data, translation.valueAt);
    info.hasTranslation = true;
    info.language = uint16_t(entry);
    info.codePage = uint16_t(entry >> 16);
  }
  return true;
}

std::string ImageWithVersionResource(const FileVersionInfo& info) {
  std::string fixed;
  const uint32_t ms = uint32_t(info.major) << 16 | info.minor, ls = uint32_t(info.build) << 16 | info.revision;
  // Signature, structure version, file and product versions, flags mask and flags, an NT
  // Windows DLL, no date.
  for (uint32_t v : {kFixedInfoSignature, 0x10000u, ms, ls, ms, ls, 0x3Fu, 0u, 0x40004u, 2u, 0u, 0u, 0u})
    Put32(fixed, v);
  std::vector<std::string> children;
  if (info.hasTranslation) {
    std::string entry;
    Put32(entry, uint32_t(info.codePage) << 16 | info.language);
    children.push_back(MakeNode(u"VarFileInfo", "", {MakeNode(u"Translation", entry, {})}));
    Set16(children.back(), 4, 1);  // VarFileInfo is a text node without text
  }
  const std::string version = MakeNode(u"VS_VERSION_INFO", fixed, children);

  // Headers in the first 0x200 bytes, the resource section after them at RVA 0x1000:
  // the type, name and language directories, one data entry, then the data.
  constexpr uint32_t kPe = 0x80, kOptional = kPe + 24, kSection = kOptional + 224, kRaw = 0x200, kRva = 0x1000;
  constexpr uint32_t kDataEntry = 72, kData = 88;
  std::string rsrc(kData, '\0');
  auto directory = [&](uint32_t at, uint32_t id, uint32_t target) {
    Set16(rsrc, at + 14, 1);  // one entry with an integer id
    Set32(rsrc, at + 16, id);
    Set32(rsrc, at + 20, target);
  };
  directory(0, kResourceVersion, 0x80000000u | 24);
  directory(24, 1, 0x80000000u | 48);
  directory(48, info.hasTranslation ? info.language : 0, kDataEntry);
  Set32(rsrc, kDataEntry, kRva + kData);
  Set32(rsrc, kDataEntry + 4, uint32_t(version.size()));
  rsrc += version;
  const uint32_t rsrcSize = uint32_t(rsrc.size());
  rsrc.resize((rsrc.size() + 0x1FF) & ~size_t(0x1FF), '\0');

  std::string image(kRaw, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Set32(image, 0x3C, kPe);
  image.replace(kPe, 4, std::string("PE\0\0", 4));
  Set16(image, kPe + 4, 0x14C);             // i386
  Set16(image, kPe + 6, 1);                 // one section
  Set16(image, kPe + 20, 224);              // optional header size
  Set16(image, kPe + 22, 0x2102);           // an executable DLL for 32-bit machines
  Set16(image, kOptional, 0x10B);           // PE32
  Set32(image, kOptional + 32, 0x1000);     // section alignment
  Set32(image, kOptional + 36, 0x200);      // file alignment
  Set32(image, kOptional + 56, kRva + ((rsrcSize + 0xFFF) & ~0xFFFu));  // image size
  Set32(image, kOptional + 60, kRaw);       // headers size
  Set16(image, kOptional + 68, 2);          // GUI
  Set32(image, kOptional + 92, 16);         // data directories
  Set32(image, kOptional + 96 + 2 * 8, kRva);  // the resource directory
  Set32(image, kOptional + 100 + 2 * 8, rsrcSize);
  image.replace(kSection, 5, ".rsrc");
  Set32(image, kSection + 8, rsrcSize);
  Set32(image, kSection + 12, kRva);
  Set32(image, kSection + 16, uint32_t(rsrc.size()));
  Set32(image, kSection + 20, kRaw);
  Set32(image, kSection + 36, 0x40000040u);  // initialised data, readable
  return image + rsrc;
}

}  // namespace qv::platform::sim
