#include "startup/startup.h"

#include "common/pe_image.h"
#include "common/text.h"
#include "common/win_path.h"
#include "engine/product_bootstrap.h"
#include "media/seven_zip_wrap.h"
#include "script/interpreter.h"
#include "startup/engine_commands.h"
#include "system/system_info.h"
#include "system/text_file_commands.h"

namespace qv::startup {

using platform::kSuccess;

Startup::Startup(platform::Platform& platform, script::VariableStore& store)
    : platform_(platform), store_(store), trace_(platform.Files(), platform.Sys()) {}

Startup::~Startup() = default;

int Startup::Run() {
  ApplyShellSettings();
  ComputeFolders();
  LoadEngineLanguage();
  values_.supportArchive = values_.exeFolder + values_.exeBaseName + ".res";

  values_.commandLine = ParseCommandLine(platform_.Sys().CommandLine());
  store_.SetSilent(values_.commandLine.silent);
  store_.SetCommandLineProperties(values_.commandLine.properties);
  trace_.SetTarget(values_.commandLine.logFile);

  trace_.TraceLine("<Quorvane>");
  try {
    trace_.TraceLine("    <SupportDir>");
    CreateSupportFolder();
    trace_.TraceLine("    </SupportDir>");
    if (std::optional<int> early = LoadAndRun()) return *early;
  } catch (const ProcessExit& exit) {
    return exit.ExitCode();
  } catch (const std::exception& error) {
    ShowError(messages_.Text(msg::kRuntimeErrorInInstall) + error.what(), false);
    exitCode_ = kExitStartupError;
  }
  trace_.TraceLine("  <CachedSupportDir>");
  DeleteSupportFolder();
  trace_.TraceLine("  </CachedSupportDir>");
  trace_.TraceLine("</Quorvane>");
  return exitCode_;
}

// Windows 7 and later group a setup's taskbar button with the program it installs unless
// the setup is marked a host application; Vista's compatibility assistant is told the
// setup has been handled.
void Startup::ApplyShellSettings() {
  platform::OsVersion v = platform_.Sys().Version();
  auto& reg = platform_.Reg();
  using platform::RegRoot;
  using platform::RegValue;
  using platform::RegView;
  const std::string exePath = platform_.Sys().ExecutablePath();
  if (v.major > 6 || (v.major == 6 && v.minor != 0)) {
    std::string key = "Applications\\" + winpath::ExtractFileName(exePath);
    if (reg.CreateKey(RegRoot::ClassesRoot, key, RegView::Default) == kSuccess)
      reg.WriteValue(RegRoot::ClassesRoot, key, "IsHostApp", RegValue::String(""), RegView::Default);
  } else if (v.major == 6 && v.minor == 0) {
    const std::string key =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
    if (reg.CreateKey(RegRoot::CurrentUser, key, RegView::Default) == kSuccess)
      reg.WriteValue(RegRoot::CurrentUser, key, exePath, RegValue::Dword(32), RegView::Default);
  }
}

void Startup::ComputeFolders() {
  values_.supportFolder.clear();
  values_.exePath = platform_.Sys().ExecutablePath();
  values_.exeFolder = winpath::ExtractFilePath(values_.exePath);
  values_.exeBaseName = winpath::BaseName(values_.exePath);
  values_.tempFolder = winpath::IncludeTrailingBackslash(platform_.Sys().TempFolder());
  if (!platform_.Files().FolderExists(values_.tempFolder)) platform_.Files().CreateFolderTree(values_.tempFolder);
}

// The engine's language file travels appended to the archive component library. It is
// read straight from the library file rather than through a copy in the shared temporary
// folder, which two setups starting at once would overwrite under each other.
void Startup::LoadEngineLanguage() {
  const std::string library = values_.exeFolder + "zel.lib";
  platform::ErrorCode error = kSuccess;
  std::unique_ptr<platform::ArchiveComponent> component = platform_.LoadArchiveComponent(library, error);
  if (!component) return;  // the built-in English messages stay in force
  std::string headers;
  if (platform_.Files().ReadRange(library, 0, 4096, headers) != kSuccess) return;
  pe::Image image;
  uint64_t size = 0;
  if (!pe::ParseHeaders(headers, image) || platform_.Files().FileSize(library, size) != kSuccess) return;
  const uint64_t stub = image.StubSize();
  if (stub == 0 || size <= stub) return;
  std::string languageFile;
  if (platform_.Files().ReadRange(library, stub, size - stub, languageFile) != kSuccess) return;
  messages_.LoadLanguageText(languageFile, LanguageName(platform_.Sys().UserDefaultLanguage()));
}

void Startup::CreateSupportFolder() {
  auto& files = platform_.Files();
  // The first "zel" + n that does not exist; when another setup creates it between the
  // test and the creation, the next number is tried.
  constexpr int kMaxFolders = 100000;
  for (int n = 1; n <= kMaxFolders; ++n) {
    std::string folder = values_.tempFolder + "zel" + std::to_string(n);
    if (files.FolderExists(folder) || files.FileExists(folder)) continue;
    platform::ErrorCode error = files.CreateFolder(folder);
    if (error == kSuccess) {
      values_.supportFolder = folder + "\\";
      return;
    }
    if (error != platform::kErrorAlreadyExists && error != platform::kErrorFileExists)
      throw EngineError("Unable to create the support folder " + folder + ": " + platform_.ErrorText(error));
  }
  throw EngineError("Unable to create a support folder in " + values_.tempFolder);
}

std::optional<int> Startup::LoadAndRun() {
  trace_.TraceLine("  <SetupSplash>");
  // The splash and initialisation forms are shown here (unless silent or updating) once
  // the window layer exists; until then start-up runs without them.
  if (std::optional<int> early = LoadScriptFromImage()) return early;
  if (std::optional<int> early = ExtractSupportArchive()) return early;
  CopyPackageFiles();
  values_.dataFolder = values_.exeFolder + "data\\";
  CreateDialogs();
  trace_.TraceLine("  </SetupSplash>");

  trace_.TraceLine("  <RunScript>");
  RunScript();
  trace_.TraceLine("  </RunScript>");

  trace_.TraceLine("  <Free>");
  script_.reset();
  trace_.TraceLine("  </Free>");
  return std::nullopt;
}

std::optional<int> Startup::LoadScriptFromImage() {
  auto& files = platform_.Files();
  trace_.TraceLine("    <StubSize>");
  pe::Image image;
  std::string why;
  if (!pe::ParseHeaders(platform_.Sys().OwnImageHeaders(), image, &why))
    throw EngineError("The setup program's image headers cannot be read (" + why + ")");
  const uint64_t stub = image.StubSize();
  uint64_t length = 0;
  platform::ErrorCode error = files.FileSize(values_.exePath, length);
  if (error != kSuccess) throw EngineError("Unable to open " + values_.exePath + ": " + platform_.ErrorText(error));
  if (length <= stub) {
    ShowError("For internal use only", true);
    return kExitNoScript;
  }
  trace_.TraceLine("    </StubSize>");

  trace_.TraceLine("    <StubData>");
  std::string scriptText;
  error = files.ReadRange(values_.exePath, stub, length - stub, scriptText);
  if (error != kSuccess) throw EngineError("Unable to read the setup script: " + platform_.ErrorText(error));
  // The copy lives in this run's own support folder, so setups started at the same time
  // never share it.
  const std::string copy = values_.supportFolder + "zel.tmp";
  error = files.WriteWholeFile(copy, scriptText);
  if (error != kSuccess) throw EngineError("Unable to write " + copy + ": " + platform_.ErrorText(error));
  trace_.TraceLine("    </StubData>");

  trace_.TraceLine("    <GlobalLists>");
  std::string text;
  error = files.ReadWholeFile(copy, text);
  files.RemoveFile(copy);
  if (error != kSuccess) throw EngineError("Unable to read " + copy + ": " + platform_.ErrorText(error));
  script_ = std::make_unique<script::Script>(script::LoadScript(text));
  trace_.TraceLine("    </GlobalLists>");
  return std::nullopt;
}

std::optional<int> Startup::ExtractSupportArchive() {
  trace_.TraceLine("    <ExtractArchive>");
  if (!platform_.Files().FileExists(values_.supportArchive)) {
    ShowError(messages_.Text(msg::kResourceNotFound), true);
    return kExitNoSupportArchive;
  }
  platform::ErrorCode loadError = kSuccess;
  std::unique_ptr<platform::ArchiveComponent> component =
      platform_.LoadArchiveComponent(values_.exeFolder + "zel.lib", loadError);
  std::string error, detail;
  if (!component || !media::ExtractArchive(*component, values_.supportArchive, "", values_.supportFolder, {},
                                           std::nullopt, error, false, false, &detail)) {
    ShowError(messages_.Text(msg::kResourceDecompression), true);
    return kExitBadSupportArchive;
  }
  trace_.TraceLine("    </ExtractArchive>");
  // The initialisation form shows the setup's own "quorvane.png" from here on once the
  // window layer exists.
  return std::nullopt;
}

void Startup::CopyPackageFiles() {
  trace_.TraceLine("    <ResourcePath>");
  auto& files = platform_.Files();
  values_.msiPath = values_.supportFolder + values_.exeBaseName + ".msi";
  for (const char* ext : {".msi", ".msp"}) {
    const std::string from = values_.exeFolder + values_.exeBaseName + ext;
    const std::string to = values_.supportFolder + values_.exeBaseName + ext;
    if (files.CopyFileTo(from, to, true) == kSuccess) files.SetAttributes(to, platform::attr::kNormal);
  }
  trace_.TraceLine("    </ResourcePath>");
}

void Startup::CreateDialogs() {
  trace_.TraceLine("    <Dialogs>");
  // One dialog form per "Display Dialog" line that is not switched off; the forms are
  // created here once the dialog host exists.
  trace_.TraceLine("    </Dialogs>");
}

void Startup::RunScript() {
  script::EngineContext engine{platform_, store_, *script_, trace_, messages_, values_};
  engine::ProductBootstrapStep bootstrap;
  script::InterpreterHooks hooks;
  hooks.exitCleanup.push_back(system::CloseOpenTextFile);
  hooks.systemValues = [this](const script::RunState& run, script::PredefinedValues& values) {
    system::SystemInfo info(platform_, run.registryView);
    values.userName = info.RegisteredOwner();
    values.userCompany = info.RegisteredOrganization();
  };
  script::Interpreter interpreter(engine, EngineCommands(), bootstrap, std::move(hooks));
  interpreter.Run();
  exitCode_ = interpreter.ExitCode();
  // The installation cache is finished here (hidden, compressed, saved data written)
  // once installations are recorded.
}

void Startup::DeleteSupportFolder() {
  if (values_.supportFolder.empty()) return;
  auto& files = platform_.Files();
  if (!files.FolderExists(values_.supportFolder)) return;
  // Files still held by a program the setup started may be released a moment later.
  for (int attempt = 0; attempt < 3; ++attempt) files.DeleteTree(values_.supportFolder, false);
  files.RemoveFolder(winpath::ExcludeTrailingBackslash(values_.supportFolder));
}

void Startup::ShowError(const std::string& text, bool withOwner) {
  if (store_.Silent() || values_.commandLine.silent) return;
  const std::string title = script_ ? script_->Sections().productTitle : std::string();
  // The initialisation form owns the message once the window layer exists.
  platform::WindowHandle owner = 0;
  (void)withOwner;
  platform_.Ui().ShowMessageBox(owner, text, WindowCaption(title, false),
                                platform::mb::kOk | platform::mb::kIconError);
}

}  // namespace qv::startup
