// The engine's start-up and finishing stages, run for real under wine64.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/setup_fixture.h"

namespace qv::e2e {
namespace {

script::ScriptSections CommentScript() {
  script::ScriptSections s;
  for (int i = 0; i < 2; ++i) {
    s.commandNames.push_back("Comment");
    s.commandIds.push_back("{6F1D2C4A-0000-4000-8000-00000000000" + std::to_string(i) + "}");
    s.parameterLines.push_back(s.commandIds.back());
    s.parameterLines.push_back("comment " + std::to_string(i));
    s.lineFlags.push_back("");
    s.lineMediaFolders.push_back("");
    s.sourcePositions.push_back("C:\\Projects\\demo.zel*" + std::to_string(i));
  }
  s.productCode = "{0B8A5E1F-3C2D-4E6F-8A9B-1C2D3E4F5A6B}";
  s.productTitle = "Demo";
  s.details.version = "1.0.0.0";
  s.revisionCode = "{9E8D7C6B-5A4F-4E3D-2C1B-0A9F8E7D6C5B}";
  s.defaultLanguage = "English";
  return s;
}

const std::vector<std::pair<std::string, std::string>> kSupport = {
    {"readme.txt", "support file"}, {"forms/welcome.dfm", "object Welcome: TForm end"}};

const std::vector<std::string> kFullRun = {
    "<Quorvane>",          "    <SupportDir>",    "    </SupportDir>",     "  <SetupSplash>",
    "    <StubSize>",      "    </StubSize>",     "    <StubData>",        "    </StubData>",
    "    <GlobalLists>",   "    </GlobalLists>",  "    <ExtractArchive>",  "    </ExtractArchive>",
    "    <ResourcePath>",  "    </ResourcePath>", "    <Dialogs>",         "    </Dialogs>",
    "  </SetupSplash>",    "  <RunScript>",       "    <Variables>",       "    </Variables>",
    "    <CompileScript>", "    </CompileScript>", "    <BootStrap>",       "    </BootStrap>",
    "    <korv>",          "    </korv>",          "    <ExitScript>",      "    </ExitScript>",
    "  </RunScript>",      "  <Free>",
    "  </Free>",           "  <CachedSupportDir>", "  </CachedSupportDir>", "</Quorvane>",
};

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
    EXPECT_EQ(setup.TraceLines(), kFullRun);
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
