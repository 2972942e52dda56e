#pragma once
// The two small DLLs with a known version resource (file version 1.2.3.4, product
// version 5.6.7.8) that the build makes beside the test programs with the mingw tools:
// qv_versioned32.dll (PE32) and qv_versioned64.dll (PE32+). Empty when this build has
// none (the tools were missing).
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qv::testing {

inline constexpr const char* kVersionedImageVersion = "1.2.3.4";

// The host path beside the running test program.
inline std::string VersionedImagePath(int bits) {
  std::error_code ignored;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return (self.parent_path() / ("qv_versioned" + std::to_string(bits) + ".dll")).string();
}

inline std::string VersionedImageBytes(int bits) {
  std::ifstream in(VersionedImagePath(bits), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace qv::testing
