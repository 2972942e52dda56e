// qvpack: writes a setup from an engine executable, a compiled script text and a
// support folder.
//
//   qvpack --engine quorvane.exe --script setup.script --support FOLDER --out DIR/NAME
//          [--zel zel.lib [--language lang.loc]] [--no-check]
//
// Writes DIR/NAME.exe, DIR/NAME.res and DIR/zel.lib. The script is loaded before it is
// written, so a damaged one is reported here and not on the target machine (--no-check
// writes it as it is, for tests of damaged scripts).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "script/script.h"
#include "tools/setup_packager.h"

namespace {

int Usage(const char* why) {
  std::fprintf(stderr, "qvpack: %s\n", why);
  std::fprintf(stderr,
               "usage: qvpack --engine EXE --script FILE --support FOLDER --out DIR/NAME\n"
               "              [--zel ZEL.LIB [--language FILE]] [--no-script] [--no-check]\n");
  return 2;
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> opt;
  bool check = true, noScript = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--no-check") {
      check = false;
    } else if (a == "--no-script") {
      noScript = true;
    } else if ((a == "--engine" || a == "--script" || a == "--support" || a == "--out" || a == "--zel" ||
                a == "--language") &&
               i + 1 < argc) {
      opt[a] = argv[++i];
    } else {
      return Usage(("unknown argument " + a).c_str());
    }
  }
  if (!opt.count("--engine") || !opt.count("--out")) return Usage("--engine and --out are required");
  if (!noScript && !opt.count("--script")) return Usage("--script is required (or --no-script)");

  qv::tools::PackageInput in;
  in.engine = opt["--engine"];
  std::filesystem::path out(opt["--out"]);
  in.outputFolder = out.parent_path().empty() ? "." : out.parent_path().string();
  in.name = out.filename().string();
  if (!noScript) {
    std::string text;
    if (!ReadFile(opt["--script"], text)) {
      std::fprintf(stderr, "qvpack: cannot read %s\n", opt["--script"].c_str());
      return 1;
    }
    if (check) {
      try {
        qv::script::LoadScript(text);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "qvpack: %s: %s\n", opt["--script"].c_str(), e.what());
        return 1;
      }
    }
    in.scriptText = text;
  }
  if (opt.count("--support")) in.supportFolder = opt["--support"];
  if (opt.count("--zel")) in.archiveComponent = opt["--zel"];
  if (opt.count("--language") && !ReadFile(opt["--language"], in.languageText)) {
    std::fprintf(stderr, "qvpack: cannot read %s\n", opt["--language"].c_str());
    return 1;
  }
  try {
    qv::tools::PackageResult r = qv::tools::WritePackage(in);
    std::printf("%s (engine image %llu bytes)\n", r.exePath.c_str(), static_cast<unsigned long long>(r.stubSize));
    if (!r.resPath.empty()) std::printf("%s\n", r.resPath.c_str());
    if (!r.zelPath.empty()) std::printf("%s\n", r.zelPath.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvpack: %s\n", e.what());
    return 1;
  }
  return 0;
}
