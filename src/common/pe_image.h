#pragma once
// Reading the headers of a Windows executable image (PE32 or PE32+) from its bytes: the
// section table (for the stub size, where appended data begins), the export names and
// the resources. Works on a file's bytes and on the headers of a loaded image alike.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::pe {

inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kSubsystemGui = 2;
inline constexpr uint16_t kSubsystemConsole = 3;
inline constexpr uint16_t kCharacteristicDll = 0x2000;

struct Section {
  std::string name;
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawOffset = 0;
  uint32_t rawSize = 0;
};

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

struct Image {
  uint16_t machine = 0;
  bool pe32Plus = false;  // false: PE32
  uint16_t subsystem = 0;
  uint16_t characteristics = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t pointerToSymbolTable = 0;
  std::vector<Section> sections;
  std::vector<DataDirectory> directories;

  // Where the image proper ends in its file: the largest raw offset + raw size of a section.
  uint64_t StubSize() const;
  // File offset of a relative virtual address, or -1.
  int64_t FileOffsetOf(uint32_t rva) const;
};

// Parses the DOS header, PE headers and section table. False (with a reason) when the
// bytes are not such an image or are cut short.
bool ParseHeaders(std::string_view bytes, Image& image, std::string* error = nullptr);

// The exported function names of an image file (needs the whole file).
std::vector<std::string> ExportNames(std::string_view file, const Image& image);

// The data of resource type/id in any language (needs the whole file); empty when absent.
std::string FindResource(std::string_view file, const Image& image, uint32_t type, uint32_t id);
inline constexpr uint32_t kResourceManifest = 24;

}  // namespace qv::pe
