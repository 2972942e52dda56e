#include "platform/win32/win32_system_library.h"

#include <string>

#include "platform/win32/win32_proc_address.h"

namespace qv::platform::win32 {
namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetSystemWow64DirectoryAFn = UINT(WINAPI*)(LPSTR, UINT);

std::string Folder(UINT (*get)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1];
  UINT n = get(buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

UINT SystemDirectory(LPSTR buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }

UINT SystemWow64Directory(LPSTR buffer, UINT size) {
  auto get = LoadedProcAddress<GetSystemWow64DirectoryAFn>("kernel32.dll", "GetSystemWow64DirectoryA");
  return get ? get(buffer, size) : 0;
}

}  // namespace

bool RunsUnderWow64() {
#ifdef _WIN64
  return false;
#else
  auto isWow64Process = LoadedProcAddress<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

HMODULE LoadSystemLibrary(const char* name) {
  std::string folder = RunsUnderWow64() ? Folder(SystemWow64Directory) : std::string();
  if (folder.empty()) folder = Folder(SystemDirectory);
  if (folder.empty()) return nullptr;
  std::string path = folder + "\\" + name;
  // The library's own imports are then looked for in its folder first.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace qv::platform::win32
