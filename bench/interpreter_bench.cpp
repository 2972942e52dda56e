// Speed of the line loop: a tight loop of While, Mathematics, If and Set Variable with
// the per-line refresh on, run by the interpreter on the simulated platform (host) and,
// with --wine, by the win64 engine under wine64.
//   qv_interpreter_bench [--iterations N] [--wine]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/product_bootstrap.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "script/interpreter.h"
#include "startup/engine_commands.h"
#include "support/script_builder.h"
#include "tools/setup_packager.h"

namespace {

using qv::testing::ScriptLine;
using Clock = std::chrono::steady_clock;

// Per iteration the loop runs six lines: While, Mathematics, If, End, Set Variable, Wend.
constexpr int kLinesPerIteration = 6;

std::vector<ScriptLine> LoopScript(long iterations) {
  return {
      {"Set Variable", {"I", "0"}},
      {"Set Variable", {"N", std::to_string(iterations)}},
      {"While", {"N", "2", "$I$", "FALSE"}},
      {"Mathematics", {"$I$", "1", "0", "I"}},
      {"If", {"I", "0", "5", "FALSE"}},
      {"Set Variable", {"FIVE", "reached"}},
      {"End"},
      {"Set Variable", {"LAST", "$I$"}},
      {"Wend"},
  };
}

double HostLinesPerSecond(long iterations) {
  qv::platform::sim::testing::TempRoot root;
  qv::platform::sim::SimPlatform machine(root.Path());
  qv::script::VariableStore store;
  qv::startup::EngineMessages messages;
  qv::startup::TraceLog trace(machine.Files(), machine.Sys());
  qv::startup::StartupValues values;
  values.exePath = "C:\\Setup\\bench.exe";
  values.exeFolder = "C:\\Setup\\";
  values.tempFolder = machine.Sys().TempFolder();
  qv::script::Script script(qv::testing::BuildScript(LoopScript(iterations)));
  qv::script::EngineContext engine{machine, store, script, trace, messages, values};
  qv::engine::ProductBootstrapStep bootstrap;
  qv::script::Interpreter interpreter(engine, qv::startup::EngineCommands(), bootstrap);
  auto start = Clock::now();
  interpreter.Run();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (store.Get("LAST") != std::to_string(iterations)) std::fprintf(stderr, "the loop did not finish\n");
  return double(iterations) * kLinesPerIteration / seconds;
}

// Runs a packaged setup under wine64 and returns the wall time of the process.
double WineSeconds(const std::string& bin, const std::string& folder, long iterations) {
  namespace fs = std::filesystem;
  qv::tools::PackageInput in;
  in.engine = bin + "/quorvane.exe";
  in.archiveComponent = bin + "/zel.lib";
  in.scriptText = qv::script::WriteScript(qv::testing::BuildScript(LoopScript(iterations)));
  fs::create_directories(folder + "/support");
  in.supportFolder = folder + "/support";
  in.outputFolder = folder;
  in.name = "bench" + std::to_string(iterations);
  std::string exe = qv::tools::WritePackage(in).exePath;
  std::string wine = std::getenv("WINE") ? std::getenv("WINE") : "/usr/lib/wine/wine64";
  std::string command = "WINEDEBUG=-all " + wine + " " + exe + " /s";
  auto start = Clock::now();
  int rc = std::system(command.c_str());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (rc != 0) std::fprintf(stderr, "%s exited with %d\n", command.c_str(), rc);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = 200000;
  bool wine = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--wine") wine = true;
    if (a == "--iterations" && i + 1 < argc) iterations = std::atol(argv[++i]);
  }
  const double lines = double(iterations) * kLinesPerIteration;
  double best = 0;
  for (int round = 0; round < 3; ++round) best = std::max(best, HostLinesPerSecond(iterations));
  std::printf("host (simulated platform): %.0f lines, %.2f million lines per second (best of 3)\n", lines,
              best / 1e6);
  if (wine) {
    std::string bin = std::getenv("QV_WIN64_BIN") ? std::getenv("QV_WIN64_BIN") : "build/win64/bin";
    std::string folder = (std::filesystem::temp_directory_path() / "qv-interpreter-bench").string();
    // The difference between a long and a one-iteration run leaves out start-up.
    double base = WineSeconds(bin, folder, 1);
    double full = WineSeconds(bin, folder, iterations);
    std::printf("win64 under wine64: %.0f lines in %.2f s (start-up %.2f s): %.2f million lines per second\n", lines,
                full - base, base, lines / (full - base) / 1e6);
    std::filesystem::remove_all(folder);
  }
  return 0;
}
