#include "engine/product_bootstrap.h"

#include "common/text.h"
#include "common/win_path.h"

namespace qv::engine {
namespace {

// Shell folder numbers.
constexpr int kCsidlPersonal = 0x05;
constexpr int kCsidlDesktopDirectory = 0x10;
constexpr int kCsidlAppData = 0x1A;
constexpr int kCsidlLocalAppData = 0x1C;
constexpr int kCsidlCommonAppData = 0x23;
constexpr int kCsidlProgramFiles = 0x26;
constexpr int kCsidlCommonFiles = 0x2B;

constexpr const char* kOrigin = "Bootstrap";



bool NtFamily(script::EngineContext& e) { return e.platform.Sys().Version().IsNtFamily(); }

// Administrator rights on NT; on 9x every user may install for all users.
bool AdministratorOnNt(script::EngineContext& e) { return NtFamily(e) && e.platform.Sys().RunsAsAdministrator(); }

std::string WithBackslash(const std::string& folder) {
  return folder.empty() ? folder : winpath::IncludeTrailingBackslash(folder);
}

}  // namespace

std::string ProductBootstrapStep::ProductFolder(script::EngineContext& e) {
  auto& sys = e.platform.Sys();
  std::string base;
  if (!NtFamily(e) || sys.RunsAsAdministrator())
    base = sys.ShellFolder(kCsidlProgramFiles);
  else
    base = winpath::ExtractFilePath(winpath::ExcludeTrailingBackslash(sys.ShellFolder(kCsidlPersonal)));
  return WithBackslash(base) + e.script.Sections().productTitle + "\\";
}

bool ProductBootstrapStep::AllUsers(script::EngineContext& e) { return AdministratorOnNt(e); }

// The engine cache folder recorded by an installation of this product, when there is one.
std::string ProductBootstrapStep::RecordedCacheFolder(script::EngineContext& e) {
  const std::string key = kIdentCacheKey + e.script.Sections().productCode;
  platform::RegValue value;
  for (auto root : {platform::RegRoot::LocalMachine, platform::RegRoot::CurrentUser})
    if (e.platform.Reg().ReadValue(root, key, "", value, platform::RegView::Default) == platform::kSuccess)
      return value.AsString();
  return {};
}

std::string ProductBootstrapStep::EngineCacheBase(script::EngineContext& e, bool allUsers) {
  std::string override = e.store.Get("OVERRIDECACHE");
  if (!override.empty()) return WithBackslash(override);
  // A recorded folder counts only when it belongs to this build.
  std::string recorded = winpath::ExcludeTrailingBackslash(RecordedCacheFolder(e));
  if (!recorded.empty() &&
      text::EqualsNoCase(winpath::ExtractFileName(recorded), e.script.Sections().revisionCode))
    return winpath::ExtractFilePath(recorded);
  auto& sys = e.platform.Sys();
  if (!NtFamily(e)) return WithBackslash(sys.ShellFolder(kCsidlCommonFiles));
  std::string folder = sys.ShellFolder(allUsers ? kCsidlCommonAppData : kCsidlLocalAppData);
  if (folder.empty()) folder = sys.ShellFolder(kCsidlAppData);
  if (!folder.empty()) return WithBackslash(folder);
  std::string desktop = winpath::ExcludeTrailingBackslash(sys.ShellFolder(kCsidlDesktopDirectory));
  return winpath::ExtractFilePath(desktop) + "Application Data\\";
}

// "instance.dat" beside the executable names the instance a cached engine serves.
bool ProductBootstrapStep::ReadInstanceFile(script::EngineContext& e) {
  std::string bytes;
  if (e.platform.Files().ReadWholeFile(e.startup.exeFolder + "instance.dat", bytes) != platform::kSuccess) return false;
  std::vector<std::string> lines = text::SplitLines(bytes);
  lines.resize(3);
  e.script.ReplaceIdentity(lines[0], lines[1], lines[2]);
  return true;
}

void ProductBootstrapStep::Run(script::EngineContext& e, script::RunState& run) {
  auto& store = e.store;
  instanceFile_ = ReadInstanceFile(e);
  const auto& s = e.script.Sections();
  store.SetVariable("PRODUCTCODE", s.productCode, kOrigin);
  store.SetVariable("REVISIONCODE", s.revisionCode, kOrigin);

  const std::string productFolder = ProductFolder(e);
  const std::string engineCache = EngineCacheBase(e, AdministratorOnNt(e)) + s.revisionCode + "\\";
  store.SetVariable("ENGINECACHE", engineCache, kOrigin);
  store.SetVariable("UNINSTALLLINK", engineCache + winpath::ExtractFileName(e.startup.exePath), kOrigin);
  store.SetVariable("DATADIR", s.mediaMode == 2 ? engineCache : e.startup.dataFolder, kOrigin);

  // Installed by this build (maintenance) or by another build of the product (upgrade).
  auto& msi = e.platform.Msi();
  const int state = msi.ProductState(s.productCode);
  std::string packageCode;
  const bool otherBuild = state == kInstallStateInstalled &&
                          msi.ProductInfo(s.productCode, "PackageCode", packageCode) &&
                          !text::EqualsNoCase(packageCode, s.revisionCode);
  store.SetVariable("NEEDSUPGRADE", otherBuild ? "TRUE" : "FALSE", kOrigin);
  const bool maintenance = !otherBuild && state == kInstallStateInstalled;
  store.SetVariable("MAINTENANCE", maintenance ? "TRUE" : "FALSE", kOrigin);

  if (!maintenance) {
    // A first installation (or an upgrade) starts from the proposed folder. The component
    // model is reset and a saved-data file of the cache is loaded here once components
    // and saved data are supported.
    store.SetVariable("TARGETDIR", productFolder, kOrigin);
    store.SetVariable("STARTMENU", s.productTitle, kOrigin);
    store.SetVariable("ALLUSERS", AdministratorOnNt(e) ? "TRUE" : "FALSE", kOrigin);
  }

  // The uninstall log of a native installation by another build is offered for an
  // upgrade once uninstall logs are supported; until then there is none.
  store.SetVariable("NATIVE_OLDLOG", "", kOrigin);
  store.SetVariable("RECOMMENDEDUPGRADE", "FALSE", kOrigin);
  store.SetVariable("NEWINSTANCE", "FALSE", "Initialization");
  if (!instanceFile_ && (maintenance || otherBuild)) store.SetVariable("NEWINSTANCE", "TRUE", kOrigin);
  Invalidate();
  (void)run;
}

void ProductBootstrapStep::CacheLocation(script::EngineContext& e, script::RunState& run, bool allUsers,
                                         const std::string& overrideCache, std::string& engineCache,
                                         std::string& uninstallLink) {
  const auto& s = e.script.Sections();
  // What the folders depend on; they are worked out again only when it changed.
  const std::string& detail = s.mediaMode == 3 ? run.title : overrideCache;
  RefreshInputs& was = refreshInputs_;
  const bool same = refreshValid_ && was.allUsers == allUsers && was.mediaMode == s.mediaMode &&
                    was.detail == detail && was.productCode == s.productCode && was.revisionCode == s.revisionCode;
  if (!same) {
    refreshInputs_ = RefreshInputs{allUsers, s.mediaMode, detail, s.productCode, s.revisionCode};
    refreshValid_ = true;
    if (s.mediaMode == 3) {
      // The installed product knows where its engine is.
      const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + run.title;
      auto root = allUsers || !NtFamily(e) ? platform::RegRoot::LocalMachine : platform::RegRoot::CurrentUser;
      platform::RegValue value;
      std::string command;
      if (e.platform.Reg().ReadValue(root, key, "UninstallString", value, platform::RegView::Default) ==
          platform::kSuccess)
        command = value.AsString();
      if (!command.empty() && command[0] == '"') command.erase(0, 1);
      size_t quote = command.find('"');
      if (quote != std::string::npos) command.resize(quote);
      uninstallLink_ = command;
      engineCache_ = winpath::ExtractFilePath(command);
    } else {
      engineCache_ = EngineCacheBase(e, allUsers) + s.revisionCode + "\\";
      uninstallLink_ = engineCache_ + winpath::ExtractFileName(e.startup.exePath);
    }
  }
  engineCache = engineCache_;
  uninstallLink = uninstallLink_;
}

}  // namespace qv::engine
