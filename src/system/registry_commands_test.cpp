#include "system/registry_commands.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::system {
namespace {

using platform::RegRoot;
using platform::RegValue;
using platform::RegView;
namespace regtype = platform::regtype;
namespace profiles = platform::sim::profiles;

const std::string kKey = "Software\\Brelmont\\Test";

RegValue Raw(uint32_t type, std::string data) {
  RegValue v;
  v.type = type;
  v.data = std::move(data);
  return v;
}

class RegistryCommandsTest : public ::testing::Test {
 protected:
  explicit RegistryCommandsTest(platform::sim::OsProfile profile = profiles::Default()) : f(profile) {
    RegisterRegistryCommands(f.table);
  }

  platform::Registry& Reg() { return f.Machine().Reg(); }
  void Put(const std::string& name, const RegValue& value, RegRoot root = RegRoot::CurrentUser,
           const std::string& key = kKey, RegView view = RegView::Default) {
    ASSERT_EQ(Reg().CreateKey(root, key, view), platform::kSuccess);
    ASSERT_EQ(Reg().WriteValue(root, key, name, value, view), platform::kSuccess);
  }
  std::string Check(const std::string& key, const std::string& name, const std::string& root = "1") {
    f.Run("Check Registry", {"RESULT", root, key, name});
    return f.store.Get("RESULT");
  }
  std::string Read(const std::string& key, const std::string& name, const std::string& root = "1") {
    f.Run("Read Registry", {"RESULT", root, key, name});
    return f.store.Get("RESULT");
  }

  testing::CommandFixture f;
};

TEST_F(RegistryCommandsTest, ValuesAndMarkersOfCheckAndReadRegistry) {
  Put("text", RegValue::String("some text"));
  Put("", RegValue::String("the default"));
  Put("expand", RegValue::String("%TEMP%\\x", regtype::kExpandSz));
  Put("no terminator", Raw(regtype::kSz, "abc"));
  Put("dword", RegValue::Dword(42));
  Put("minus one", RegValue::Dword(0xFFFFFFFFu));
  Put("qword", RegValue::Qword(7));
  Put("multi", Raw(regtype::kMultiSz, std::string("a\0b\0\0", 5)));
  Put("multi gap", Raw(regtype::kMultiSz, std::string("a\0\0c\0\0", 6)));
  Put("empty multi", Raw(regtype::kMultiSz, std::string("\0", 1)));
  Put("binary", Raw(regtype::kBinary, "\x01\xAB"));
  Put("empty binary", Raw(regtype::kBinary, ""));
  Put("none", Raw(regtype::kNone, "x"));
  Put("looks like a marker", RegValue::String("BINARY$VALUE"));
  ASSERT_EQ(Reg().CreateKey(RegRoot::CurrentUser, kKey + "\\Empty", RegView::Default), platform::kSuccess);
  struct Case {
    std::string key, name, checked, read;
  } cases[] = {
      {"Software\\Brelmont\\Missing", "text", "NO$KEY", ""},
      {kKey + "\\Empty", "text", "NO$VALUE", ""},
      {kKey + "\\Empty", "", "NO$VALUE", ""},
      {kKey, "missing", "NO$VALUE", ""},
      {kKey, "text", "some text", "some text"},
      {kKey, "TEXT", "some text", "some text"},
      {kKey, "", "the default", "the default"},
      {kKey, "expand", "%TEMP%\\x", "%TEMP%\\x"},
      {kKey, "no terminator", "abc", "abc"},
      {kKey, "dword", "42", "42"},
      {kKey, "minus one", "-1", "-1"},
      {kKey, "qword", "UNKNOWN$TYPE", ""},
      {kKey, "none", "UNKNOWN$TYPE", ""},
      {kKey, "multi", "a$NEWLINE$b", "a$NEWLINE$b"},
      {kKey, "multi gap", "a", "a"},
      {kKey, "empty multi", "", ""},
      {kKey, "binary", "01AB", "01AB"},
      {kKey, "empty binary", "", ""},
      {kKey, "looks like a marker", "BINARY$VALUE", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Check(c.key, c.name), c.checked) << c.key << " / " << c.name;
    EXPECT_EQ(Read(c.key, c.name), c.read) << c.key << " / " << c.name;
  }
}

TEST_F(RegistryCommandsTest, PathsAndNamesAreNormalizedAndTheResultIsCreated) {
  Put("path", RegValue::String("found"));
  f.store.Set("SUB", "Brelmont");
  f.store.Set("ROOT", "1");
  f.Run("Check Registry", {"$newvar$", "$ROOT$", "Software\\\\$SUB$\\Test", "path"});
  EXPECT_EQ(f.store.Get("NEWVAR"), "found");
}

TEST_F(RegistryCommandsTest, AFailedReadIsAReadErrorAndANonNumericRootEndsTheRun) {
  Put("locked", RegValue::String("secret"));
  f.Machine().Faults().Add(platform::sim::FaultRule::On(platform::sim::FaultOp::RegRead, "HKCU\\" + kKey + "\\locked",
                                                        platform::kErrorAccessDenied));
  EXPECT_EQ(Check(kKey, "locked"), "READ$ERROR");
  EXPECT_EQ(Read(kKey, "locked"), "");

  EXPECT_NE(f.RunError("Read Registry", {"RESULT", "HKCU", kKey, "locked"}), "");
  EXPECT_NE(f.RunError("Delete Registry", {"one", kKey, "locked", "FALSE"}), "");
  // The scope closed all the same.
  EXPECT_EQ(f.run.registryView, RegView::Force32);
  // A root number the authoring tool never writes reads the current user's registry.
  EXPECT_EQ(Check(kKey, "locked", "9"), "READ$ERROR");
}

TEST_F(RegistryCommandsTest, DeleteRegistryRemovesAValueOrAWholeKeyAndFailsSilently) {
  Put("keep", RegValue::String("k"));
  Put("drop", RegValue::String("d"));
  Put("deep", RegValue::String("x"), RegRoot::CurrentUser, kKey + "\\Sub\\Deeper");
  f.Run("Delete Registry", {"1", kKey, "drop", "FALSE"});
  EXPECT_EQ(Check(kKey, "drop"), "NO$VALUE");
  EXPECT_EQ(Check(kKey, "keep"), "k");
  f.Run("Delete Registry", {"1", "Software\\Brelmont\\Missing", "drop", "FALSE"});
  f.Run("Delete Registry", {"1", kKey, "missing", "FALSE"});

  // A 32-bit target deletes the key with everything below it.
  f.Run("Delete Registry", {"1", kKey + "\\", "", "TRUE"});
  EXPECT_FALSE(Reg().KeyExists(RegRoot::CurrentUser, kKey, RegView::Default));
  EXPECT_TRUE(Reg().KeyExists(RegRoot::CurrentUser, "Software\\Brelmont", RegView::Default));
}

TEST_F(RegistryCommandsTest, AnEmptyKeyPathNeverWipesARoot) {
  Put("keep", RegValue::String("k"));
  f.Run("Delete Registry", {"1", "", "", "TRUE"});
  f.Run("Delete Registry", {"1", "\\", "", "TRUE"});
  EXPECT_EQ(Check(kKey, "keep"), "k");
}

// A 32-bit engine on 64-bit Windows: HKLM\SOFTWARE has a 32-bit and a 64-bit view.
class RegistryViewTest : public RegistryCommandsTest {
 protected:
  RegistryViewTest() {
    Put("which", RegValue::String("64-bit"), RegRoot::LocalMachine, kKey, RegView::Force64);
    Put("which", RegValue::String("32-bit"), RegRoot::LocalMachine, kKey, RegView::Force32);
  }
};

TEST_F(RegistryViewTest, TheTargetPlatformChoosesTheViewAndTheViewReturnsAfterTheCommand) {
  struct Case {
    const char* target;
    const char* seen;
  } cases[] = {{"Win32", "32-bit"}, {"x64", "64-bit"}, {"ia64", "64-bit"}};
  for (const auto& c : cases) {
    f.run.targetPlatform = c.target;
    EXPECT_EQ(Read(kKey, "which", "2"), c.seen) << c.target;
    EXPECT_EQ(f.run.registryView, RegView::Force32) << c.target;
  }
}

TEST_F(RegistryViewTest, DeletingA64BitKeyTakesOnlyAKeyWithoutSubkeys) {
  Put("v", RegValue::String("x"), RegRoot::LocalMachine, kKey + "\\Leaf", RegView::Force64);
  Put("v", RegValue::String("x"), RegRoot::LocalMachine, kKey + "\\Tree\\Sub", RegView::Force64);
  f.run.targetPlatform = "x64";
  f.Run("Delete Registry", {"2", kKey + "\\Leaf", "", "TRUE"});
  f.Run("Delete Registry", {"2", kKey + "\\Tree", "", "TRUE"});
  f.Run("Delete Registry", {"2", "SOFTWARE", "", "TRUE"});
  EXPECT_FALSE(Reg().KeyExists(RegRoot::LocalMachine, kKey + "\\Leaf", RegView::Force64));
  EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, kKey + "\\Tree\\Sub", RegView::Force64));
  EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, "SOFTWARE", RegView::Force64));
  // The 32-bit view was not touched.
  EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, kKey, RegView::Force32));

  f.run.targetPlatform = "Win32";
  f.Run("Delete Registry", {"2", kKey, "", "TRUE"});
  EXPECT_FALSE(Reg().KeyExists(RegRoot::LocalMachine, kKey, RegView::Force32));
  EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, kKey + "\\Tree\\Sub", RegView::Force64));
}

// On 32-bit Windows there is one view, whatever the target.
class RegistryOn32BitWindowsTest : public RegistryCommandsTest {
 protected:
  RegistryOn32BitWindowsTest() : RegistryCommandsTest(profiles::WindowsXpSp3(platform::sim::Bits::k32)) {}
};

TEST_F(RegistryOn32BitWindowsTest, TheViewIsTheDefaultOneBeforeDuringAndAfter) {
  Put("which", RegValue::String("the only"), RegRoot::LocalMachine, kKey);
  for (const char* target : {"Win32", "x64"}) {
    f.run.targetPlatform = target;
    EXPECT_EQ(Read(kKey, "which", "2"), "the only") << target;
    EXPECT_EQ(f.run.registryView, RegView::Default);
  }
  f.run.targetPlatform = "x64";
  f.Run("Delete Registry", {"2", kKey, "", "TRUE"});
  EXPECT_FALSE(Reg().KeyExists(RegRoot::LocalMachine, kKey, RegView::Default));
}

}  // namespace
}  // namespace qv::system
