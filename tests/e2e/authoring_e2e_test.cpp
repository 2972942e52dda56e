// Setups written in the source language and built with the builder, run by the engine
// under wine64: what the builder's validation rejects, the engine rejects too (exit
// code 314), and the examples build, run and decompile back to the same script.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/setup_fixture.h"
#include "tools/qvbuild/build_check.h"
#include "tools/qvbuild/decompiler.h"
#include "tools/qvbuild/source_compiler.h"
#include "tools/qvbuild/validation_failure_cases.h"

namespace qv::e2e {
namespace {

using ::testing::HasSubstr;

constexpr int kValidationFailed = 314;
const std::vector<std::pair<std::string, std::string>> kSupport = {{"readme.txt", "support file"}};

std::string Qvbuild() { return HostBin() + "/qvbuild"; }
std::string SourceRoot() { return QV_SOURCE_DIR; }

// The whole exit code of a silent run (the host alone would see 314 as 58).
int64_t WindowsExitCode(const std::string& exe, ProcessResult& run) {
  return Wine::Get().RunForExitCode(exe, {"/s"}, run);
}

TEST(AuthoringE2E, TheEngineRejectsWhatTheBuilderValidationRejects) {
  for (const auto& c : authoring::testdata::ValidationCases()) {
    SCOPED_TRACE(c.what);
    authoring::MemorySourceReader none;
    authoring::CompileOptions options;
    options.revisionCode = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
    auto built = authoring::CompileText(authoring::testdata::kValidationHeader + c.body, "setup.qvs", none, options);
    ASSERT_TRUE(built.Ok());
    bool rejected = !authoring::ValidateCompilation(built).empty();
    EXPECT_EQ(rejected, !c.failures.empty());
    SetupFixture setup;
    setup.Build(built.sections, kSupport);
    ProcessResult r;
    int64_t exitCode = WindowsExitCode(setup.Exe(), r);
    ASSERT_NE(exitCode, -1) << r.output;
    if (rejected)
      EXPECT_EQ(exitCode, kValidationFailed) << r.output;
    else
      EXPECT_NE(exitCode, kValidationFailed) << r.output;
  }
}

TEST(AuthoringE2E, TheBuilderReportsAnInvalidSourceAndBuildsNothing) {
  ScratchFolder scratch;
  WriteHostFile(scratch / "setup.qvs",
                authoring::testdata::kValidationHeader + "Set Variable X 1\nGoTo Label Nowhere\nFrobnicate\n");
  ProcessResult r = RunProcess({Qvbuild(), "build", scratch / "setup.qvs", "--engine", Win64Bin() + "/quorvane.exe",
                                "--out", scratch / "out/demo"},
                               scratch.Path(), 60);
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("setup.qvs:7:1: unknown command \"Frobnicate\""));
  EXPECT_FALSE(HostExists(scratch / "out/demo.exe"));

  WriteHostFile(scratch / "setup.qvs", authoring::testdata::kValidationHeader + "GoTo Label Nowhere\n");
  r = RunProcess({Qvbuild(), "check", scratch / "setup.qvs"}, scratch.Path(), 60);
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("setup.qvs:5: LABEL undefined: Nowhere"));
}

TEST(AuthoringE2E, TheMinimalExampleBuildsRunsAndDecompilesToTheSameScript) {
  ScratchFolder scratch;
  std::string example = SourceRoot() + "/examples/minimal/setup.qvs";
  ProcessResult built = RunProcess({Qvbuild(), "build", example, "--engine", Win64Bin() + "/quorvane.exe", "--zel",
                                    Win64Bin() + "/zel.lib", "--out", scratch / "minimal"},
                                   scratch.Path(), 60);
  ASSERT_EQ(built.exitCode, 0) << built.output;
  ASSERT_TRUE(HostExists(scratch / "minimal.res"));

  ProcessResult run = Wine::Get().Run(scratch / "minimal.exe", {"/s"});
  ASSERT_FALSE(run.timedOut) << run.output;
  EXPECT_EQ(run.exitCode, 0) << run.output;

  ProcessResult decompiled =
      RunProcess({Qvbuild(), "decompile", scratch / "minimal.exe", "-o", scratch / "again.qvs"}, scratch.Path(), 60);
  ASSERT_EQ(decompiled.exitCode, 0) << decompiled.output;
  EXPECT_EQ(decompiled.output, "");
  authoring::DiskSourceReader disk;
  auto again = authoring::CompileSource(scratch / "again.qvs", disk);
  ASSERT_TRUE(again.Ok());
  EXPECT_EQ(script::WriteScript(again.sections),
            script::WriteScript(authoring::ReadSetupScript(ReadHostFile(scratch / "minimal.exe"))));
}

TEST(AuthoringE2E, TheRealisticExamplePassesTheEngineValidation) {
  ScratchFolder scratch;
  ProcessResult built =
      RunProcess({Qvbuild(), "build", SourceRoot() + "/examples/photo-viewer/setup.qvs", "--engine",
                  Win64Bin() + "/quorvane.exe", "--zel", Win64Bin() + "/zel.lib", "--out", scratch / "photo-viewer"},
                 scratch.Path(), 60);
  ASSERT_EQ(built.exitCode, 0) << built.output;
  ProcessResult run;
  int64_t exitCode = WindowsExitCode(scratch / "photo-viewer.exe", run);
  ASSERT_NE(exitCode, -1) << run.output;
  EXPECT_NE(exitCode, kValidationFailed) << run.output;
}

}  // namespace
}  // namespace qv::e2e
