#include "platform/win32/win32_system.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "common/win_path.h"
#include "platform/win32/win32_proc_address.h"

namespace qv::platform::win32 {
namespace {

// Longest module path the system hands out (the \\?\ form of a long path).
constexpr DWORD kLongestPath = 32768;

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);

std::string WideToAnsi(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(size_t(n) - 1);
  return out;
}

// RtlGetVersion (in ntdll since Windows 2000) is not subject to the version the
// manifest makes GetVersionExA report.
bool TrueVersion(OsVersion& v) {
  auto rtlGetVersion = LoadedProcAddress<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
  if (!rtlGetVersion) return false;
  OSVERSIONINFOEXW info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (rtlGetVersion(&info) != 0) return false;
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.build = info.dwBuildNumber;
  v.platformId = info.dwPlatformId;
  v.servicePackText = WideToAnsi(info.szCSDVersion);
  v.servicePackMajor = info.wServicePackMajor;
  v.servicePackMinor = info.wServicePackMinor;
  v.suiteMask = info.wSuiteMask;
  v.productType = info.wProductType;
  return true;
}

// Systems without RtlGetVersion (Windows 9x, NT 4); the extended record needs NT 4 SP6.
OsVersion ReportedVersion() {
  OsVersion v;
  OSVERSIONINFOEXA ex;
  std::memset(&ex, 0, sizeof ex);
  ex.dwOSVersionInfoSize = sizeof ex;
  bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex));
  if (!extended) {
    std::memset(&ex, 0, sizeof ex);
    ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) return v;
  }
  v.major = ex.dwMajorVersion;
  v.minor = ex.dwMinorVersion;
  v.build = ex.dwBuildNumber;  // on Windows 9x the high word repeats the version
  v.platformId = ex.dwPlatformId;
  v.servicePackText.assign(ex.szCSDVersion, strnlen(ex.szCSDVersion, sizeof ex.szCSDVersion));
  if (extended) {
    v.servicePackMajor = ex.wServicePackMajor;
    v.servicePackMinor = ex.wServicePackMinor;
    v.suiteMask = ex.wSuiteMask;
    v.productType = ex.wProductType;
  }
  return v;
}

}  // namespace

OsVersion Win32System::Version() {
  OsVersion v;
  if (TrueVersion(v)) return v;
  return ReportedVersion();
}

std::string Win32System::TempFolder() {
  std::string buffer(MAX_PATH + 1, '\0');
  // The answer is the length when the text fits, else the size needed with the zero.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = GetTempPathA(DWORD(buffer.size()), buffer.data());
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return winpath::IncludeTrailingBackslash(buffer);
    }
    buffer.assign(size_t(n) + 1, '\0');
  }
  return {};
}

std::string Win32System::ExecutablePath() {
  // A path that fills the buffer may have been cut short: try again with more room.
  for (DWORD size = MAX_PATH + 1; size <= kLongestPath * 2; size *= 2) {
    std::string buffer(size, '\0');
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n == 0) return {};
    if (n < size) {
      buffer.resize(n);
      return buffer;
    }
  }
  return {};
}

std::string Win32System::OwnImageHeaders() {
  const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
  if (!base) return {};
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return {};
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return {};
  // SizeOfHeaders covers the DOS header, the PE headers and the section table; the
  // loader maps at least that much, and never more than the image.
  DWORD size = nt->OptionalHeader.SizeOfHeaders;
  DWORD sectionTableEnd = DWORD(dos->e_lfanew) + DWORD(offsetof(IMAGE_NT_HEADERS, OptionalHeader)) +
                          nt->FileHeader.SizeOfOptionalHeader +
                          DWORD(nt->FileHeader.NumberOfSections) * DWORD(sizeof(IMAGE_SECTION_HEADER));
  if (size < sectionTableEnd || size > nt->OptionalHeader.SizeOfImage) return {};
  return std::string(reinterpret_cast<const char*>(base), size);
}

std::string Win32System::CommandLine() {
  const char* line = GetCommandLineA();
  return line ? std::string(line) : std::string();
}

uint64_t Win32System::TickCount() { return GetTickCount(); }

uint32_t Win32System::AnsiCodePage() { return GetACP(); }

std::u16string Win32System::AnsiToUtf16(std::string_view text) {
  if (text.empty() || text.size() > size_t(INT_MAX)) return {};
  int length = int(text.size());
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(size_t(n), u'\0');
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
  n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(out.data()), n);
  out.resize(n > 0 ? size_t(n) : 0);
  return out;
}

void Win32System::AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) {
  for (int i = 0; i < 256; ++i) {
    char u = char(i), l = char(i);
    CharUpperBuffA(&u, 1);
    CharLowerBuffA(&l, 1);
    upper[i] = static_cast<unsigned char>(u);
    lower[i] = static_cast<unsigned char>(l);
  }
}

uint16_t Win32System::UserDefaultLanguage() { return GetUserDefaultLangID(); }

}  // namespace qv::platform::win32
