#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_test_root.h"

namespace qv::platform::sim {
namespace {

std::string Value(Registry& reg, RegRoot root, const std::string& key, const std::string& name, RegView view) {
  RegValue v;
  return reg.ReadValue(root, key, name, v, view) == kSuccess ? v.AsString() : "<none>";
}

TEST(SimPlatformTest, StartsWithTheFoldersAndKeysOfItsWindows) {
  const std::string kVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  struct Case {
    OsProfile profile;
    std::vector<std::string> folders;
    const char* programFilesDefault;  // ProgramFilesDir in the process's own view
    const char* programFiles64;
  } cases[] = {
      {profiles::Windows98(), {"C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\TEMP"}, "C:\\Program Files", "C:\\Program Files"},
      {profiles::WindowsXpSp3(),
       {"C:\\WINDOWS\\system32", "C:\\Documents and Settings\\User\\Local Settings\\Temp"},
       "C:\\Program Files",
       "C:\\Program Files"},
      {profiles::Windows7Sp1(),
       {"C:\\Windows\\SysWOW64", "C:\\Program Files (x86)\\Common Files", "C:\\Users\\User\\AppData\\Local\\Temp",
        "C:\\ProgramData"},
       "C:\\Program Files (x86)",
       "C:\\Program Files"},
      {profiles::Windows8(Bits::k32), {"C:\\Windows\\System32", "C:\\Users\\Public"}, "C:\\Program Files",
       "C:\\Program Files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.name);
    testing::TempRoot root;
    SimPlatform sim(root.Path(), c.profile);
    for (const auto& folder : c.folders) EXPECT_TRUE(sim.Files().FolderExists(folder)) << folder;
    EXPECT_EQ(sim.Files().FolderExists("C:\\Program Files (x86)"), c.profile.os64);
    EXPECT_TRUE(sim.Files().FolderExists(sim.Sys().TempFolder()));
    EXPECT_EQ(Value(sim.Reg(), RegRoot::LocalMachine, kVersionKey, "ProgramFilesDir", RegView::Default),
              c.programFilesDefault);
    EXPECT_EQ(Value(sim.Reg(), RegRoot::LocalMachine, kVersionKey, "ProgramFilesDir", RegView::Force64),
              c.programFiles64);
  }
  testing::TempRoot root;
  SimPlatform seven(root.Path());
  EXPECT_EQ(Value(seven.Reg(), RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                  "CurrentBuildNumber", RegView::Default),
            "7601");
  EXPECT_EQ(Value(seven.Reg(), RegRoot::CurrentUser,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData", RegView::Default),
            "C:\\Users\\User\\AppData\\Roaming");
  EXPECT_TRUE(seven.Reg().KeyExists(RegRoot::LocalMachine, kVersionKey + "\\Uninstall", RegView::Force64));
}

TEST(SimPlatformTest, RedirectsTheSystemFolderOnlyForA32BitProcessOn64BitWindows) {
  OsProfile native = profiles::Windows7Sp1();
  native.process64 = true;
  struct Case {
    OsProfile profile;
    const char* lands;
  } cases[] = {
      {profiles::Windows7Sp1(), "C/Windows/SysWOW64/qv.dll"},
      {profiles::Windows7Sp1(Bits::k32), "C/Windows/System32/qv.dll"},
      {native, "C/Windows/System32/qv.dll"},
  };
  for (const auto& c : cases) {
    testing::TempRoot root;
    SimPlatform sim(root.Path(), c.profile);
    ASSERT_EQ(sim.Files().WriteWholeFile("C:\\Windows\\System32\\qv.dll", "x"), kSuccess);
    EXPECT_TRUE(root.HostExists(c.lands)) << c.profile.name;
  }
}

TEST(SimPlatformTest, GivesAStandardUserNoRightsOverTheMachine) {
  testing::TempRoot root;
  SimPlatform sim(root.Path(), profiles::Windows7Sp1(Bits::k64, Account::kStandardUser));
  // The machine was set up all the same.
  EXPECT_TRUE(sim.Files().FolderExists("C:\\Program Files (x86)"));
  EXPECT_EQ(sim.Files().CreateFolder("C:\\Program Files (x86)\\App"), kErrorAccessDenied);
  EXPECT_EQ(sim.Files().WriteWholeFile("C:\\Windows\\System32\\x.dll", "x"), kErrorAccessDenied);
  EXPECT_EQ(sim.Reg().CreateKey(RegRoot::LocalMachine, "SOFTWARE\\App", RegView::Default), kErrorAccessDenied);
  EXPECT_EQ(sim.Files().WriteWholeFile(sim.Sys().TempFolder() + "x.tmp", "x"), kSuccess);
  EXPECT_EQ(sim.Reg().CreateKey(RegRoot::CurrentUser, "Software\\App", RegView::Default), kSuccess);

  // The same disk under an elevated administrator.
  sim.SetProfile(profiles::Windows7Sp1());
  EXPECT_EQ(sim.Files().CreateFolder("C:\\Program Files (x86)\\App"), kSuccess);
  EXPECT_EQ(sim.Reg().CreateKey(RegRoot::LocalMachine, "SOFTWARE\\App", RegView::Default), kSuccess);
  EXPECT_TRUE(sim.Reg().KeyExists(RegRoot::CurrentUser, "Software\\App", RegView::Default));
  // An administrator on XP has no elevation to lack.
  sim.SetProfile(profiles::WindowsXpSp3());
  EXPECT_EQ(sim.Files().CreateFolder("C:\\Program Files\\XpApp"), kSuccess);
}

TEST(SimPlatformTest, KeepsTheMachineForTheNextRun) {
  testing::TempRoot root;
  {
    SimPlatform sim(root.Path());
    ASSERT_EQ(sim.Reg().CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Kept", RegView::Default), kSuccess);
    ASSERT_EQ(sim.Files().WriteWholeFile("C:\\kept.txt", "k"), kSuccess);
    ASSERT_EQ(sim.Files().SetAttributes("C:\\kept.txt", attr::kHidden), kSuccess);
    ASSERT_TRUE(sim.SaveRegistry());
    ASSERT_EQ(sim.Reg().CreateKey(RegRoot::LocalMachine, "SOFTWARE\\NotSaved", RegView::Default), kSuccess);
  }
  SimPlatform again(root.Path());
  EXPECT_TRUE(again.Reg().KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Kept", RegView::Default));
  EXPECT_FALSE(again.Reg().KeyExists(RegRoot::LocalMachine, "SOFTWARE\\NotSaved", RegView::Default));
  uint32_t a = 0;
  ASSERT_EQ(again.Files().Attributes("C:\\kept.txt", a), kSuccess);
  EXPECT_EQ(a, attr::kHidden);

  root.PutHostFile("registry.reg", "garbage");
  EXPECT_THROW(SimPlatform broken(root.Path()), std::runtime_error);
}

TEST(SimPlatformTest, LoadsTheArchiveComponentWhenItsFileIsThere) {
  testing::TempRoot root;
  SimPlatform sim(root.Path());
  ErrorCode error = kSuccess;
  EXPECT_FALSE(sim.LoadArchiveComponent("C:\\Setup\\zel.lib", error));
  EXPECT_EQ(error, kErrorModNotFound);

  ASSERT_EQ(sim.Files().CreateFolder("C:\\Setup"), kSuccess);
  ASSERT_EQ(sim.Files().WriteWholeFile("C:\\Setup\\zel.lib", "MZ"), kSuccess);
  auto component = sim.LoadArchiveComponent("c:\\setup\\ZEL.LIB", error);
  EXPECT_TRUE(component);
  EXPECT_EQ(error, kSuccess);

  sim.Faults().Add(FaultRule::LockedFile("*\\zel.lib").Times(1));
  EXPECT_FALSE(sim.LoadArchiveComponent("C:\\Setup\\zel.lib", error));
  EXPECT_EQ(error, kErrorSharingViolation);
  sim.Faults().Add(FaultRule::On(FaultOp::ArchiveLoad, "*", kErrorBadExeFormat));
  EXPECT_FALSE(sim.LoadArchiveComponent("C:\\Setup\\zel.lib", error));
  EXPECT_EQ(error, kErrorBadExeFormat);
  EXPECT_EQ(sim.ErrorText(kErrorAccessDenied), "Access is denied");
}

}  // namespace
}  // namespace qv::platform::sim
