#include "startup/startup.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "support/run_trace.h"
#include "support/sim_setup.h"

namespace qv::startup {
namespace {

using platform::sim::FaultOp;
using platform::sim::FaultRule;
using testing::SimSetup;
namespace profiles = platform::sim::profiles;

constexpr const char* kTemp = "C:\\Users\\User\\AppData\\Local\\Temp\\";

class StartupTest : public ::testing::Test {
 protected:
  int Run(const std::string& arguments = "/l=C:\\trace.log") {
    setup.SetCommandLine(arguments);
    Startup startup(setup.Machine(), store);
    return startup.Run();
  }
  std::vector<std::string> Trace() { return testing::TraceLines(setup.Read("C:\\trace.log")); }
  std::vector<platform::sim::UiRecord> Messages() { return setup.Machine().SimUi().Log(); }
  bool SupportFolderExists(int n) {
    return setup.Machine().Files().FolderExists(std::string(kTemp) + "zel" + std::to_string(n));
  }

  SimSetup setup;
  script::VariableStore store;
};


TEST_F(StartupTest, ACompleteRunTracesEveryStageAndRemovesItsSupportFolder) {
  setup.PutScript(testing::ScriptOf({"Comment", "Comment"}));
  setup.PutSupportArchive({{"readme.txt", "hello"}, {"sub/dialog.dfm", "object"}});
  setup.PutArchiveComponent();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Trace(), testing::FullRunTrace());
  EXPECT_FALSE(SupportFolderExists(1));
  // The registered owner reaches USERNAME (read in the 32-bit view of a 64-bit Windows).
  platform::RegValue owner;
  ASSERT_EQ(setup.Machine().Reg().ReadValue(platform::RegRoot::LocalMachine,
                                            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner",
                                            owner, platform::RegView::Force32),
            platform::kSuccess);
  EXPECT_FALSE(owner.AsString().empty());
  EXPECT_EQ(store.Get("USERNAME"), owner.AsString());
  EXPECT_TRUE(Messages().empty());
  // The temporary copy of the script does not outlive the run either.
  EXPECT_FALSE(setup.Machine().Files().FileExists(std::string(kTemp) + "zel.tmp"));
}

TEST_F(StartupTest, WithoutALogSwitchNoTraceIsWritten) {
  setup.PutScript(testing::ScriptOf({"Comment"}));
  setup.PutSupportArchive({{"a.txt", "a"}});
  setup.PutArchiveComponent();
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_FALSE(setup.Machine().Files().FileExists("C:\\trace.log"));
}

TEST_F(StartupTest, TheLogPathIsLowerCased) {
  setup.PutScript(testing::ScriptOf({"Comment"}));
  setup.PutSupportArchive({{"a.txt", "a"}});
  setup.PutArchiveComponent();
  setup.Machine().Files().CreateFolder("C:\\Logs");
  EXPECT_EQ(Run("/L=C:\\Logs\\Run.LOG"), 0);
  std::vector<platform::DirEntry> entries;
  setup.Machine().Files().ListFolder("C:\\Logs", entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "run.log");
}

struct EarlyExit {
  const char* what;
  int exitCode;
  const char* message;
  const char* caption;
  std::vector<std::string> traceTail;
};

TEST_F(StartupTest, EarlyExitsShowTheirMessageAndLeaveTheSupportFolder) {
  const EarlyExit cases[] = {
      {"no script", kExitNoScript, "For internal use only", "Quorvane Wizard", {"  <SetupSplash>", "    <StubSize>"}},
      {"no support archive", kExitNoSupportArchive, "Setup resource not found", "Demo - Quorvane Wizard",
       {"    </GlobalLists>", "    <ExtractArchive>"}},
      {"damaged support archive", kExitBadSupportArchive, "Setup resource decompression failure",
       "Demo - Quorvane Wizard", {"    </GlobalLists>", "    <ExtractArchive>"}},
      {"no archive component", kExitBadSupportArchive, "Setup resource decompression failure",
       "Demo - Quorvane Wizard", {"    </GlobalLists>", "    <ExtractArchive>"}},
  };
  for (const auto& c : cases) {
    for (bool silent : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (silent ? " silent" : ""));
      SimSetup fresh;
      std::string what = c.what;
      if (what == "no script")
        fresh.PutEngine(nullptr);
      else
        fresh.PutScript(testing::ScriptOf({"Comment"}));
      if (what == "damaged support archive") fresh.Put(SimSetup::kRes, "PK\3\4 not really a zip");
      if (what == "no archive component") fresh.PutSupportArchive({{"a.txt", "a"}});
      if (what != "no archive component") fresh.PutArchiveComponent();
      fresh.SetCommandLine(silent ? "/l=C:\\trace.log /S" : "/l=C:\\trace.log");
      script::VariableStore freshStore;
      EXPECT_EQ(Startup(fresh.Machine(), freshStore).Run(), c.exitCode);
      std::vector<std::string> trace = testing::TraceLines(fresh.Read("C:\\trace.log"));
      ASSERT_GE(trace.size(), 2u);
      EXPECT_EQ(std::vector<std::string>(trace.end() - 2, trace.end()), c.traceTail);
      auto log = fresh.Machine().SimUi().Log();
      if (silent) {
        EXPECT_TRUE(log.empty());
      } else {
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].text, c.message);
        EXPECT_EQ(log[0].caption, c.caption);
        EXPECT_EQ(log[0].style, platform::mb::kOk | platform::mb::kIconError);
      }
      EXPECT_TRUE(fresh.Machine().Files().FolderExists(std::string(kTemp) + "zel1"));
    }
  }
}

TEST_F(StartupTest, ADamagedScriptIsARuntimeErrorThatStillCleansUp) {
  setup.PutEngine(nullptr);
  std::string text = "If\r\nEnd\r\n$\r\n";  // ends after the first section
  setup.PutEngine(&text);
  setup.PutSupportArchive({{"a.txt", "a"}});
  setup.PutArchiveComponent();
  EXPECT_EQ(Run(), kExitStartupError);
  auto log = Messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(text::StartsWithNoCase(log[0].text, "Runtime error in install: The setup script is damaged"))
      << log[0].text;
  std::vector<std::string> trace = Trace();
  EXPECT_EQ(std::vector<std::string>(trace.end() - 4, trace.end()),
            (std::vector<std::string>{"    <GlobalLists>", "  <CachedSupportDir>", "  </CachedSupportDir>",
                                      "</Quorvane>"}));
  EXPECT_FALSE(SupportFolderExists(1));
}

TEST_F(StartupTest, SupportFolderTakesTheFirstFreeNumber) {
  setup.PutScript(testing::ScriptOf({"Comment"}));
  setup.PutArchiveComponent();  // no support archive: the run stops and leaves its folder
  setup.Machine().Files().CreateFolderTree(std::string(kTemp) + "zel1");
  EXPECT_EQ(Run("/s"), kExitNoSupportArchive);
  EXPECT_TRUE(SupportFolderExists(2));
  // Another setup creates zel3 between the test for it and its creation.
  setup.Machine().Faults().Add(
      FaultRule::On(FaultOp::CreateFolder, std::string(kTemp) + "zel3", platform::kErrorAlreadyExists).Times(1));
  EXPECT_EQ(Run("/s"), kExitNoSupportArchive);
  EXPECT_TRUE(SupportFolderExists(4));
}

TEST_F(StartupTest, AnUnusableTempFolderIsAClearStartupError) {
  setup.PutScript(testing::ScriptOf({"Comment"}));
  setup.PutArchiveComponent();
  setup.Machine().Faults().Add(FaultRule::On(FaultOp::CreateFolder, std::string(kTemp) + "zel*",
                                             platform::kErrorAccessDenied));
  EXPECT_EQ(Run(), kExitStartupError);
  auto log = Messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].text.find("Unable to create the support folder"), std::string::npos) << log[0].text;
  EXPECT_EQ(Trace().back(), "</Quorvane>");
}

TEST_F(StartupTest, TheEngineLanguageComesFromTheArchiveComponent) {
  std::string english, german;
  for (int i = 1; i <= EngineMessages::kSlots; ++i) {
    english += "en" + std::to_string(i) + "\r\n";
    german += (i == 2 ? std::string("Setup-Ressource nicht gefunden") : "de" + std::to_string(i)) + "\r\n";
  }
  SimSetup machine(profiles::Windows7Sp1());
  auto profile = machine.Machine().Profile();
  profile.userLanguage = 1031;
  machine.Machine().SetProfile(profile);
  machine.PutScript(testing::ScriptOf({"Comment"}));
  machine.PutArchiveComponent(english + "German\r\n" + german);
  machine.SetCommandLine("");
  script::VariableStore freshStore;
  EXPECT_EQ(Startup(machine.Machine(), freshStore).Run(), kExitNoSupportArchive);
  auto log = machine.Machine().SimUi().Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "Setup-Ressource nicht gefunden");
}

TEST_F(StartupTest, ShellSettingsFollowTheWindowsVersion) {
  struct Case {
    platform::sim::OsProfile profile;
    bool hostApp;
    bool persisted;
  } cases[] = {
      {profiles::Windows7Sp1(), true, false},
      {profiles::Windows8(), true, false},
      {profiles::WindowsVistaSp2(), false, true},
      {profiles::WindowsXpSp3(), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.name);
    SimSetup machine(c.profile);
    machine.PutEngine(nullptr);
    machine.SetCommandLine("/s");
    script::VariableStore freshStore;
    Startup(machine.Machine(), freshStore).Run();
    auto& reg = machine.Machine().Reg();
    platform::RegValue v;
    EXPECT_EQ(reg.ReadValue(platform::RegRoot::ClassesRoot, "Applications\\demo.exe", "IsHostApp", v,
                            platform::RegView::Default) == platform::kSuccess,
              c.hostApp);
    const std::string persisted =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
    bool found = reg.ReadValue(platform::RegRoot::CurrentUser, persisted, SimSetup::kExe, v,
                               platform::RegView::Default) == platform::kSuccess;
    EXPECT_EQ(found, c.persisted);
    if (found) {
      EXPECT_EQ(v.AsDword(), 32u);
    }
  }
}

}  // namespace
}  // namespace qv::startup
