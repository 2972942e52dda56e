// Checks the product build's outputs: the engine is a 32-bit GUI executable whose
// manifest asks for the highest available rights, declares Windows 7 and uses common
// controls 6; the archive component is a 32-bit DLL with the four functions the engine
// imports. Prints what it found and exits non-zero on the first fault.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/pe_image.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

bool ReadFile(const char* path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool LoadImage(const char* path, std::string& bytes, qv::pe::Image& image) {
  std::string why;
  if (!ReadFile(path, bytes)) {
    Check(false, std::string("read ") + path);
    return false;
  }
  if (!qv::pe::ParseHeaders(bytes, image, &why)) {
    Check(false, std::string(path) + " is a PE image (" + why + ")");
    return false;
  }
  return true;
}

void InspectEngine(const char* path) {
  std::printf("%s\n", path);
  std::string bytes;
  qv::pe::Image image;
  if (!LoadImage(path, bytes, image)) return;
  Check(image.machine == qv::pe::kMachineI386 && !image.pe32Plus, "PE32 for i386");
  Check(image.subsystem == qv::pe::kSubsystemGui, "GUI subsystem");
  Check(!(image.characteristics & qv::pe::kCharacteristicDll), "an executable, not a DLL");
  Check(image.StubSize() == bytes.size(), "nothing after the last section (a script can be appended)");
  std::string manifest = qv::pe::FindResource(bytes, image, qv::pe::kResourceManifest, 1);
  Check(!manifest.empty(), "embedded application manifest");
  Check(manifest.find("level=\"highestAvailable\"") != std::string::npos, "requested execution level highestAvailable");
  Check(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}") != std::string::npos, "Windows 7 compatibility entry");
  Check(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
            manifest.find("version=\"6.0.0.0\"") != std::string::npos,
        "common controls version 6");
}

void InspectArchiveComponent(const char* path) {
  std::printf("%s\n", path);
  std::string bytes;
  qv::pe::Image image;
  if (!LoadImage(path, bytes, image)) return;
  Check(image.machine == qv::pe::kMachineI386 && !image.pe32Plus, "PE32 for i386");
  Check((image.characteristics & qv::pe::kCharacteristicDll) != 0, "a DLL");
  std::vector<std::string> names = qv::pe::ExportNames(bytes, image);
  std::set<std::string> exported(names.begin(), names.end());
  for (const char* name : {"OpenListArchive", "CloseListArchive", "ExtractArchive", "GetLastArchiveError"})
    Check(exported.count(name) == 1, std::string("exports ") + name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "engine" && std::string(argv[1]) != "zel")) {
    std::fprintf(stderr, "usage: qvinspect engine QUORVANE.EXE | qvinspect zel ZEL.LIB\n");
    return 2;
  }
  if (std::string(argv[1]) == "engine")
    InspectEngine(argv[2]);
  else
    InspectArchiveComponent(argv[2]);
  return failures == 0 ? 0 : 1;
}
