#include "platform/win32/win32_system.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "common/win_path.h"
#include "platform/win32/win32_proc_address.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_virtual_machine.h"

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
using GetSystemWow64DirectoryAFn = UINT(WINAPI*)(LPSTR, UINT);
using GetFileVersionInfoSizeAFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoAFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueAFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
using VerLanguageNameAFn = DWORD(WINAPI*)(DWORD, LPSTR, DWORD);
using GlobalMemoryStatusExFn = BOOL(WINAPI*)(MEMORYSTATUSEX*);
using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);

constexpr DWORD kFolderPathCurrent = 0;  // SHGFP_TYPE_CURRENT
constexpr int kHighestCsidl = 0xFF;      // above are the CSIDL_FLAG_ bits
// The token's group list is read into this much room first (more when it needs more).
constexpr DWORD kTokenGroupsRoom = 102400;
constexpr auto kTokenElevation = TOKEN_INFORMATION_CLASS(20);
// Room for an expanded text; more when the expansion needs more.
constexpr DWORD kExpansionRoom = 266240;
constexpr DWORD kUserNameRoom = 261;
constexpr DWORD kComputerNameRoom = 16;
constexpr UINT kWow64FolderRoom = 261;

bool NineFamily() { return GetVersion() & 0x80000000u; }

// A folder from a Get...Directory call: empty when it fails or does not fit.
template <typename Call>
std::string FolderFrom(Call call, UINT room = MAX_PATH + 1) {
  std::string buffer(room, '\0');
  UINT n = call(buffer.data(), room);
  if (n == 0 || n >= room) return {};
  buffer.resize(n);
  return winpath::ExcludeTrailingBackslash(buffer);
}

// Token information in an aligned buffer that grows when the system asks for more.
class TokenInformation {
 public:
  bool Read(HANDLE token, TOKEN_INFORMATION_CLASS kind, DWORD room) {
    words_.assign((room + 7) / 8, 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
      DWORD needed = 0;
      if (GetTokenInformation(token, kind, words_.data(), DWORD(words_.size() * 8), &needed)) return true;
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= words_.size() * 8) return false;
      words_.assign((needed + 7) / 8, 0);
    }
    return false;
  }
  template <typename T>
  const T* As() const {
    return reinterpret_cast<const T*>(words_.data());
  }

 private:
  std::vector<uint64_t> words_;
};

// The token of the thread when it impersonates someone, else the process's.
HANDLE QueryToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
  if (GetLastError() != ERROR_NO_TOKEN) return nullptr;
  return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? token : nullptr;
}

HMODULE VersionLibrary() {
  static HMODULE version = LoadSystemLibrary("version.dll");
  return version;
}

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

namespace qv::platform::win32 {

bool Win32System::TokenHasBuiltinGroup(uint32_t rid) {
  HANDLE token = QueryToken();
  if (!token) return false;
  bool found = false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID group = nullptr;
  TokenInformation groups;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &group)) {
    if (groups.Read(token, TokenGroups, kTokenGroupsRoom)) {
      const TOKEN_GROUPS* list = groups.As<TOKEN_GROUPS>();
      // The attributes are not looked at: a group kept for deny checks counts too.
      for (DWORD i = 0; i < list->GroupCount && !found; ++i) found = EqualSid(list->Groups[i].Sid, group);
    }
    FreeSid(group);
  }
  CloseHandle(token);
  return found;
}

bool Win32System::TokenElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD elevated = 0, size = 0;
  bool ok = GetTokenInformation(token, kTokenElevation, &elevated, sizeof elevated, &size);
  CloseHandle(token);
  return ok && elevated != 0;
}

AccountName Win32System::CurrentAccount() {
  if (NineFamily()) {
    char name[kUserNameRoom] = {};
    DWORD size = kUserNameRoom;
    if (!GetUserNameA(name, &size)) return {};
    return {std::string(name, strnlen(name, kUserNameRoom)), {}};
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  TokenInformation user;
  bool haveUser = user.Read(token, TokenUser, 256);
  CloseHandle(token);
  if (!haveUser) return {};
  PSID sid = user.As<TOKEN_USER>()->User.Sid;
  DWORD nameSize = 0, domainSize = 0;
  SID_NAME_USE use;
  LookupAccountSidA(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use);
  if (nameSize == 0) return {};
  std::string name(nameSize, '\0'), domain(domainSize + 1, '\0');
  if (!LookupAccountSidA(nullptr, sid, name.data(), &nameSize, domain.data(), &domainSize, &use)) return {};
  name.resize(strnlen(name.c_str(), name.size()));
  domain.resize(strnlen(domain.c_str(), domain.size()));
  return {name, domain};
}

std::string Win32System::ComputerName() {
  char name[kComputerNameRoom] = {};
  DWORD size = kComputerNameRoom;
  if (!GetComputerNameA(name, &size)) return {};
  return std::string(name, std::min<DWORD>(size, kComputerNameRoom - 1));
}

std::string Win32System::WindowsFolder() { return FolderFrom(GetWindowsDirectoryA); }

std::string Win32System::SystemFolder() { return FolderFrom(GetSystemDirectoryA); }

std::string Win32System::SystemWow64Folder() {
  auto get = LoadedProcAddress<GetSystemWow64DirectoryAFn>("kernel32.dll", "GetSystemWow64DirectoryA");
  if (!get) return {};
  return FolderFrom(get, kWow64FolderRoom);
}

bool Win32System::ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) {
  info = FileVersionInfo{};
  auto size = ProcAddress<GetFileVersionInfoSizeAFn>(VersionLibrary(), "GetFileVersionInfoSizeA");
  auto read = ProcAddress<GetFileVersionInfoAFn>(VersionLibrary(), "GetFileVersionInfoA");
  auto query = ProcAddress<VerQueryValueAFn>(VersionLibrary(), "VerQueryValueA");
  if (!size || !read || !query) return false;
  DWORD unused = 0;
  DWORD bytes = size(path.c_str(), &unused);
  if (bytes == 0) return false;
  std::vector<uint64_t> block((bytes + 7) / 8);
  if (!read(path.c_str(), 0, bytes, block.data())) return false;
  void* value = nullptr;
  UINT length = 0;
  if (query(block.data(), "\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    info.major = HIWORD(fixed->dwFileVersionMS);
    info.minor = LOWORD(fixed->dwFileVersionMS);
    info.build = HIWORD(fixed->dwFileVersionLS);
    info.revision = LOWORD(fixed->dwFileVersionLS);
  }
  if (query(block.data(), "\\VarFileInfo\\Translation", &value, &length) && value && length >= 4) {
    DWORD entry;
    std::memcpy(&entry, value, sizeof entry);
    info.hasTranslation = true;
    info.language = LOWORD(entry);
    info.codePage = HIWORD(entry);
  }
  return true;
}

std::string Win32System::LanguageName(uint16_t language) {
  // kernel32 has it on the NT family, version.dll on 9x.
  auto name = LoadedProcAddress<VerLanguageNameAFn>("kernel32.dll", "VerLanguageNameA");
  if (!name) name = ProcAddress<VerLanguageNameAFn>(VersionLibrary(), "VerLanguageNameA");
  if (!name) return {};
  char buffer[256] = {};
  if (name(language, buffer, sizeof buffer) == 0) return {};
  return std::string(buffer, strnlen(buffer, sizeof buffer - 1));
}

uint32_t Win32System::DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

MemoryStatus Win32System::Memory() {
  MemoryStatus m;
  MEMORYSTATUS status;
  std::memset(&status, 0, sizeof status);
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  m.totalPhysical = uint32_t(std::min<uint64_t>(status.dwTotalPhys, 0xFFFFFFFFu));
  auto extended = LoadedProcAddress<GlobalMemoryStatusExFn>("kernel32.dll", "GlobalMemoryStatusEx");
  MEMORYSTATUSEX ex;
  std::memset(&ex, 0, sizeof ex);
  ex.dwLength = sizeof ex;
  if (extended && extended(&ex)) {
    m.haveExtended = true;
    m.totalPhysicalExtended = ex.ullTotalPhys;
  }
  return m;
}

int Win32System::SystemMetric(int index) { return GetSystemMetrics(index); }

int Win32System::DisplayBitsPerPixel() {
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!dc) return 0;
  int bits = GetDeviceCaps(dc, BITSPIXEL);
  DeleteDC(dc);
  return bits;
}

int Win32System::ScreenDpi() {
  HDC dc = GetDC(nullptr);
  if (!dc) return -1;
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi;
}

int Win32System::NativeProcessorArchitecture() {
  auto get = LoadedProcAddress<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo");
  if (!get) return -1;
  SYSTEM_INFO info;
  std::memset(&info, 0, sizeof info);
  get(&info);
  return info.wProcessorArchitecture;
}

bool Win32System::VmwareBackdoorAnswers() { return win32::VmwareBackdoorAnswers(); }

bool Win32System::VirtualPcBackdoorAnswers() { return win32::VirtualPcBackdoorAnswers(); }

std::string Win32System::ExpandEnvironment(std::string_view text) {
  const std::string source(text);
  std::string buffer(kExpansionRoom, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD n = ExpandEnvironmentStringsA(source.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n <= buffer.size()) {
      buffer.resize(strnlen(buffer.data(), n));
      return buffer;
    }
    buffer.assign(size_t(n) + 1, '\0');
  }
  return {};
}

std::vector<std::string> Win32System::EnvironmentBlock() {
  std::vector<std::string> entries;
  char* block = GetEnvironmentStringsA();
  if (!block) return entries;
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
  FreeEnvironmentStringsA(block);
  return entries;
}

ErrorCode Win32System::CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  path.clear();
  if (!GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, buffer)) return GetLastError();
  path.assign(buffer, strnlen(buffer, MAX_PATH));
  return kSuccess;
}

}  // namespace qv::platform::win32
