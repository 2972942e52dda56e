#pragma once
// The record layouts of the ZIP format and little-endian field access.
#include <cstdint>
#include <string>

namespace zel::zip {

inline constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr uint32_t kEndSignature = 0x06054b50;
inline constexpr uint32_t kZip64EndSignature = 0x06064b50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064b50;

inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndSize = 22;
inline constexpr size_t kZip64EndSize = 56;
inline constexpr size_t kZip64LocatorSize = 20;
inline constexpr size_t kMaxCommentSize = 0xFFFF;

// General purpose flag bits.
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr uint16_t kFlagUtf8 = 0x0800;
inline constexpr uint16_t kFlagMaskedHeaders = 0x2000;

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint16_t kMethodAes = 99;

// Extra field tags.
inline constexpr uint16_t kExtraZip64 = 0x0001;
inline constexpr uint16_t kExtraNtfs = 0x000A;
inline constexpr uint16_t kExtraStrongEncryption = 0x0017;
inline constexpr uint16_t kExtraUnixTime = 0x5455;
inline constexpr uint16_t kExtraUnicodePath = 0x7075;
inline constexpr uint16_t kExtraAes = 0x9901;

// The host system byte of "version made by".
inline constexpr uint8_t kHostDos = 0;
inline constexpr uint8_t kHostUnix = 3;
inline constexpr uint8_t kHostNtfs = 10;
inline constexpr uint8_t kHostVfat = 14;
inline constexpr uint8_t kHostOsx = 19;

inline constexpr uint32_t k32BitMarker = 0xFFFFFFFF;
inline constexpr uint16_t k16BitMarker = 0xFFFF;

inline uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const unsigned char* p) {
  return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

inline void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
inline void Put64(std::string& out, uint64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(v >> 32));
}

}  // namespace zel::zip
