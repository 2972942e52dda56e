// The engine's start-up and finishing stages, run for real under wine64.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/setup_fixture.h"
#include "support/run_trace.h"
#include "support/script_builder.h"

namespace qv::e2e {
namespace {

script::ScriptSections CommentScript() {
  return qv::testing::BuildScript({{"Comment", {"comment 0"}}, {"Comment", {"comment 1"}}});
}

const std::vector<std::pair<std::string, std::string>> kSupport = {
    {"readme.txt", "support file"}, {"forms/welcome.dfm", "object Welcome: TForm end"}};


TEST(StartupE2E, ACompleteRunExitsZeroAndLeavesTheFullTraceAndNoSupportFolder) {
  for (bool silent : {true, false}) {
    SCOPED_TRACE(silent ? "silent" : "with windows");
    SetupFixture setup;
    setup.Build(CommentScript(), kSupport);
    std::vector<std::string> args{SetupFixture::kTraceArg};
    if (silent) args.push_back("/s");
    ProcessResult r = setup.Run(args);
    ASSERT_FALSE(r.timedOut) << r.output;
    EXPECT_EQ(r.exitCode, 0) << r.output;
    std::string bytes = setup.TraceBytes();
    ASSERT_GE(bytes.size(), 2u);
    // UTF-16 little-endian without a byte-order mark: the file starts with "<", 0.
    EXPECT_EQ(bytes.substr(0, 2), std::string("<\0", 2));
    EXPECT_EQ(setup.TraceLines(), qv::testing::FullRunTrace());
    EXPECT_TRUE(setup.SupportFolders().empty());
  }
}

TEST(StartupE2E, ExitCodesOfAMissingScriptAndAMissingOrDamagedSupportArchive) {
  struct Case {
    const char* what;
    int exitCode;
    const char* lastTrace;
  } cases[] = {
      {"no script", 13, "    <StubSize>"},
      {"no support archive", 14, "    <ExtractArchive>"},
      {"damaged support archive", 15, "    <ExtractArchive>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetupFixture setup;
    std::string what = c.what;
    if (what == "no script") setup.Build(std::nullopt, kSupport);
    if (what == "no support archive") setup.Build(CommentScript(), std::nullopt);
    if (what == "damaged support archive") {
      setup.Build(CommentScript(), kSupport);
      std::string res = ReadHostFile(setup.Res());
      WriteHostFile(setup.Res(), res.substr(0, res.size() / 2));
    }
    ProcessResult r = setup.Run({"/S", SetupFixture::kTraceArg});
    ASSERT_FALSE(r.timedOut) << r.output;
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    ASSERT_FALSE(setup.TraceLines().empty());
    EXPECT_EQ(setup.TraceLines().back(), c.lastTrace);
    // These stops end the process at once; the support folder stays behind.
    EXPECT_EQ(setup.SupportFolders(), std::vector<std::string>{"zel1"});
  }
}

TEST(StartupE2E, ASecondEngineTakesTheNextSupportFolder) {
  SetupFixture setup;
  setup.Build(CommentScript(), std::nullopt);
  std::filesystem::create_directories(setup.TempHostPath() + "/zel1");
  ProcessResult r = setup.Run({"-qn"});
  EXPECT_EQ(r.exitCode, 14) << r.output;
  EXPECT_EQ(setup.SupportFolders(), (std::vector<std::string>{"zel1", "zel2"}));
}

TEST(StartupE2E, MessagesAppearOnlyWithoutTheSilentSwitch) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
  SetupFixture setup;
  setup.Build(CommentScript(), std::nullopt);
  {
    Process engine = setup.Start({});
    std::string window = WaitForWindow("Demo - Quorvane Wizard", 60);
    ASSERT_FALSE(window.empty()) << "the message box did not appear";
    PressKey(window, "Return");
    ProcessResult r = engine.Wait(60);
    EXPECT_EQ(r.exitCode, 14) << r.output;
  }
  setup.RemoveSupportFolders();
  // Silent: the same failure ends without any window to answer.
  Process engine = setup.Start({"/s"});
  ProcessResult r = engine.Wait(60);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 14);
  EXPECT_TRUE(FindWindows("Quorvane Wizard").empty());
}

}  // namespace
}  // namespace qv::e2e
