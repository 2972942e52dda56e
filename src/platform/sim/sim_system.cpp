#include "platform/sim/sim_system.h"

#include <algorithm>
#include <cstdio>

#include "common/codepage1252.h"
#include "common/text.h"
#include "common/win_path.h"
#include "platform/sim/host_files.h"
#include "platform/sim/locale_formats.h"
#include "platform/sim/version_resource.h"

namespace qv::platform::sim {

namespace {
constexpr uint64_t kHeaderPage = 4096;
constexpr size_t kLongestComputerName = 15;
// GetTempFileName leaves room for the file name in MAX_PATH.
constexpr size_t kLongestTempFolder = 260 - 14;

// The name part of an environment entry, "NAME=value".
std::string_view EntryName(std::string_view entry) {
  size_t eq = entry.find('=', 1);  // entries of the drives' current folders start with "="
  return eq == std::string_view::npos ? entry : entry.substr(0, eq);
}

const struct {
  uint16_t id;
  const char* name;
} kLanguageNames[] = {
    {0x0000, "Language Neutral"},        {0x0407, "German (Germany)"},  {0x0409, "English (United States)"},
    {0x040C, "French (France)"},         {0x0410, "Italian (Italy)"},   {0x0411, "Japanese (Japan)"},
    {0x0413, "Dutch (Netherlands)"},     {0x0809, "English (United Kingdom)"},
    {0x0C0A, "Spanish (Spain, International Sort)"},
};

}  // namespace

SimSystem::SimSystem(OsProfile profile, SimFileSystem& files)
    : profile_(std::move(profile)), files_(files), environment_(EnvironmentOf(profile_)) {}

OsVersion SimSystem::Version() {
  std::lock_guard lock(mutex_);
  return profile_.version;
}

std::string SimSystem::TempFolder() {
  std::lock_guard lock(mutex_);
  return KnownFoldersOf(profile_).temp;
}

std::string SimSystem::ExecutablePath() {
  std::lock_guard lock(mutex_);
  return executable_;
}

std::string SimSystem::OwnImageHeaders() {
  std::string path = ExecutablePath();
  std::string bytes;
  if (path.empty() || files_.ReadUnchecked(path, 0, kHeaderPage, bytes) != kSuccess) return {};
  return bytes;
}

std::string SimSystem::CommandLine() {
  std::lock_guard lock(mutex_);
  if (!commandLine_.empty() || executable_.empty()) return commandLine_;
  return "\"" + executable_ + "\"";
}

uint64_t SimSystem::TickCount() { return clock_.NowMs() & 0xFFFFFFFFull; }

uint32_t SimSystem::AnsiCodePage() {
  std::lock_guard lock(mutex_);
  return profile_.ansiCodePage;
}

// The simulated machine knows one code page, 1252, whatever the profile names.
std::u16string SimSystem::AnsiToUtf16(std::string_view text) { return cp1252::Decode(text); }

void SimSystem::AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) {
  cp1252::CaseTables(upper, lower);
}

uint16_t SimSystem::UserDefaultLanguage() {
  std::lock_guard lock(mutex_);
  return profile_.userLanguage;
}

bool SimSystem::Is64BitWindows() {
  std::lock_guard lock(mutex_);
  return profile_.os64;
}

bool SimSystem::RunsAsAdministrator() {
  std::lock_guard lock(mutex_);
  return profile_.Privileged();
}

std::string SimSystem::ShellFolder(int csidl) {
  std::lock_guard lock(mutex_);
  return ShellFolderOf(profile_, csidl);
}

std::string SimSystem::CurrentDateText() {
  LocaleFormats formats = LocaleFormatsOf(UserDefaultLanguage());
  return FormatPicture(formats.shortDate, clock_.Wall(), formats);
}

std::string SimSystem::CurrentTimeText() {
  LocaleFormats formats = LocaleFormatsOf(UserDefaultLanguage());
  return FormatPicture(formats.longTime, clock_.Wall(), formats);
}

bool SimSystem::DesktopCompositionEnabled() {
  std::lock_guard lock(mutex_);
  // The composition switch exists from Vista on only.
  return profile_.desktopComposition && profile_.AtLeast(6, 0) && profile_.NtFamily();
}

bool SimSystem::VisualThemesActive() {
  std::lock_guard lock(mutex_);
  return profile_.visualThemes && profile_.AtLeast(5, 1) && profile_.NtFamily();
}

OsProfile SimSystem::Profile() const {
  std::lock_guard lock(mutex_);
  return profile_;
}

void SimSystem::SetProfile(OsProfile profile) {
  std::lock_guard lock(mutex_);
  profile_ = std::move(profile);
  environment_ = EnvironmentOf(profile_);
}

void SimSystem::SetEnvironmentVariable(const std::string& name, std::optional<std::string> value) {
  std::lock_guard lock(mutex_);
  auto same = [&](const std::string& entry) { return text::EqualsNoCase(EntryName(entry), name); };
  auto it = std::find_if(environment_.begin(), environment_.end(), same);
  if (!value) {
    if (it != environment_.end()) environment_.erase(it);
    return;
  }
  std::string entry = name + "=" + *value;
  if (it != environment_.end()) {
    *it = entry;
    return;
  }
  // The NT family keeps the block sorted; 9x adds at the end.
  auto at = environment_.end();
  if (profile_.NtFamily()) {
    at = std::find_if(environment_.begin(), environment_.end(), [&](const std::string& e) {
      return text::UpperCase(EntryName(e)) > text::UpperCase(name);
    });
  }
  environment_.insert(at, entry);
}

bool SimSystem::TokenHasBuiltinGroup(uint32_t rid) {
  std::lock_guard lock(mutex_);
  if (!profile_.NtFamily()) return false;
  const auto& groups = profile_.builtinGroups;
  return std::find(groups.begin(), groups.end(), rid) != groups.end();
}

bool SimSystem::TokenElevated() {
  std::lock_guard lock(mutex_);
  return profile_.NtFamily() && profile_.AtLeast(6, 0) && profile_.elevated;
}

AccountName SimSystem::CurrentAccount() {
  std::lock_guard lock(mutex_);
  return {profile_.userName, profile_.NtFamily() ? profile_.userDomain : std::string()};
}

std::string SimSystem::ComputerName() {
  std::lock_guard lock(mutex_);
  return profile_.computerName.size() > kLongestComputerName ? std::string() : profile_.computerName;
}

std::string SimSystem::WindowsFolder() {
  std::lock_guard lock(mutex_);
  return KnownFoldersOf(profile_).windows;
}

std::string SimSystem::SystemFolder() {
  std::lock_guard lock(mutex_);
  return KnownFoldersOf(profile_).system;
}

std::string SimSystem::SystemWow64Folder() {
  std::lock_guard lock(mutex_);
  return KnownFoldersOf(profile_).systemWow64;
}

bool SimSystem::ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) {
  info = FileVersionInfo{};
  std::string bytes;
  if (files_.ReadWholeFile(path, bytes) != kSuccess) return false;
  return ParseVersionResource(bytes, info);
}

std::string SimSystem::LanguageName(uint16_t language) {
  for (const auto& entry : kLanguageNames)
    if (entry.id == language) return entry.name;
  return kLanguageNames[0].name;
}

uint32_t SimSystem::DriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':')
    return files_.FolderExists(root) ? drive_type::kRemote : drive_type::kNoRootFolder;
  const char letter = char(text::UpperChar(static_cast<unsigned char>(root[0])));
  if (letter < 'A' || letter > 'Z') return drive_type::kNoRootFolder;
  std::string entry = host::FindEntry(files_.HostRoot(), std::string(1, letter));
  if (entry.empty() || !host::StatOf(files_.HostRoot() + "/" + entry).isDir) return drive_type::kNoRootFolder;
  switch (files_.DriveTypeOf(letter)) {
    case sim::DriveType::Fixed: return drive_type::kFixed;
    case sim::DriveType::Removable: return drive_type::kRemovable;
    case sim::DriveType::CdRom: return drive_type::kCdRom;
    case sim::DriveType::Network: return drive_type::kRemote;
  }
  return drive_type::kUnknown;
}

MemoryStatus SimSystem::Memory() {
  std::lock_guard lock(mutex_);
  MemoryStatus m;
  // A 32-bit program that is not large-address aware is told 2 GiB at most.
  const uint64_t visible = profile_.process64 ? 0xFFFFFFFFull : 2ull << 30;
  m.totalPhysical = uint32_t(std::min(profile_.physicalMemory, visible));
  m.haveExtended = profile_.HasExtendedMemoryStatus();
  if (m.haveExtended) m.totalPhysicalExtended = profile_.physicalMemory;
  return m;
}

int SimSystem::SystemMetric(int index) {
  std::lock_guard lock(mutex_);
  switch (index) {
    case system_metric::kScreenWidth: return profile_.screenWidth;
    case system_metric::kScreenHeight: return profile_.screenHeight;
    // Both indexes came with XP; earlier systems answer 0.
    case system_metric::kTabletPc: return profile_.tabletPc && profile_.HasNativeSystemInfo() ? 1 : 0;
    case system_metric::kMediaCenter: return profile_.mediaCenter && profile_.HasNativeSystemInfo() ? 1 : 0;
    default: return 0;
  }
}

int SimSystem::DisplayBitsPerPixel() {
  std::lock_guard lock(mutex_);
  return profile_.bitsPerPixel;
}

int SimSystem::ScreenDpi() {
  std::lock_guard lock(mutex_);
  return profile_.dpi;
}

int SimSystem::NativeProcessorArchitecture() {
  std::lock_guard lock(mutex_);
  if (!profile_.HasNativeSystemInfo()) return -1;
  return profile_.os64 ? processor_architecture::kAmd64 : processor_architecture::kIntel;
}

bool SimSystem::VmwareBackdoorAnswers() {
  std::lock_guard lock(mutex_);
  return profile_.virtualMachine == VirtualMachine::kVmware;
}

bool SimSystem::VirtualPcBackdoorAnswers() {
  std::lock_guard lock(mutex_);
  return profile_.virtualMachine == VirtualMachine::kVirtualPc;
}

std::string SimSystem::ExpandEnvironment(std::string_view text) {
  std::vector<std::string> block = EnvironmentBlock();
  auto lookup = [&](std::string_view name, std::string& value) {
    for (const auto& entry : block) {
      if (entry.size() > name.size() && entry[name.size()] == '=' && !name.empty() &&
          text::EqualsNoCase(std::string_view(entry).substr(0, name.size()), name)) {
        value = entry.substr(name.size() + 1);
        return true;
      }
    }
    return false;
  };
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('%', pos);
    if (open == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, open - pos));
    size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) {
      out.append(text.substr(open));
      break;
    }
    std::string value;
    if (lookup(text.substr(open + 1, close - open - 1), value)) {
      out += value;
      pos = close + 1;
    } else {
      out.append(text.substr(open, close - open));
      pos = close;
    }
  }
  return out;
}

std::vector<std::string> SimSystem::EnvironmentBlock() {
  std::lock_guard lock(mutex_);
  return environment_;
}

ErrorCode SimSystem::CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) {
  path.clear();
  if (folder.size() > kLongestTempFolder) return kErrorFilenameExcedRange;
  if (!files_.FolderExists(folder)) return kErrorDirectory;
  const std::string base = winpath::IncludeTrailingBackslash(files_.FullPath(folder)) + prefix.substr(0, 3);
  uint32_t unique = uint32_t(clock_.NowMs() & 0xFFFF);
  for (uint32_t tries = 0; tries < 0xFFFF; ++tries, unique = (unique + 1) & 0xFFFF) {
    if (unique == 0) unique = 1;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", unsigned(unique));
    std::string candidate = base + hex + ".tmp";
    if (files_.FileExists(candidate) || files_.FolderExists(candidate)) continue;
    ErrorCode error = kSuccess;
    auto writer = files_.OpenWrite(candidate, error);
    if (!writer) return error;
    if ((error = writer->Close()) != kSuccess) return error;
    path = candidate;
    return kSuccess;
  }
  return kErrorFileExists;
}

void SimSystem::SetExecutablePath(std::string path) {
  std::lock_guard lock(mutex_);
  executable_ = std::move(path);
}

void SimSystem::SetCommandLine(std::string commandLine) {
  std::lock_guard lock(mutex_);
  commandLine_ = std::move(commandLine);
}

}  // namespace qv::platform::sim
