#pragma once
// A simulated machine with a setup on it, for tests of start-up and of the interpreter:
// an engine image with a script appended, its support archive and the archive component
// in C:\Setup\, on Windows 7 SP1 by default.
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "script/script.h"
#include "support/pe_fixture.h"
#include "support/run_trace.h"
#include "support/script_builder.h"
#include "zel/zip_writer.h"

namespace qv::testing {

struct SupportFile {
  std::string name;  // with "/" separators
  std::string bytes;
};

class SimSetup {
 public:
  explicit SimSetup(platform::sim::OsProfile profile = platform::sim::profiles::Default())
      : machine_(std::make_unique<platform::sim::SimPlatform>(root_.Path(), profile)) {
    machine_->SimSys().SetExecutablePath(kExe);
  }

  platform::sim::SimPlatform& Machine() { return *machine_; }
  const platform::sim::testing::TempRoot& Root() const { return root_; }

  static constexpr const char* kExe = "C:\\Setup\\demo.exe";
  static constexpr const char* kRes = "C:\\Setup\\demo.res";
  static constexpr const char* kZel = "C:\\Setup\\zel.lib";

  // The engine image alone, or followed by a script text.
  void PutEngine(const std::string* scriptText) {
    std::string image = MakePeImage({{".text", 0x400}, {".rsrc", 0x200}});
    Put(kExe, scriptText ? image + *scriptText : image);
  }
  void PutScript(const script::ScriptSections& sections) {
    std::string text = script::WriteScript(sections);
    PutEngine(&text);
  }
  void PutSupportArchive(const std::vector<SupportFile>& files) {
    std::string bytes;
    zel::ZipWriterOptions options;
    options.deterministic = true;
    zel::ZipWriter writer(zel::MakeMemorySink(bytes), options);
    for (const auto& f : files) writer.AddBytes(f.name, f.bytes);
    writer.Finish();
    Put(kRes, bytes);
  }
  // The archive component library, optionally with a language file appended.
  void PutArchiveComponent(const std::string& languageText = {}) {
    Put(kZel, MakePeImage({{".text", 0x200}}, false, 2, true) + languageText);
  }
  void SetCommandLine(const std::string& arguments) {
    machine_->SimSys().SetCommandLine(std::string("\"") + kExe + "\" " + arguments);
  }

  void Put(const std::string& path, const std::string& bytes) {
    machine_->Files().CreateFolderTree(path.substr(0, path.rfind('\\')));
    machine_->Files().WriteWholeFile(path, bytes);
  }
  std::string Read(const std::string& path) {
    std::string bytes;
    machine_->Files().ReadWholeFile(path, bytes);
    return bytes;
  }

 private:
  platform::sim::testing::TempRoot root_;
  std::unique_ptr<platform::sim::SimPlatform> machine_;
};

// A script of `names` lines without parameters.
inline script::ScriptSections ScriptOf(const std::vector<std::string>& names) {
  std::vector<ScriptLine> lines;
  for (const auto& n : names) lines.push_back({n});
  return BuildScript(lines);
}


}  // namespace qv::testing
