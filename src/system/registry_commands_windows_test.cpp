// The values "Check Registry" gives, read from the real registry: the types as the
// system stores them, read through the registry access layer.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_registry.h"
#include "system/registry_commands.h"

namespace qv::system {
namespace {

using platform::RegRoot;
using platform::RegView;

class RegistryValueTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = "Software\\QuorvaneTest\\Values" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(access_.WriteString(RegRoot::CurrentUser, key_, "text", "some text"));
  }
  void TearDown() override {
    access_.DeleteKey(RegRoot::CurrentUser, key_ + "\\Empty");
    access_.DeleteKey(RegRoot::CurrentUser, key_);
    access_.DeleteKey(RegRoot::CurrentUser, "Software\\QuorvaneTest");  // when no other run uses it
  }
  void Raw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(k);
  }
  std::string Text(const std::string& key, const std::string& name) {
    return RegistryValueText(access_, RegRoot::CurrentUser, key, name);
  }

  platform::win32::Win32Registry registry_;
  RegView view_ = RegView::Default;
  RegistryAccess access_{registry_, view_};
  std::string key_;
};

TEST_F(RegistryValueTextTest, EachTypeAsTheSystemStoresIt) {
  const unsigned char binary[] = {0x01, 0xAB};
  const char multi[] = "a\0b\0";  // with the final zero of the literal: a, b, end
  const unsigned long long qword = 7;
  ASSERT_TRUE(access_.WriteExpandString(RegRoot::CurrentUser, key_, "expand", "%TEMP%\\x"));
  ASSERT_TRUE(access_.WriteDword(RegRoot::CurrentUser, key_, "minus one", 0xFFFFFFFFu));
  ASSERT_TRUE(access_.WriteMultiString(RegRoot::CurrentUser, key_, "written multi", {"one", "two"}));
  Raw("binary", REG_BINARY, binary, sizeof binary);
  Raw("multi", REG_MULTI_SZ, multi, sizeof multi);
  Raw("qword", REG_QWORD, &qword, sizeof qword);
  ASSERT_TRUE(access_.WriteString(RegRoot::CurrentUser, key_ + "\\Empty", "", "default"));
  ASSERT_TRUE(access_.DeleteValue(RegRoot::CurrentUser, key_ + "\\Empty", ""));
  struct Case {
    std::string key, name, text;
  } cases[] = {
      {key_, "text", "some text"},        {key_, "expand", "%TEMP%\\x"},
      {key_, "minus one", "-1"},          {key_, "binary", "01AB"},
      {key_, "multi", "a$NEWLINE$b"},     {key_, "written multi", "one$NEWLINE$two"},
      {key_, "qword", "UNKNOWN$TYPE"},    {key_, "missing", "NO$VALUE"},
      {key_ + "\\Empty", "", "NO$VALUE"}, {key_ + "\\Missing", "text", "NO$KEY"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(c.key, c.name), c.text) << c.name;
  EXPECT_TRUE(access_.KeyIsEmpty(RegRoot::CurrentUser, key_ + "\\Empty"));
  EXPECT_FALSE(access_.KeyIsEmpty(RegRoot::CurrentUser, key_));
  std::string names;
  ASSERT_TRUE(access_.ListSubKeys(RegRoot::CurrentUser, key_, names));
  EXPECT_EQ(names, "Empty");
}

}  // namespace
}  // namespace qv::system
