#include "e2e/setup_fixture.h"

#include <algorithm>
#include <filesystem>

#include "support/run_trace.h"
#include "tools/setup_packager.h"

namespace qv::e2e {
namespace fs = std::filesystem;

SetupFixture::SetupFixture() {
  RemoveSupportFolders();
  std::error_code ignored;
  fs::create_directories(Wine::Get().HostPath("C:\\qv-e2e"), ignored);
  fs::remove(Wine::Get().HostPath("C:\\qv-e2e\\trace.log"), ignored);
}

void SetupFixture::Build(const std::optional<script::ScriptSections>& script,
                         const std::optional<std::vector<std::pair<std::string, std::string>>>& supportFiles,
                         const std::string& languageText) {
  tools::PackageInput in;
  in.engine = Win64Bin() + "/quorvane.exe";
  if (script) in.scriptText = script::WriteScript(*script);
  if (supportFiles) {
    std::string folder = scratch_ / "support";
    fs::create_directories(folder);
    for (const auto& [name, bytes] : *supportFiles) WriteHostFile(folder + "/" + name, bytes);
    in.supportFolder = folder;
  }
  in.archiveComponent = Win64Bin() + "/zel.lib";
  in.languageText = languageText;
  in.outputFolder = scratch_.Path();
  in.name = "demo";
  tools::WritePackage(in);
}

ProcessResult SetupFixture::Run(const std::vector<std::string>& args, int seconds) {
  return Wine::Get().Run(Exe(), args, seconds);
}

Process SetupFixture::Start(const std::vector<std::string>& args) { return Wine::Get().Start(Exe(), args); }

std::string SetupFixture::TraceBytes() const { return ReadHostFile(Wine::Get().HostPath("C:\\qv-e2e\\trace.log")); }

std::vector<std::string> SetupFixture::TraceLines() const { return testing::TraceLines(TraceBytes()); }

std::string SetupFixture::TempHostPath() const { return Wine::Get().HostPath(Wine::Get().TempFolder()); }

std::vector<std::string> SetupFixture::SupportFolders() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(TempHostPath(), ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.size() > 3 && name.compare(0, 3, "zel") == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void SetupFixture::RemoveSupportFolders() const {
  for (const auto& name : SupportFolders()) {
    std::error_code ignored;
    fs::remove_all(TempHostPath() + "/" + name, ignored);
  }
}

}  // namespace qv::e2e
