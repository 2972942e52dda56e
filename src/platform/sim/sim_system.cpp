#include "platform/sim/sim_system.h"

#include "common/codepage1252.h"
#include "platform/sim/locale_formats.h"

namespace qv::platform::sim {

namespace {
constexpr uint64_t kHeaderPage = 4096;
}

SimSystem::SimSystem(OsProfile profile, SimFileSystem& files) : profile_(std::move(profile)), files_(files) {}

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
