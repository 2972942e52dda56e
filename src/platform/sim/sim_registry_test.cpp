#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/sim/sim_test_root.h"

namespace qv::platform::sim {
namespace {

constexpr RegRoot HKLM = RegRoot::LocalMachine;
constexpr RegRoot HKCU = RegRoot::CurrentUser;
constexpr RegRoot HKCR = RegRoot::ClassesRoot;
constexpr RegRoot HKU = RegRoot::Users;
constexpr RegView kDefault = RegView::Default;
constexpr RegView k32 = RegView::Force32;
constexpr RegView k64 = RegView::Force64;

class SimRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { Use(true, false, true); }
  void Use(bool os64, bool process64, bool classesShared) {
    RegistryRules rules = reg_.Rules();
    rules.os64 = os64;
    rules.process64 = process64;
    rules.classesShared = classesShared;
    reg_.SetRules(rules);
  }
  void Put(RegRoot root, const std::string& key, const std::string& name, const std::string& text,
           RegView view = kDefault) {
    ASSERT_EQ(reg_.CreateKey(root, key, view), kSuccess) << key;
    ASSERT_EQ(reg_.WriteValue(root, key, name, RegValue::String(text), view), kSuccess) << key;
  }
  std::string Get(RegRoot root, const std::string& key, const std::string& name, RegView view = kDefault) {
    RegValue v;
    return reg_.ReadValue(root, key, name, v, view) == kSuccess ? v.AsString() : "<none>";
  }
  std::vector<std::string> SubKeys(RegRoot root, const std::string& key, RegView view = kDefault) {
    std::vector<std::string> names;
    EXPECT_EQ(reg_.ListSubKeys(root, key, names, view), kSuccess) << key;
    return names;
  }

  FaultPlan faults_;
  SimRegistry reg_{&faults_};
};

TEST_F(SimRegistryTest, GivesTheErrorsOfTheRealCalls) {
  Use(false, false, true);
  Put(HKLM, "SOFTWARE\\App\\Sub", "x", "1");
  RegValue v;
  std::vector<std::string> names;
  struct Case {
    const char* what;
    std::function<ErrorCode()> call;
    ErrorCode expected;
  } cases[] = {
      {"read in a missing key", [&] { return reg_.ReadValue(HKLM, "SOFTWARE\\None", "x", v, kDefault); },
       kErrorFileNotFound},
      {"read a missing value", [&] { return reg_.ReadValue(HKLM, "SOFTWARE\\App", "none", v, kDefault); },
       kErrorFileNotFound},
      {"read the unset default value", [&] { return reg_.ReadValue(HKLM, "SOFTWARE\\App", "", v, kDefault); },
       kErrorFileNotFound},
      {"write into a missing key",
       [&] { return reg_.WriteValue(HKLM, "SOFTWARE\\None", "x", RegValue::Dword(1), kDefault); },
       kErrorFileNotFound},
      {"delete a missing key", [&] { return reg_.DeleteKey(HKLM, "SOFTWARE\\None", kDefault); }, kErrorFileNotFound},
      {"delete a key with subkeys", [&] { return reg_.DeleteKey(HKLM, "SOFTWARE\\App", kDefault); },
       kErrorAccessDenied},
      {"delete a missing value", [&] { return reg_.DeleteValue(HKLM, "SOFTWARE\\App", "none", kDefault); },
       kErrorFileNotFound},
      {"list a missing key", [&] { return reg_.ListSubKeys(HKLM, "SOFTWARE\\None", names, kDefault); },
       kErrorFileNotFound},
      {"list the values of a missing key", [&] { return reg_.ListValues(HKLM, "SOFTWARE\\None", names, kDefault); },
       kErrorFileNotFound},
      {"create a new hive", [&] { return reg_.CreateKey(HKLM, "NewHive\\Key", kDefault); }, kErrorAccessDenied},
      {"delete a hive", [&] { return reg_.DeleteKey(HKLM, "HARDWARE", kDefault); }, kErrorAccessDenied},
      {"delete the root", [&] { return reg_.DeleteKey(HKLM, "", kDefault); }, kErrorInvalidParameter},
      {"write a value to the root", [&] { return reg_.WriteValue(HKLM, "", "x", RegValue::Dword(1), kDefault); },
       kErrorAccessDenied},
      {"a leading backslash", [&] { return reg_.CreateKey(HKLM, "\\SOFTWARE\\X", kDefault); }, kErrorBadPathName},
      {"an empty name inside", [&] { return reg_.CreateKey(HKLM, "SOFTWARE\\\\X", kDefault); }, kErrorBadPathName},
      {"a zero inside a key", [&] { return reg_.CreateKey(HKLM, std::string("SOFTWARE\\A\0B", 12), kDefault); },
       kErrorInvalidParameter},
      {"a zero inside a value name",
       [&] { return reg_.WriteValue(HKLM, "SOFTWARE\\App", std::string("a\0b", 3), RegValue::Dword(1), kDefault); },
       kErrorInvalidParameter},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(), c.expected) << c.what;
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\App\\Sub", "x"), "1");
  EXPECT_FALSE(reg_.KeyExists(HKLM, "SOFTWARE\\X", kDefault));
  // A trailing backslash names the same key.
  EXPECT_TRUE(reg_.KeyExists(HKLM, "SOFTWARE\\App\\", kDefault));
  EXPECT_EQ(reg_.DeleteKey(HKLM, "SOFTWARE\\App\\Sub", kDefault), kSuccess);
  EXPECT_EQ(reg_.DeleteKey(HKLM, "SOFTWARE\\App", kDefault), kSuccess);
}

TEST_F(SimRegistryTest, MatchesNamesWithoutRegardToCaseAndKeepsSpellings) {
  Use(false, false, true);
  ASSERT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\Brelmont\\Quorvane", kDefault), kSuccess);
  ASSERT_EQ(reg_.CreateKey(HKLM, "software\\BRELMONT\\Caf\xE9", kDefault), kSuccess);
  EXPECT_TRUE(reg_.KeyExists(HKLM, "Software\\brelmont\\CAF\xC9", kDefault));
  EXPECT_EQ(SubKeys(HKLM, "SOFTWARE\\Brelmont"), (std::vector<std::string>{"Caf\xE9", "Quorvane"}));
  std::vector<std::string> software = SubKeys(HKLM, "SOFTWARE");
  EXPECT_NE(std::find(software.begin(), software.end(), "Brelmont"), software.end());

  // Values keep the order they were made in and their first spelling.
  for (const char* name : {"Zeta", "alpha", "Mid"}) Put(HKLM, "SOFTWARE\\Brelmont", name, name);
  Put(HKLM, "SOFTWARE\\Brelmont", "ALPHA", "again");
  std::vector<std::string> names;
  ASSERT_EQ(reg_.ListValues(HKLM, "software\\brelmont", names, kDefault), kSuccess);
  EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\Brelmont", "Alpha"), "again");
  ASSERT_EQ(reg_.DeleteValue(HKLM, "SOFTWARE\\Brelmont", "zeta", kDefault), kSuccess);
  ASSERT_EQ(reg_.ListValues(HKLM, "SOFTWARE\\Brelmont", names, kDefault), kSuccess);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Mid"}));
}

TEST_F(SimRegistryTest, KeepsTheRawBytesOfEveryType) {
  Use(false, false, true);
  ASSERT_EQ(reg_.CreateKey(HKCU, "Software\\Types", kDefault), kSuccess);
  RegValue binary{regtype::kBinary, std::string("\0\x01\xFF", 3)};
  RegValue multi{regtype::kMultiSz, std::string("one\0two\0\0", 9)};
  RegValue unterminated{regtype::kSz, "no zero"};
  RegValue values[] = {RegValue::String("text"), RegValue::String("%TEMP%\\x", regtype::kExpandSz),
                       RegValue::Dword(0xDEADBEEF), RegValue::Qword(0x0123456789ABCDEFull), binary, multi,
                       unterminated, RegValue{regtype::kNone, ""}};
  for (size_t i = 0; i < std::size(values); ++i)
    ASSERT_EQ(reg_.WriteValue(HKCU, "Software\\Types", "v" + std::to_string(i), values[i], kDefault), kSuccess);
  for (size_t i = 0; i < std::size(values); ++i) {
    RegValue got;
    ASSERT_EQ(reg_.ReadValue(HKCU, "Software\\Types", "V" + std::to_string(i), got, kDefault), kSuccess);
    EXPECT_EQ(got.type, values[i].type) << i;
    EXPECT_EQ(got.data, values[i].data) << i;
  }
}

TEST_F(SimRegistryTest, ShowsTheViewsOfA64BitSystem) {
  struct Case {
    const char* what;
    bool os64, process64, classesShared;
    RegRoot root;
    const char* key;
    RegView view;
    const char* realKey;  // where it lands, seen without redirection
  } cases[] = {
      {"default view of a 32-bit process", true, false, true, HKLM, "SOFTWARE\\App", kDefault,
       "SOFTWARE\\Wow6432Node\\App"},
      {"forced 32-bit view", true, true, true, HKLM, "SOFTWARE\\App", k32, "SOFTWARE\\Wow6432Node\\App"},
      {"forced 64-bit view", true, false, true, HKLM, "SOFTWARE\\App", k64, "SOFTWARE\\App"},
      {"default view of a 64-bit process", true, true, true, HKLM, "SOFTWARE\\App", kDefault, "SOFTWARE\\App"},
      {"a named Wow6432Node stays", true, false, true, HKLM, "SOFTWARE\\Wow6432Node\\App", kDefault,
       "SOFTWARE\\Wow6432Node\\App"},
      {"outside SOFTWARE", true, false, true, HKLM, "SYSTEM\\App", kDefault, "SYSTEM\\App"},
      {"user software is shared", true, false, true, HKCU, "Software\\App", kDefault, "Software\\App"},
      {"shared classes on 7", true, false, true, HKLM, "SOFTWARE\\Classes\\.qvs", kDefault,
       "SOFTWARE\\Classes\\.qvs"},
      {"COM classes apart on 7", true, false, true, HKLM, "SOFTWARE\\Classes\\CLSID\\{1}", kDefault,
       "SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{1}"},
      {"user COM classes apart", true, false, true, HKCU, "Software\\Classes\\CLSID\\{1}", kDefault,
       "Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
      {"classes before 7", true, false, false, HKLM, "SOFTWARE\\Classes\\.qvs", kDefault,
       "SOFTWARE\\Wow6432Node\\Classes\\.qvs"},
      {"32-bit system ignores the 32-bit flag", false, false, true, HKLM, "SOFTWARE\\App", k32, "SOFTWARE\\App"},
      {"32-bit system ignores the 64-bit flag", false, false, true, HKLM, "SOFTWARE\\App", k64, "SOFTWARE\\App"},
  };
  for (const auto& c : cases) {
    reg_.Clear();
    Use(c.os64, c.process64, c.classesShared);
    Put(c.root, c.key, "where", c.what, c.view);
    EXPECT_EQ(Get(c.root, c.key, "where", c.view), c.what) << c.what;
    Use(false, false, true);  // no redirection: the real trees
    EXPECT_EQ(Get(c.root, c.realKey, "where"), c.what) << c.what;
    if (std::string(c.key) != c.realKey) {
      EXPECT_FALSE(reg_.KeyExists(c.root, c.key, kDefault)) << c.what;
    }
  }
}

TEST_F(SimRegistryTest, ListsTheKeysOfThe32BitView) {
  Put(HKLM, "SOFTWARE\\Both", "v", "64", k64);
  Put(HKLM, "SOFTWARE\\Both", "v", "32", k32);
  Put(HKLM, "SOFTWARE\\Only64", "v", "64", k64);
  Put(HKLM, "SOFTWARE\\Only32", "v", "32", k32);
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\Both", "v", kDefault), "32");
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\Both", "v", k64), "64");
  std::vector<std::string> view32 = SubKeys(HKLM, "SOFTWARE", k32);
  std::vector<std::string> view64 = SubKeys(HKLM, "SOFTWARE", k64);
  auto has = [](const std::vector<std::string>& v, const char* name) {
    return std::find(v.begin(), v.end(), name) != v.end();
  };
  EXPECT_TRUE(has(view32, "Both"));
  EXPECT_TRUE(has(view32, "Only32"));
  EXPECT_FALSE(has(view32, "Only64"));
  EXPECT_TRUE(has(view32, "Classes"));  // shared on 7
  EXPECT_TRUE(has(view64, "Only64"));
  EXPECT_FALSE(has(view64, "Only32"));
  EXPECT_TRUE(has(view64, "Wow6432Node"));
  EXPECT_EQ(reg_.DeleteKey(HKLM, "SOFTWARE\\Only64", kDefault), kErrorFileNotFound);
  EXPECT_EQ(reg_.DeleteKey(HKLM, "SOFTWARE\\Only64", k64), kSuccess);
}

TEST_F(SimRegistryTest, MergesTheUsersClassesOverTheMachines) {
  Use(false, false, true);
  Put(HKLM, "SOFTWARE\\Classes\\.qvs", "", "machine");
  Put(HKLM, "SOFTWARE\\Classes\\.qvs", "Content Type", "text/plain");
  Put(HKLM, "SOFTWARE\\Classes\\.qvs\\ShellNew", "x", "m");
  Put(HKCU, "Software\\Classes\\.qvs", "", "user");
  Put(HKCU, "Software\\Classes\\.qvs\\OpenWithList", "x", "u");
  EXPECT_EQ(Get(HKCR, ".QVS", ""), "user");
  EXPECT_EQ(Get(HKCR, ".qvs", "Content Type"), "text/plain");
  std::vector<std::string> names;
  ASSERT_EQ(reg_.ListValues(HKCR, ".qvs", names, kDefault), kSuccess);
  EXPECT_EQ(names, (std::vector<std::string>{"", "Content Type"}));
  EXPECT_EQ(SubKeys(HKCR, ".qvs"), (std::vector<std::string>{"OpenWithList", "ShellNew"}));
  // Writes go to the user's side where the key exists there, else to the machine's.
  ASSERT_EQ(reg_.WriteValue(HKCR, ".qvs", "PerceivedType", RegValue::String("text"), kDefault), kSuccess);
  EXPECT_EQ(Get(HKCU, "Software\\Classes\\.qvs", "PerceivedType"), "text");
  Put(HKCR, "QvsFile\\shell\\open", "", "Open");
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\Classes\\QvsFile\\shell\\open", ""), "Open");
  ASSERT_EQ(reg_.DeleteValue(HKCR, ".qvs", "", kDefault), kSuccess);
  EXPECT_EQ(Get(HKCR, ".qvs", ""), "machine");

  // 9x has the machine's classes only.
  RegistryRules nine = reg_.Rules();
  nine.userClasses = false;
  reg_.SetRules(nine);
  EXPECT_EQ(Get(HKCR, ".qvs", "PerceivedType"), "<none>");
  EXPECT_EQ(Get(HKCR, ".qvs", ""), "machine");
}

TEST_F(SimRegistryTest, CurrentUserAndConfigAreViewsOfTheRealTrees) {
  Use(false, false, true);
  std::string sid = reg_.Rules().userSid;
  Put(HKCU, "Software\\Brelmont", "who", "me");
  EXPECT_EQ(Get(HKU, sid + "\\Software\\Brelmont", "who"), "me");
  Put(RegRoot::CurrentConfig, "Software\\Fonts", "LogPixels", "96");
  EXPECT_EQ(Get(HKLM, "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", "LogPixels"), "96");
}

TEST_F(SimRegistryTest, WithoutRightsTheMachineIsReadOnly) {
  Use(false, false, true);
  Put(HKLM, "SOFTWARE\\App", "v", "1");
  Put(HKLM, "SOFTWARE\\Classes\\.qvs", "", "machine");
  RegistryRules rules = reg_.Rules();
  rules.privileged = false;
  reg_.SetRules(rules);
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\App", "v"), "1");
  EXPECT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\App", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\New", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.WriteValue(HKLM, "SOFTWARE\\App", "v", RegValue::Dword(2), kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteValue(HKLM, "SOFTWARE\\App", "v", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(HKLM, "SOFTWARE\\App", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.CreateKey(HKU, ".DEFAULT\\Software\\X", kDefault), kErrorAccessDenied);
  // The machine's side of HKEY_CLASSES_ROOT too; the user's own keys are the user's.
  EXPECT_EQ(reg_.WriteValue(HKCR, ".qvs", "x", RegValue::Dword(1), kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.CreateKey(HKCR, ".new", kDefault), kErrorAccessDenied);
  Put(HKCU, "Software\\Classes\\.new", "", "mine");
  EXPECT_EQ(Get(HKCR, ".new", ""), "mine");
  EXPECT_EQ(reg_.DeleteKey(HKCU, "Software\\Classes\\.new", kDefault), kSuccess);
}

TEST_F(SimRegistryTest, SavesAndLoadsTheWholeRegistry) {
  Put(HKLM, "SOFTWARE\\Brelmont\\Quorvane", "", "default");
  Put(HKLM, "SOFTWARE\\Brelmont\\Quorvane", "Path", "C:\\Program Files (x86)\\Brelmont\\");
  Put(HKLM, "SOFTWARE\\Brelmont\\Quorvane", "Quote \"and\" \\slash", "say \"hi\"");
  Put(HKLM, "SOFTWARE\\Brelmont\\Caf\xE9", "Men\xFC", "\x80 5");
  Put(HKCU, "Software\\Lines", "Text", "one\r\ntwo");
  ASSERT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\Empty\\Key", k64), kSuccess);
  ASSERT_EQ(reg_.CreateKey(HKCU, "Software\\Types", kDefault), kSuccess);
  std::string longBinary(200, '\x5A');
  longBinary[3] = '\0';
  RegValue values[] = {RegValue::Dword(32), RegValue::Qword(1ull << 40), RegValue{regtype::kBinary, longBinary},
                       RegValue{regtype::kMultiSz, std::string("a\0b\0\0", 5)}, RegValue{regtype::kSz, "no zero"},
                       RegValue::String("%SystemRoot%", regtype::kExpandSz), RegValue{regtype::kBinary, ""}};
  for (size_t i = 0; i < std::size(values); ++i)
    ASSERT_EQ(reg_.WriteValue(HKCU, "Software\\Types", "t" + std::to_string(i), values[i], kDefault), kSuccess);

  std::string text = reg_.ToText();
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Brelmont\\Quorvane]\n"
                      "@=\"default\"\n"
                      "\"Path\"=\"C:\\\\Program Files (x86)\\\\Brelmont\\\\\"\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\"t0\"=dword:00000020\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Brelmont\\Caf\xC3\xA9]"), std::string::npos);

  testing::TempRoot dir;
  std::string file = dir.Path() + "/registry.reg";
  ASSERT_TRUE(reg_.SaveTo(file));
  SimRegistry loaded(nullptr);
  loaded.SetRules(reg_.Rules());
  std::string error;
  ASSERT_TRUE(loaded.LoadFrom(file, &error)) << error;
  EXPECT_EQ(loaded.ToText(), text);
  for (size_t i = 0; i < std::size(values); ++i) {
    RegValue got;
    ASSERT_EQ(loaded.ReadValue(HKCU, "Software\\Types", "t" + std::to_string(i), got, kDefault), kSuccess);
    EXPECT_EQ(got.type, values[i].type) << i;
    EXPECT_EQ(got.data, values[i].data) << i;
  }
  RegValue lines;
  ASSERT_EQ(loaded.ReadValue(HKCU, "Software\\Lines", "Text", lines, kDefault), kSuccess);
  EXPECT_EQ(lines.AsString(), "one\r\ntwo");
  EXPECT_TRUE(loaded.KeyExists(HKLM, "SOFTWARE\\Empty\\Key", k64));
}

TEST_F(SimRegistryTest, LoadsHandWrittenFilesAndRefusesBadOnes) {
  Use(false, false, true);
  std::string error;
  ASSERT_TRUE(reg_.FromText("REGEDIT4\n"
                            "\n"
                            "; a fixture\n"
                            "[HKEY_CURRENT_USER\\Software\\Fixture]\n"
                            "\"Name\" = \"value\"\n"
                            "\"Blob\"=hex:01,02,\\\n"
                            "  03\n"
                            "[HKCR\\.qvs]\n"
                            "@=\"QvsFile\"\n",
                            &error))
      << error;
  EXPECT_EQ(Get(HKU, reg_.Rules().userSid + "\\Software\\Fixture", "Name"), "value");
  RegValue blob;
  ASSERT_EQ(reg_.ReadValue(HKCU, "Software\\Fixture", "Blob", blob, kDefault), kSuccess);
  EXPECT_EQ(blob.data, "\x01\x02\x03");
  EXPECT_EQ(Get(HKLM, "SOFTWARE\\Classes\\.qvs", ""), "QvsFile");
  // The hives are there after any load.
  EXPECT_TRUE(reg_.KeyExists(HKLM, "SYSTEM", kDefault));

  struct Bad {
    const char* text;
    const char* reason;
  } bad[] = {
      {"not a registry\n", "line 1"},
      {"REGEDIT4\n\"x\"=\"before any key\"\n", "line 2"},
      {"REGEDIT4\n[HKLM\\SOFTWARE\\A]\n\"x\"=dword:123456789\n", "line 3"},
      {"REGEDIT4\n[HKLM\\SOFTWARE\\A]\n\"x\"=hex:1,zz\n", "line 3"},
      {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "HKEY_NOWHERE"},
      {"REGEDIT4\n[-HKLM\\SOFTWARE\\A]\n", "line 2"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(reg_.FromText(b.text, &error)) << b.text;
    EXPECT_NE(error.find(b.reason), std::string::npos) << error;
  }
  // A refused file changes nothing.
  EXPECT_EQ(Get(HKCU, "Software\\Fixture", "Name"), "value");
}

TEST_F(SimRegistryTest, FailsWhereTheFaultPlanSays) {
  Put(HKLM, "SOFTWARE\\App", "Secret", "s");
  Put(HKLM, "SOFTWARE\\App", "Open", "o");
  int denied = faults_.Add(FaultRule::On(FaultOp::RegRead, "HKEY_LOCAL_MACHINE\\SOFTWARE\\App\\Secret",
                                         kErrorAccessDenied));
  RegValue v;
  EXPECT_EQ(reg_.ReadValue(HKLM, "SOFTWARE\\App", "Secret", v, kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.ReadValue(HKLM, "SOFTWARE\\App", "Open", v, kDefault), kSuccess);
  EXPECT_EQ(faults_.Fired(denied), 1);
  faults_.Clear();
  // Rules see the key asked for and the key it lands on.
  faults_.Add(FaultRule::On(FaultOp::RegWrite, "HKLM\\SOFTWARE\\Wow6432Node\\*", kErrorAccessDenied));
  EXPECT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\Other", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.CreateKey(HKLM, "SOFTWARE\\Other", k64), kSuccess);
  faults_.Clear();
  faults_.Add(FaultRule::On(FaultOp::RegDelete, "HKCU\\Software\\*", kErrorAccessDenied).Times(1));
  Put(HKCU, "Software\\Gone", "x", "1");
  EXPECT_EQ(reg_.DeleteKey(HKCU, "Software\\Gone", kDefault), kErrorAccessDenied);
  EXPECT_EQ(reg_.DeleteKey(HKCU, "Software\\Gone", kDefault), kSuccess);
  faults_.Clear();
  faults_.Add(FaultRule::On(FaultOp::RegRead, "HKLM\\SOFTWARE\\App", kErrorAccessDenied));
  EXPECT_FALSE(reg_.KeyExists(HKLM, "SOFTWARE\\App", kDefault));
  std::vector<std::string> names;
  EXPECT_EQ(reg_.ListValues(HKLM, "SOFTWARE\\App", names, kDefault), kErrorAccessDenied);
}

}  // namespace
}  // namespace qv::platform::sim
