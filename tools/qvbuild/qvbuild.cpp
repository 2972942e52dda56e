// qvbuild: the setup builder. Compiles a setup source, checks it the way the engine will,
// packages it, and turns a built setup back into source.
//
//   qvbuild build SOURCE --engine EXE --out DIR/NAME [--zel ZEL.LIB [--language FILE]]
//                        [--support FOLDER] [--revision GUID] [--script FILE] [--no-validate]
//   qvbuild compile SOURCE -o SCRIPT [--revision GUID] [--no-validate]
//   qvbuild check SOURCE
//   qvbuild decompile SETUP.EXE|SCRIPT [-o SOURCE] [--new-positions]
//   qvbuild commands [-o FILE]
//
// Messages name the file and line ("setup.qvs:12:5: ..."); the exit status is 1 when
// anything failed and 2 for a wrong command line.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/qvbuild/build_check.h"
#include "tools/qvbuild/decompiler.h"
#include "tools/qvbuild/guid.h"
#include "tools/qvbuild/reference_page.h"
#include "tools/qvbuild/source_compiler.h"
#include "tools/setup_packager.h"

namespace {
namespace fs = std::filesystem;
using namespace qv::authoring;

const char* kUsage =
    "usage: qvbuild build SOURCE --engine EXE --out DIR/NAME [--zel ZEL.LIB [--language FILE]]\n"
    "                     [--support FOLDER] [--revision GUID] [--script FILE] [--no-validate]\n"
    "       qvbuild compile SOURCE -o SCRIPT [--revision GUID] [--no-validate]\n"
    "       qvbuild check SOURCE\n"
    "       qvbuild decompile SETUP.EXE|SCRIPT [-o SOURCE] [--new-positions]\n"
    "       qvbuild commands [-o FILE]\n";

int Usage(const std::string& why) {
  std::fprintf(stderr, "qvbuild: %s\n%s", why.c_str(), kUsage);
  return 2;
}

struct Arguments {
  std::string command;
  std::vector<std::string> inputs;
  std::map<std::string, std::string> options;
  std::set<std::string> switches;
  bool Has(const std::string& o) const { return options.count(o) > 0; }
  std::string Get(const std::string& o) const { return Has(o) ? options.at(o) : std::string(); }
};

bool Parse(int argc, char** argv, Arguments& a, std::string& error) {
  static const std::set<std::string> kValued = {"--engine",  "--out",      "--zel",    "--language",
                                                "--support", "--revision", "--script", "-o"};
  static const std::set<std::string> kSwitches = {"--no-validate", "--new-positions"};
  if (argc < 2) {
    error = "no command given";
    return false;
  }
  a.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string s = argv[i];
    if (kValued.count(s)) {
      if (i + 1 >= argc) {
        error = s + " needs a value";
        return false;
      }
      a.options[s] = argv[++i];
    } else if (kSwitches.count(s)) {
      a.switches.insert(s);
    } else if (!s.empty() && s[0] == '-') {
      error = "unknown option " + s;
      return false;
    } else {
      a.inputs.push_back(s);
    }
  }
  return true;
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::error_code ignored;
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void Print(const Diagnostic& d) { std::fprintf(stderr, "%s\n", FormatDiagnostic(d).c_str()); }

// Compiles and (unless switched off) validates; prints every message. False on errors.
bool CompileAndCheck(const std::string& source, const Arguments& a, Compilation& c) {
  CompileOptions options;
  if (a.Has("--revision")) {
    if (!IsGuid(a.Get("--revision"))) {
      std::fprintf(stderr, "qvbuild: --revision must be a GUID in braces\n");
      return false;
    }
    options.revisionCode = a.Get("--revision");
  }
  DiskSourceReader reader;
  c = CompileSource(source, reader, options);
  for (const auto& d : c.diagnostics.All()) Print(d);
  size_t errors = c.diagnostics.ErrorCount();
  if (errors == 0 && !a.switches.count("--no-validate")) {
    auto failures = ValidateCompilation(c);
    for (const auto& d : failures) Print(d);
    errors += failures.size();
  }
  if (errors) std::fprintf(stderr, "qvbuild: %zu error%s\n", errors, errors == 1 ? "" : "s");
  return errors == 0;
}

bool WriteScriptFile(const Compilation& c, const std::string& path) {
  std::string text;
  try {
    text = qv::script::WriteScript(c.sections);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvbuild: %s\n", e.what());
    return false;
  }
  if (!WriteFile(path, text)) {
    std::fprintf(stderr, "qvbuild: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

int Build(const Arguments& a) {
  if (a.inputs.size() != 1) return Usage("build takes one source file");
  if (!a.Has("--engine") || !a.Has("--out")) return Usage("build needs --engine and --out");
  Compilation c;
  if (!CompileAndCheck(a.inputs[0], a, c)) return 1;
  if (a.Has("--script") && !WriteScriptFile(c, a.Get("--script"))) return 1;

  qv::tools::PackageInput in;
  in.engine = a.Get("--engine");
  try {
    in.scriptText = qv::script::WriteScript(c.sections);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvbuild: %s\n", e.what());
    return 1;
  }
  fs::path out(a.Get("--out"));
  in.outputFolder = out.parent_path().empty() ? "." : out.parent_path().string();
  in.name = out.filename().string();
  std::string support = a.Get("--support");
  if (support.empty()) {
    fs::path beside = fs::path(a.inputs[0]).parent_path() / "support";
    if (fs::is_directory(beside)) support = beside.string();
  }
  if (!support.empty())
    in.supportFolder = support;
  else
    std::fprintf(stderr,
                 "qvbuild: warning: no support folder (--support, or support/ beside the source): %s.res "
                 "is not written and the setup will not start without it\n",
                 in.name.c_str());
  if (a.Has("--zel")) in.archiveComponent = a.Get("--zel");
  if (a.Has("--language") && !ReadFile(a.Get("--language"), in.languageText)) {
    std::fprintf(stderr, "qvbuild: cannot read %s\n", a.Get("--language").c_str());
    return 1;
  }
  try {
    qv::tools::PackageResult r = qv::tools::WritePackage(in);
    std::printf("%s (%zu script lines)\n", r.exePath.c_str(), c.sections.commandNames.size());
    if (!r.resPath.empty()) std::printf("%s\n", r.resPath.c_str());
    if (!r.zelPath.empty()) std::printf("%s\n", r.zelPath.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvbuild: %s\n", e.what());
    return 1;
  }
  return 0;
}

int CompileCommand(const Arguments& a) {
  if (a.inputs.size() != 1 || !a.Has("-o")) return Usage("compile takes one source file and -o SCRIPT");
  Compilation c;
  if (!CompileAndCheck(a.inputs[0], a, c)) return 1;
  return WriteScriptFile(c, a.Get("-o")) ? 0 : 1;
}

int Check(const Arguments& a) {
  if (a.inputs.size() != 1) return Usage("check takes one source file");
  Compilation c;
  if (!CompileAndCheck(a.inputs[0], a, c)) return 1;
  std::printf("%s: %zu script lines, no errors\n", a.inputs[0].c_str(), c.sections.commandNames.size());
  return 0;
}

int DecompileCommand(const Arguments& a) {
  if (a.inputs.size() != 1) return Usage("decompile takes one setup executable or script");
  std::string bytes;
  if (!ReadFile(a.inputs[0], bytes)) {
    std::fprintf(stderr, "qvbuild: cannot read %s\n", a.inputs[0].c_str());
    return 1;
  }
  qv::script::ScriptSections sections;
  try {
    sections = ReadSetupScript(bytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", a.inputs[0].c_str(), e.what());
    return 1;
  }
  DecompileOptions options;
  options.keepPositions = !a.switches.count("--new-positions");
  options.origin = fs::path(a.inputs[0]).filename().string();
  Decompilation d = Decompile(sections, options);
  for (const auto& note : d.notes) std::fprintf(stderr, "%s: warning: %s\n", a.inputs[0].c_str(), note.c_str());
  if (!a.Has("-o")) {
    std::fwrite(d.source.data(), 1, d.source.size(), stdout);
    return 0;
  }
  if (!WriteFile(a.Get("-o"), d.source)) {
    std::fprintf(stderr, "qvbuild: cannot write %s\n", a.Get("-o").c_str());
    return 1;
  }
  return 0;
}

int Commands(const Arguments& a) {
  std::string page = CommandReferencePage();
  if (!a.Has("-o")) {
    std::fwrite(page.data(), 1, page.size(), stdout);
    return 0;
  }
  if (!WriteFile(a.Get("-o"), page)) {
    std::fprintf(stderr, "qvbuild: cannot write %s\n", a.Get("-o").c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  std::string error;
  if (!Parse(argc, argv, a, error)) return Usage(error);
  if (a.command == "build") return Build(a);
  if (a.command == "compile") return CompileCommand(a);
  if (a.command == "check") return Check(a);
  if (a.command == "decompile") return DecompileCommand(a);
  if (a.command == "commands") return Commands(a);
  return Usage("unknown command " + a.command);
}
