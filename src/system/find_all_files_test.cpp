#include "system/find_all_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "support/command_fixture.h"

namespace qv::system {
namespace {

class FindAllFilesTest : public ::testing::Test {
 protected:
  FindAllFilesTest() {
    RegisterFindAllFiles(f.table);
    for (const char* folder : {"C:\\Data\\Sub1\\Inner", "C:\\Data\\Sub2", "C:\\Data\\With Space"})
      Files().CreateFolderTree(folder);
    for (const char* file :
         {"C:\\Data\\a.txt", "C:\\Data\\b.log", "C:\\Data\\Sub1\\x.txt", "C:\\Data\\With Space\\y.txt"})
      Files().WriteWholeFile(file, "x");
  }

  platform::sim::SimFileSystem& Files() { return f.Machine().SimFiles(); }
  std::string Find(const std::string& pattern, const char* recurse, const char* folders) {
    f.Run("Find All Files", {pattern, recurse, folders, "FOUND"});
    return f.store.Get("FOUND");
  }

  testing::CommandFixture f;
};

TEST_F(FindAllFilesTest, ListsEachSubfolderAfterItsContentsAndEmptySubfoldersToo) {
  struct Case {
    const char* recurse;
    const char* folders;
    const char* expected;
  } cases[] = {
      {"TRUE", "TRUE",
       "C:\\Data\\Sub1\\Inner|C:\\Data\\Sub1\\x.txt|C:\\Data\\Sub1|C:\\Data\\Sub2|\"C:\\Data\\With Space\\y.txt\"|"
       "\"C:\\Data\\With Space\"|C:\\Data\\a.txt"},
      {"TRUE", "FALSE", "C:\\Data\\Sub1\\x.txt|\"C:\\Data\\With Space\\y.txt\"|C:\\Data\\a.txt"},
      {"FALSE", "TRUE", "C:\\Data\\Sub1|C:\\Data\\Sub2|\"C:\\Data\\With Space\"|C:\\Data\\a.txt"},
      {"FALSE", "FALSE", "C:\\Data\\a.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Find("C:\\Data\\*.txt", c.recurse, c.folders), c.expected) << c.recurse << " " << c.folders;
  EXPECT_EQ(Find("C:\\Missing\\*.*", "TRUE", "TRUE"), "");
  EXPECT_EQ(Find("C:\\Data\\*.none", "FALSE", "FALSE"), "");
}

TEST_F(FindAllFilesTest, TheWorkerReportsFoldersAsPositionAndFilesAsText) {
  f.store.Set("KORV_LastDelegateTick", "0");
  Find("C:\\Data\\*.txt", "TRUE", "FALSE");
  // Data, Sub1, Inner, Sub2, With Space.
  EXPECT_EQ(f.store.Get("KORV_thProgress"), "5");
  EXPECT_EQ(f.store.Get("KORV_thMax"), "100");
  EXPECT_EQ(f.store.Get("KORV_thProgressText"), "C:\\Data\\a.txt");
  EXPECT_NE(f.store.Get("KORV_LastDelegateTick"), "0");
}

TEST_F(FindAllFilesTest, TheWorkerSeesTheNativeSystemFolderForA64BitTarget) {
  const bool wasOn = Files().SetRedirection(false);
  Files().WriteWholeFile("C:\\Windows\\System32\\native.txt", "x");
  Files().WriteWholeFile("C:\\Windows\\SysWOW64\\wow.txt", "x");
  Files().SetRedirection(wasOn);
  f.run.targetPlatform = "x64";
  EXPECT_EQ(Find("C:\\Windows\\System32\\*.txt", "FALSE", "FALSE"), "C:\\Windows\\System32\\native.txt");
  f.run.targetPlatform = "Win32";
  EXPECT_EQ(Find("C:\\Windows\\System32\\*.txt", "FALSE", "FALSE"), "C:\\Windows\\System32\\wow.txt");
}

TEST_F(FindAllFilesTest, ACancelShowsSetupCancelledAndEitherAbortsOrMarksTheSetup) {
  f.store.Set("KORV_IsCancelled", "TRUE");
  f.store.Set("ABORTONERROR", "FALSE");
  f.store.Set("ABORTEDONERROR", "FALSE");
  f.store.Set("FOUND", "before");
  Find("C:\\Data\\*.txt", "TRUE", "TRUE");
  EXPECT_EQ(f.store.Get("ABORTEDONERROR"), "TRUE");
  EXPECT_NE(f.store.Get("FOUND"), "before");  // what was found up to the cancel
  EXPECT_FALSE(f.run.leaveLoop);
  auto log = f.Machine().SimUi().Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "Setup cancelled");
  EXPECT_EQ(log[0].style, platform::mb::kOk | platform::mb::kIconError);

  // Already marked: no second message.
  Find("C:\\Data\\*.txt", "TRUE", "TRUE");
  EXPECT_EQ(f.Machine().SimUi().Log().size(), 1u);

  // With ABORTONERROR the run ends here and the result stays as it was.
  f.store.Set("ABORTONERROR", "TRUE");
  f.store.Set("ABORTEDONERROR", "FALSE");
  f.store.Set("FOUND", "before");
  Find("C:\\Data\\*.txt", "TRUE", "TRUE");
  EXPECT_TRUE(f.run.leaveLoop);
  EXPECT_EQ(f.store.Get("FOUND"), "before");
  EXPECT_EQ(f.Machine().SimUi().Log().size(), 2u);
}

TEST_F(FindAllFilesTest, ASilentSetupShowsNoMessage) {
  f.SetCommandLine("/s");
  f.store.Set("KORV_IsCancelled", "TRUE");
  f.store.Set("ABORTONERROR", "FALSE");
  Find("C:\\Data\\*.txt", "TRUE", "TRUE");
  EXPECT_TRUE(f.Machine().SimUi().Log().empty());
  EXPECT_EQ(f.store.Get("ABORTEDONERROR"), "TRUE");
}

TEST(DelimitedTextTest, QuotesWhatWouldBreakTheList) {
  struct Case {
    std::vector<std::string> entries;
    const char* expected;
  } cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a||b"},
      {{"C:\\a b"}, "\"C:\\a b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x|y", "tab\tz"}, "\"x|y\"|\"tab\tz\""},
      {{"caf\xE9"}, "caf\xE9"},
  };
  for (const auto& c : cases) EXPECT_EQ(DelimitedText(c.entries), c.expected) << c.expected;
}

// A file system whose search of one folder does not come back until the test lets it.
class StuckFiles final : public platform::sim::SimFileSystem {
 public:
  using SimFileSystem::SimFileSystem;

  platform::ErrorCode FindFiles(const std::string& pattern, std::vector<platform::DirEntry>& entries) override {
    if (pattern.find("\\Stuck\\") != std::string::npos) {
      std::unique_lock lock(mutex_);
      stuck_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_; });
    }
    return SimFileSystem::FindFiles(pattern, entries);
  }

  void WaitUntilStuck() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stuck_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stuck_ = false;
  bool released_ = false;
};

class FindAllFilesWatchdogTest : public ::testing::Test {
 protected:
  FindAllFilesWatchdogTest() : files(stuckRoot.Path(), nullptr) {
    files.CreateFolderTree("C:\\Tree\\A");
    files.CreateFolderTree("C:\\Tree\\Stuck");
    files.WriteWholeFile("C:\\Tree\\A\\first.txt", "x");
    f.Machine().SimSys().Clock().Freeze();
    f.store.Set("KORV_IsCancelled", "FALSE");
    f.store.Set("KORV_LastActiveTick", "never");
  }

  // Runs the search with a cancel once the worker is stuck; the clock moves a second at
  // a time until the wait is over.
  FindAllFilesOutcome RunAndCancel(bool releaseAfterCancel) {
    std::atomic<bool> over{false};
    std::thread user([&] {
      files.WaitUntilStuck();
      f.store.SetVariable("KORV_IsCancelled", "TRUE", "test");
      // The waiting loop has seen the cancel once it copied the last report's tick.
      while (f.store.Get("KORV_LastActiveTick") == "never") std::this_thread::yield();
      if (releaseAfterCancel) files.Release();
      while (!over) {
        f.Machine().SimSys().Clock().Advance(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    FindAllFilesOutcome outcome =
        RunFindAllFiles(f.Machine(), files, f.store, {"C:\\Tree\\*.*", true, true}, "Win32", false);
    over = true;
    user.join();
    return outcome;
  }

  testing::CommandFixture f;
  platform::sim::testing::TempRoot stuckRoot;
  StuckFiles files;
};

TEST_F(FindAllFilesWatchdogTest, AWorkerThatStopsByItselfKeepsWhatItFound) {
  FindAllFilesOutcome outcome = RunAndCancel(true);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_FALSE(outcome.givenUp);
  // The folder it was in when the cancel came is listed; nothing after it.
  EXPECT_EQ(outcome.found, (std::vector<std::string>{"C:\\Tree\\A\\first.txt", "C:\\Tree\\A", "C:\\Tree\\Stuck"}));
  EXPECT_GT(f.Machine().SimUi().MessagePumps(), 0u);
}

TEST_F(FindAllFilesWatchdogTest, AWorkerThatHangsAfterACancelIsGivenUp) {
  FindAllFilesOutcome outcome = RunAndCancel(false);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_TRUE(outcome.givenUp);
  EXPECT_TRUE(outcome.found.empty());
  // Let the given-up worker end before the machine goes.
  files.Release();
  outcome.waitForGivenUpWorker();
}

}  // namespace
}  // namespace qv::system
