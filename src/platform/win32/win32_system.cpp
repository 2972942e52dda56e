#include "platform/win32/win32_system.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "common/win_path.h"
#include "platform/win32/win32_proc_address.h"
#include "platform/win32/win32_system_library.h"

namespace qv::platform::win32 {
namespace {

// Longest module path the system hands out (the \\?\ form of a long path).
constexpr DWORD kLongestPath = 32768;

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
using CheckTokenMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
using SHGetFolderPathAFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using SHGetSpecialFolderPathAFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using IsThemeActiveFn = BOOL(WINAPI*)();

constexpr DWORD kFolderPathCurrent = 0;  // SHGFP_TYPE_CURRENT
constexpr int kHighestCsidl = 0xFF;      // above are the CSIDL_FLAG_ bits

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

// The Administrators group among the enabled groups of the process token, for systems
// without CheckTokenMembership (where no token is filtered).
bool ProcessTokenHasEnabledGroup(PSID group) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::string buffer(size, '\0');
  bool found = false;
  if (size > 0 && GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
      const SID_AND_ATTRIBUTES& g = groups->Groups[i];
      found = (g.Attributes & SE_GROUP_ENABLED) && !(g.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) && EqualSid(g.Sid, group);
    }
  }
  CloseHandle(token);
  return found;
}

// Now in a format of the user's locale. The size is asked for only when the first
// buffer is too small; the text may grow between the calls (9:59:59 to 10:00:00).
template <typename Call>
std::string FormattedNow(Call call) {
  std::string out(96, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    int n = call(out.data(), int(out.size()));
    if (n > 0) {
      out.resize(size_t(n) - 1);
      return out;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    int needed = call(nullptr, 0);
    if (needed <= 0) return {};
    out.assign(size_t(needed) + 16, '\0');
  }
  return {};
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

bool Win32System::Is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  return RunsUnderWow64();
#endif
}

bool Win32System::RunsAsAdministrator() {
  // Windows 9x: no accounts, everyone may change the machine.
  if (GetVersion() & 0x80000000u) return true;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators))
    return false;
  bool member = false;
  if (auto check = LoadedProcAddress<CheckTokenMembershipFn>("advapi32.dll", "CheckTokenMembership")) {
    // The effective token: in a filtered token the group is for deny checks only.
    BOOL isMember = FALSE;
    member = check(nullptr, administrators, &isMember) && isMember;
  } else {
    member = ProcessTokenHasEnabledGroup(administrators);
  }
  FreeSid(administrators);
  return member;
}

std::string Win32System::ShellFolder(int csidl) {
  if (csidl < 0 || csidl > kHighestCsidl) return {};
  static HMODULE shell32 = LoadSystemLibrary("shell32.dll");
  char buffer[MAX_PATH + 1] = {};
  auto folderPath = ProcAddress<SHGetFolderPathAFn>(shell32, "SHGetFolderPathA");
  if (!folderPath) {
    // Before Windows 2000 the function comes with shfolder.dll.
    static HMODULE shfolder = LoadSystemLibrary("shfolder.dll");
    folderPath = ProcAddress<SHGetFolderPathAFn>(shfolder, "SHGetFolderPathA");
  }
  bool ok = false;
  if (folderPath) {
    ok = SUCCEEDED(folderPath(nullptr, csidl, nullptr, kFolderPathCurrent, buffer));
  } else if (auto specialPath = ProcAddress<SHGetSpecialFolderPathAFn>(shell32, "SHGetSpecialFolderPathA")) {
    ok = specialPath(nullptr, buffer, csidl, FALSE);
  }
  buffer[MAX_PATH] = '\0';
  if (!ok || !buffer[0]) return {};
  return winpath::ExcludeTrailingBackslash(buffer);
}

std::string Win32System::CurrentDateText() {
  return FormattedNow([](char* out, int size) {
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, out, size);
  });
}

std::string Win32System::CurrentTimeText() {
  return FormattedNow([](char* out, int size) { return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, out, size); });
}

bool Win32System::DesktopCompositionEnabled() {
  static HMODULE dwmapi = LoadSystemLibrary("dwmapi.dll");
  auto enabled = ProcAddress<DwmIsCompositionEnabledFn>(dwmapi, "DwmIsCompositionEnabled");
  BOOL on = FALSE;
  return enabled && SUCCEEDED(enabled(&on)) && on;
}

bool Win32System::VisualThemesActive() {
  static HMODULE uxtheme = LoadSystemLibrary("uxtheme.dll");
  auto active = ProcAddress<IsThemeActiveFn>(uxtheme, "IsThemeActive");
  return active && active();
}

}  // namespace qv::platform::win32
