// The interpreter run for real under wine64, with setups written in the source language
// (tests/e2e/setups/*.qvs): a script that checks the control flow and string commands
// from the inside, a runtime error, and a single-instance setup started twice.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/setup_fixture.h"
#include "tools/qvbuild/source_compiler.h"

namespace qv::e2e {
namespace {

const std::vector<std::pair<std::string, std::string>> kSupport = {{"readme.txt", "support file"}};

script::ScriptSections Compile(const std::string& name) {
  authoring::DiskSourceReader disk;
  auto built = authoring::CompileSource(std::string(QV_SOURCE_DIR) + "/tests/e2e/setups/" + name, disk);
  EXPECT_TRUE(built.Ok()) << name;
  return built.sections;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(InterpreterE2E, ControlFlowAndStringCommandsHoldFromTheInside) {
  SetupFixture setup;
  setup.Build(Compile("control_flow.qvs"), kSupport);
  ProcessResult r = setup.Run({"/s", SetupFixture::kTraceArg});
  ASSERT_FALSE(r.timedOut) << r.output;
  // 100: every check held; any other number is the check that failed.
  EXPECT_EQ(r.exitCode, 100) << r.output;
  std::vector<std::string> trace = setup.TraceLines();
  EXPECT_TRUE(Contains(trace, "    </korv>"));
  EXPECT_EQ(trace.back(), "</Quorvane>");
}

TEST(InterpreterE2E, ARuntimeErrorInSilentModeEndsTheRunWithoutClosingTheLineLoop) {
  SetupFixture setup;
  setup.Build(Compile("runtime_error.qvs"), kSupport);
  ProcessResult r = setup.Run({"/s", SetupFixture::kTraceArg});
  ASSERT_FALSE(r.timedOut) << r.output;
  // The exit code stays as it was: the Terminate line after the error never ran.
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> trace = setup.TraceLines();
  EXPECT_TRUE(Contains(trace, "    <korv>"));
  EXPECT_FALSE(Contains(trace, "    </korv>"));
  EXPECT_FALSE(Contains(trace, "    <ExitScript>"));
  EXPECT_EQ(trace.back(), "</Quorvane>");
  EXPECT_TRUE(setup.SupportFolders().empty());
}

TEST(InterpreterE2E, ARuntimeErrorShowsTheSourceFileAndLine) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
  SetupFixture setup;
  setup.Build(Compile("runtime_error.qvs"), kSupport);
  Process engine = setup.Start({});
  std::string window = WaitForWindow("Runtime Error - Quorvane Wizard", 60);
  ASSERT_FALSE(window.empty()) << "no runtime error message appeared";
  PressKey(window, "Return");
  EXPECT_EQ(engine.Wait(60).exitCode, 0);
}

TEST(InterpreterE2E, ASecondRunOfASingleInstanceSetupEndsAtOnce) {
  SetupFixture setup;
  setup.Build(Compile("single_instance.qvs"), kSupport);
  const std::string marker =
      setup.TempHostPath() + "/{5B7D9F1A-4E6C-4D8B-8F2A-6C8E0A2B4D6F}.zel";
  std::filesystem::remove(marker);
  // The first run loops long enough for the second to start while it holds the marker.
  Process first = setup.Start({"/s", "N=400000", "/l=C:\\qv-e2e\\first.log"});
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!HostExists(marker) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(HostExists(marker)) << "the first run did not create its marker";
  ProcessResult second = setup.Run({"/s", "N=1", SetupFixture::kTraceArg});
  EXPECT_EQ(second.exitCode, 0) << second.output;
  std::vector<std::string> trace = setup.TraceLines();
  EXPECT_TRUE(Contains(trace, "    </BootStrap>"));
  EXPECT_FALSE(Contains(trace, "    <korv>"));  // not a line ran
  EXPECT_EQ(trace.back(), "</Quorvane>");
  ProcessResult r = first.Wait(300);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 5) << r.output;
  EXPECT_FALSE(HostExists(marker));  // the first run deleted it at its exit stage
}

}  // namespace
}  // namespace qv::e2e
