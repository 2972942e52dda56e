#include "platform/win32/win32_installer.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_proc_address.h"
#include "platform/win32/win32_system_library.h"

namespace qv::platform::win32 {
namespace {

using MsiQueryProductStateAFn = int(WINAPI*)(LPCSTR);
using MsiGetProductInfoAFn = UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD);

struct MsiFunctions {
  MsiQueryProductStateAFn queryProductState = nullptr;
  MsiGetProductInfoAFn getProductInfo = nullptr;
};

// Loaded once and kept for the process: the install engine goes on using the library.
const MsiFunctions& Msi() {
  static const MsiFunctions functions = [] {
    MsiFunctions f;
    HMODULE msi = LoadSystemLibrary("msi.dll");
    f.queryProductState = ProcAddress<MsiQueryProductStateAFn>(msi, "MsiQueryProductStateA");
    f.getProductInfo = ProcAddress<MsiGetProductInfoAFn>(msi, "MsiGetProductInfoA");
    return f;
  }();
  return functions;
}

}  // namespace

int Win32Installer::ProductState(const std::string& productCode) {
  if (HasEmbeddedZero(productCode)) return installstate::kInvalidArg;
  auto query = Msi().queryProductState;
  return query ? query(productCode.c_str()) : installstate::kUnknown;
}

bool Win32Installer::ProductInfo(const std::string& productCode, const std::string& property, std::string& value) {
  value.clear();
  if (HasEmbeddedZero(productCode) || HasEmbeddedZero(property)) return false;
  auto get = Msi().getProductInfo;
  if (!get) return false;
  std::string buffer(MAX_PATH, '\0');
  // The count is in characters without the zero, on the way in and on the way out.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD count = DWORD(buffer.size() - 1);
    UINT result = get(productCode.c_str(), property.c_str(), buffer.data(), &count);
    if (result == ERROR_SUCCESS) {
      buffer.resize(std::min<size_t>(count, buffer.size() - 1));
      value = std::move(buffer);
      return true;
    }
    if (result != ERROR_MORE_DATA) return false;
    buffer.assign(size_t(count) + 2, '\0');
  }
  return false;
}

}  // namespace qv::platform::win32
