#include "script/system_command_scope.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"

namespace qv::script {
namespace {

using platform::RegView;
namespace sim = platform::sim;

// A 32-bit engine on a simulated Windows, with a file only the native System32 holds.
class SystemCommandScopeTest : public ::testing::Test {
 protected:
  void Boot(sim::OsProfile profile) {
    machine_ = std::make_unique<sim::SimPlatform>(root_.Path(), profile);
    sim::SimFileSystem& files = machine_->SimFiles();
    bool redirection = files.SetRedirection(false);
    ASSERT_EQ(files.WriteWholeFile("C:\\Windows\\System32\\native.dll", "64"), platform::kSuccess);
    files.SetRedirection(redirection);
    view_ = ViewBetweenCommands(*machine_);
  }
  bool SeesNativeSystem32() { return machine_->Files().FileExists("C:\\Windows\\System32\\native.dll"); }
  bool RedirectionOn() { return machine_->SimFiles().RedirectionEnabled(); }

  sim::testing::TempRoot root_;
  std::unique_ptr<sim::SimPlatform> machine_;
  RegView view_ = RegView::Default;
};

TEST_F(SystemCommandScopeTest, SetsViewAndRedirectionFromTheTargetPlatform) {
  struct Case {
    sim::OsProfile profile;
    const char* target;
    ScopeSteps steps;
    RegView between, inside;
    bool redirectionOff;
  } cases[] = {
      {sim::profiles::Windows7Sp1(), "x64", ScopeSteps::kViewThenRedirection, RegView::Force32, RegView::Force64, true},
      {sim::profiles::Windows7Sp1(), "ia64", ScopeSteps::kRedirectionThenView, RegView::Force32, RegView::Force64, true},
      {sim::profiles::Windows7Sp1(), "Win32", ScopeSteps::kViewThenRedirection, RegView::Force32, RegView::Force32, false},
      {sim::profiles::Windows7Sp1(), "x64", ScopeSteps::kRedirectionOnly, RegView::Force32, RegView::Force32, true},
      {sim::profiles::Windows7Sp1(), "x64", ScopeSteps::kViewOnly, RegView::Force32, RegView::Force64, false},
      {sim::profiles::WindowsXpSp3(sim::Bits::k64), "x64", ScopeSteps::kViewThenRedirection, RegView::Force32,
       RegView::Force64, true},
      // 32-bit Windows has one view and no redirection, whatever the target.
      {sim::profiles::Windows7Sp1(sim::Bits::k32), "x64", ScopeSteps::kViewThenRedirection, RegView::Default,
       RegView::Default, false},
      {sim::profiles::Windows98(), "Win32", ScopeSteps::kRedirectionThenView, RegView::Default, RegView::Default,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.name + " " + c.target);
    Boot(c.profile);
    EXPECT_EQ(view_, c.between);
    bool seenBefore = SeesNativeSystem32();
    {
      SystemCommandScope scope(*machine_, c.target, view_, c.steps);
      EXPECT_EQ(view_, c.inside);
      EXPECT_EQ(scope.TurnedRedirectionOff(), c.redirectionOff);
      EXPECT_EQ(RedirectionOn(), !c.redirectionOff);
      if (c.redirectionOff) {
        EXPECT_TRUE(SeesNativeSystem32());
      }
    }
    EXPECT_EQ(view_, c.between);
    EXPECT_TRUE(RedirectionOn());
    EXPECT_EQ(SeesNativeSystem32(), seenBefore);
    machine_.reset();
  }
}

// The registry-only scope leaves redirection alone, the files-only scope the view.
TEST_F(SystemCommandScopeTest, TakesOnlyTheStepsItIsAskedFor) {
  Boot(sim::profiles::Windows7Sp1());
  view_ = RegView::Default;  // whatever a caller left there
  { SystemCommandScope files(*machine_, "x64", view_, ScopeSteps::kRedirectionOnly); }
  EXPECT_EQ(view_, RegView::Default);
  uintptr_t token = 0;
  ASSERT_TRUE(machine_->Files().DisableRedirection(token));
  { SystemCommandScope registry(*machine_, "x64", view_, ScopeSteps::kViewOnly); }
  EXPECT_EQ(view_, RegView::Force32);
  EXPECT_FALSE(RedirectionOn());
  machine_->Files().RevertRedirection(token);
}

TEST_F(SystemCommandScopeTest, RestoresBothWhenTheCommandThrows) {
  Boot(sim::profiles::Windows7Sp1());
  try {
    SystemCommandScope scope(*machine_, "x64", view_);
    ASSERT_FALSE(RedirectionOn());
    throw std::runtime_error("conversion failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(view_, RegView::Force32);
  EXPECT_TRUE(RedirectionOn());
  EXPECT_FALSE(SeesNativeSystem32());
}

// A scope inside another leaves redirection to the outer one, which alone turns it back.
TEST_F(SystemCommandScopeTest, NestedScopesLeaveRedirectionToTheOuterOne) {
  Boot(sim::profiles::Windows7Sp1());
  {
    SystemCommandScope outer(*machine_, "x64", view_, ScopeSteps::kRedirectionThenView);
    EXPECT_TRUE(outer.TurnedRedirectionOff());
    {
      SystemCommandScope inner(*machine_, "x64", view_);
      EXPECT_FALSE(inner.TurnedRedirectionOff());
    }
    EXPECT_FALSE(RedirectionOn());
    EXPECT_TRUE(SeesNativeSystem32());
  }
  EXPECT_TRUE(RedirectionOn());
  // Closed, the next scope turns it off again.
  SystemCommandScope next(*machine_, "x64", view_);
  EXPECT_TRUE(next.TurnedRedirectionOff());
}

// Redirection belongs to each thread: a worker's scope works while the interpreter's
// thread has one open, and changes nothing for the interpreter's thread.
TEST_F(SystemCommandScopeTest, AWorkerThreadTurnsRedirectionOffForItself) {
  Boot(sim::profiles::Windows7Sp1());
  SystemCommandScope main(*machine_, "x64", view_);
  RegView workerView = ViewBetweenCommands(*machine_);
  bool workerTurnedOff = false, workerSaw = false, workerOnAfter = false;
  std::thread worker([&] {
    {
      SystemCommandScope scope(*machine_, "x64", workerView, ScopeSteps::kRedirectionOnly);
      workerTurnedOff = scope.TurnedRedirectionOff();
      workerSaw = SeesNativeSystem32();
    }
    workerOnAfter = RedirectionOn();
  });
  worker.join();
  EXPECT_TRUE(workerTurnedOff);
  EXPECT_TRUE(workerSaw);
  EXPECT_TRUE(workerOnAfter);
  EXPECT_FALSE(RedirectionOn());
  EXPECT_TRUE(SeesNativeSystem32());
}

}  // namespace
}  // namespace qv::script
