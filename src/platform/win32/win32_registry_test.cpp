#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace qv::platform::win32 {
namespace {

const std::string kTestRoot = "Software\\QuorvaneTest";

// Deletes a key with everything below it, through the interface under test.
void DeleteKeyTree(Registry& reg, RegRoot root, const std::string& key, RegView view) {
  std::vector<std::string> subKeys;
  if (reg.ListSubKeys(root, key, subKeys, view) != kSuccess) return;
  for (const auto& sub : subKeys) DeleteKeyTree(reg, root, key + "\\" + sub, view);
  reg.DeleteKey(root, key, view);
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = kTestRoot + "\\" + std::to_string(GetCurrentProcessId());
    DeleteKeyTree(reg_, RegRoot::CurrentUser, key_, RegView::Default);
    ASSERT_EQ(reg_.CreateKey(RegRoot::CurrentUser, key_, RegView::Default), kSuccess);
  }
  void TearDown() override {
    DeleteKeyTree(reg_, RegRoot::CurrentUser, key_, RegView::Default);
    reg_.DeleteKey(RegRoot::CurrentUser, kTestRoot, RegView::Default);  // when no other run uses it
  }

  Win32Registry reg_;
  std::string key_;
};

RegValue Raw(uint32_t type, std::string data) {
  RegValue v;
  v.type = type;
  v.data = std::move(data);
  return v;
}

TEST_F(Win32RegistryTest, ValuesOfEachTypeRoundTrip) {
  struct Case {
    const char* name;
    RegValue value;
  } cases[] = {
      {"string", RegValue::String("some text")},
      {"", RegValue::String("the default value")},
      {"empty string", RegValue::String("")},
      {"ansi string", RegValue::String("caf\xE9")},
      {"expandable", RegValue::String("%TEMP%\\x", regtype::kExpandSz)},
      {"dword", RegValue::Dword(0xFFFFFFFEu)},
      {"qword", RegValue::Qword(0x0123456789ABCDEFull)},
      {"binary", Raw(regtype::kBinary, std::string("\x00\x01\xFF\x00", 4))},
      {"empty binary", Raw(regtype::kBinary, "")},
      {"multi", Raw(regtype::kMultiSz, std::string("one\0two\0\0", 9))},
      // Larger than any first guess of a buffer.
      {"long", RegValue::String(std::string(100000, 'L'))},
  };
  for (const auto& c : cases)
    ASSERT_EQ(reg_.WriteValue(RegRoot::CurrentUser, key_, c.name, c.value, RegView::Default), kSuccess) << c.name;
  for (const auto& c : cases) {
    RegValue read;
    ASSERT_EQ(reg_.ReadValue(RegRoot::CurrentUser, key_, c.name, read, RegView::Default), kSuccess) << c.name;
    EXPECT_EQ(read.type, c.value.type) << c.name;
    EXPECT_EQ(read.data, c.value.data) << c.name;
  }
  std::vector<std::string> names;
  ASSERT_EQ(reg_.ListValues(RegRoot::CurrentUser, key_, names, RegView::Default), kSuccess);
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected;
  for (const auto& c : cases) expected.push_back(c.name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);

  ASSERT_EQ(reg_.DeleteValue(RegRoot::CurrentUser, key_, "dword", RegView::Default), kSuccess);
  RegValue gone;
  EXPECT_EQ(reg_.ReadValue(RegRoot::CurrentUser, key_, "dword", gone, RegView::Default), kErrorFileNotFound);
  EXPECT_TRUE(gone.data.empty());
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesGiveFileNotFound) {
  const std::string missing = key_ + "\\missing";
  RegValue v;
  std::vector<std::string> names;
  struct Case {
    const char* what;
    ErrorCode got;
  } cases[] = {
      {"read from a missing key", reg_.ReadValue(RegRoot::CurrentUser, missing, "x", v, RegView::Default)},
      {"read a missing value", reg_.ReadValue(RegRoot::CurrentUser, key_, "missing", v, RegView::Default)},
      {"write into a missing key",
       reg_.WriteValue(RegRoot::CurrentUser, missing, "x", RegValue::Dword(1), RegView::Default)},
      {"delete a missing value", reg_.DeleteValue(RegRoot::CurrentUser, key_, "missing", RegView::Default)},
      {"delete a missing key", reg_.DeleteKey(RegRoot::CurrentUser, missing, RegView::Default)},
      {"list a missing key", reg_.ListSubKeys(RegRoot::CurrentUser, missing, names, RegView::Default)},
      {"list values of a missing key", reg_.ListValues(RegRoot::CurrentUser, missing, names, RegView::Default)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, kErrorFileNotFound) << c.what;
  EXPECT_FALSE(reg_.KeyExists(RegRoot::CurrentUser, missing, RegView::Default));
}

TEST_F(Win32RegistryTest, CreatesParentsAndDeletesOnlyLeafKeys) {
  const std::string a = key_ + "\\a", b = a + "\\b", c = b + "\\c";
  ASSERT_EQ(reg_.CreateKey(RegRoot::CurrentUser, c, RegView::Default), kSuccess);
  EXPECT_EQ(reg_.CreateKey(RegRoot::CurrentUser, c, RegView::Default), kSuccess);  // opens the existing one
  ASSERT_EQ(reg_.CreateKey(RegRoot::CurrentUser, a + "\\b2", RegView::Default), kSuccess);
  std::vector<std::string> names;
  ASSERT_EQ(reg_.ListSubKeys(RegRoot::CurrentUser, a, names, RegView::Default), kSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"b", "b2"}));

  EXPECT_NE(reg_.DeleteKey(RegRoot::CurrentUser, b, RegView::Default), kSuccess);
  EXPECT_TRUE(reg_.KeyExists(RegRoot::CurrentUser, c, RegView::Default));
  EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, c, RegView::Default), kSuccess);
  EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, b, RegView::Default), kSuccess);
  EXPECT_FALSE(reg_.KeyExists(RegRoot::CurrentUser, b, RegView::Default));
  EXPECT_TRUE(reg_.KeyExists(RegRoot::CurrentUser, a, RegView::Default));
}

// Texts with a zero inside, and the root itself, would reach the system as other names.
TEST_F(Win32RegistryTest, RefusesNamesThatTheSystemWouldCutShort) {
  std::string cut("v\0w", 3);
  EXPECT_EQ(reg_.WriteValue(RegRoot::CurrentUser, key_, cut, RegValue::Dword(1), RegView::Default),
            kErrorInvalidParameter);
  RegValue v;
  EXPECT_EQ(reg_.ReadValue(RegRoot::CurrentUser, key_, "v", v, RegView::Default), kErrorFileNotFound);
  EXPECT_EQ(reg_.CreateKey(RegRoot::CurrentUser, key_ + std::string("\0x", 2), RegView::Default),
            kErrorInvalidParameter);
  EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, key_ + std::string("\0x", 2), RegView::Default),
            kErrorInvalidParameter);
  EXPECT_TRUE(reg_.KeyExists(RegRoot::CurrentUser, key_, RegView::Default));
  EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, "", RegView::Default), kErrorInvalidParameter);
  EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, "\\", RegView::Default), kErrorInvalidParameter);
}

// HKEY_CURRENT_USER\Software is one key in both views.
TEST_F(Win32RegistryTest, CurrentUserSoftwareIsSharedByBothViews) {
  for (RegView view : {RegView::Force32, RegView::Force64}) {
    const std::string key = key_ + (view == RegView::Force32 ? "\\v32" : "\\v64");
    ASSERT_EQ(reg_.CreateKey(RegRoot::CurrentUser, key, view), kSuccess);
    ASSERT_EQ(reg_.WriteValue(RegRoot::CurrentUser, key, "n", RegValue::Dword(32), view), kSuccess);
    for (RegView other : {RegView::Default, RegView::Force32, RegView::Force64}) {
      RegValue v;
      EXPECT_EQ(reg_.ReadValue(RegRoot::CurrentUser, key, "n", v, other), kSuccess);
      EXPECT_EQ(v.AsDword(), 32u);
    }
    EXPECT_EQ(reg_.DeleteKey(RegRoot::CurrentUser, key, view), kSuccess);
  }
}

// Under HKEY_LOCAL_MACHINE\Software the 32-bit view is the Wow6432Node key of the 64-bit
// one: the view flags must reach every call, deleting included.
TEST_F(Win32RegistryTest, LocalMachineSoftwareIsSplitByView) {
  const std::string name = "QuorvaneTest" + std::to_string(GetCurrentProcessId());
  const std::string key = "Software\\" + name;
  ErrorCode e = reg_.CreateKey(RegRoot::LocalMachine, key, RegView::Force32);
  if (e == kErrorAccessDenied) GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable";
  ASSERT_EQ(e, kSuccess);
  EXPECT_EQ(reg_.WriteValue(RegRoot::LocalMachine, key, "bits", RegValue::Dword(32), RegView::Force32), kSuccess);
  EXPECT_TRUE(reg_.KeyExists(RegRoot::LocalMachine, "Software\\Wow6432Node\\" + name, RegView::Force64));
  EXPECT_FALSE(reg_.KeyExists(RegRoot::LocalMachine, key, RegView::Force64));
  RegValue v;
  EXPECT_EQ(reg_.ReadValue(RegRoot::LocalMachine, key, "bits", v, RegView::Force64), kErrorFileNotFound);
  EXPECT_EQ(reg_.ReadValue(RegRoot::LocalMachine, key, "bits", v, RegView::Force32), kSuccess);
  std::vector<std::string> names;
  EXPECT_EQ(reg_.ListValues(RegRoot::LocalMachine, key, names, RegView::Force32), kSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"bits"});

  EXPECT_EQ(reg_.DeleteKey(RegRoot::LocalMachine, key, RegView::Force64), kErrorFileNotFound);
  EXPECT_EQ(reg_.DeleteKey(RegRoot::LocalMachine, key, RegView::Force32), kSuccess);
  EXPECT_FALSE(reg_.KeyExists(RegRoot::LocalMachine, "Software\\Wow6432Node\\" + name, RegView::Force64));
}

}  // namespace
}  // namespace qv::platform::win32
