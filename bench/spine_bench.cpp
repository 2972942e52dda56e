// Speed of the engine spine: loading a large script and expanding variable references.
//   qv_bench            prints the median of several rounds of each figure
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "script/script.h"
#include "script/variable_store.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename F>
double Median(int rounds, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    f();
    times.push_back(Seconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A script like a large real one: every line has an id, most have a record of two to
// four parameters, and a tenth carry a source file and a media folder.
std::string LargeScript(int lines) {
  static const char* kNames[] = {"Set Variable", "If", "End", "Comment", "Get System Settings", "Read Registry"};
  qv::script::ScriptSections s;
  for (int i = 0; i < lines; ++i) {
    char id[48];
    std::snprintf(id, sizeof id, "{%08X-1A2B-4C3D-8E9F-%012X}", i * 2654435761u, i);
    std::string name = kNames[i % 6];
    s.commandNames.push_back(name);
    s.commandIds.push_back(id);
    s.lineFlags.push_back(i % 50 == 0 ? "C" : "");
    s.lineMediaFolders.push_back(i % 10 == 0 ? "OFFLINE\\" : "");
    s.sourcePositions.push_back("C:\\Projects\\Large\\setup.zel*" + std::to_string(i));
    if (name == "End") continue;
    s.parameterLines.push_back(id);
    s.parameterLines.push_back("VARIABLE_" + std::to_string(i % 500));
    s.parameterLines.push_back("value with $TITLE$ and $VARIABLE_" + std::to_string(i % 7) + "$ inside");
    if (name == "If") {
      s.parameterLines.push_back("0");
      s.parameterLines.push_back("FALSE");
    }
  }
  s.productCode = "{11111111-2222-3333-4444-555555555555}";
  s.productTitle = "Large";
  s.revisionCode = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  return qv::script::WriteScript(s);
}

}  // namespace

int main() {
  const int kLines = 100000;
  const std::string text = LargeScript(kLines);
  size_t lastLines = 0;
  double load = Median(9, [&] {
    qv::script::Script script = qv::script::LoadScript(text);
    lastLines = script.LineCount();
  });
  std::printf("load script: %zu lines, %.1f MiB of text: %.1f ms (median of 9)\n", lastLines,
              text.size() / 1048576.0, load * 1000);

  {
    qv::script::Script script = qv::script::LoadScript(text);
    const int kLookups = 1000000;
    size_t found = 0;
    double t = Median(5, [&] {
      for (int i = 0; i < kLookups; ++i) found += script.GetParameter(script.CommandId(size_t(i) % kLines), 1).size();
    });
    std::printf("GetParameter: %.1f million lookups per second\n", kLookups / t / 1e6);
  }

  qv::script::VariableStore store;
  for (int i = 0; i < 300; ++i) store.Set("VARIABLE_" + std::to_string(i), "value " + std::to_string(i));
  store.Set("TITLE", "Large Product");
  store.Set("EXEDIR", "C:\\Setup\\");
  store.Set("SETUPPATH", "$EXEDIR$");
  // Ten references per text: plain ones, one through another variable, one unknown.
  const std::string line =
      "$TITLE$ $VARIABLE_1$ $VARIABLE_22$ $variable_133$ $SETUPPATH$data $UNKNOWN$ $VARIABLE_7$ "
      "$VARIABLE_299$ $TITLE$ $VARIABLE_50$";
  const int kTexts = 100000;  // 10 references each (11 with the indirect one): 1,100,000 lookups
  size_t total = 0;
  double expand = Median(5, [&] {
    for (int i = 0; i < kTexts; ++i) total += store.ExpandVariables(line).size();
  });
  const double references = double(kTexts) * 11;
  std::printf("expand: %.0f references in %.1f ms: %.1f million references per second (median of 5)\n",
              references, expand * 1000, references / expand / 1e6);
  return total == 0;
}
