#include "system/ini_file_command.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::system {
namespace {

const char* const kIni =
    "; written by hand\r\n"
    "[General]\r\n"
    "Name = Brelmont Viewer  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"abc\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Sum=a=b\r\n"
    "  [ Spaced ]  \n"
    "key=value\n"
    "[general]\r\n"
    "Second=only in the second section of the name\r\n"
    "[Other]\r\n"
    "Name=other\r\n";

class IniFileCommandTest : public ::testing::Test {
 protected:
  IniFileCommandTest() {
    RegisterIniFileCommand(f.table);
    f.Machine().Files().CreateFolderTree("C:\\App");
    f.Machine().Files().WriteWholeFile("C:\\App\\setup.ini", kIni);
  }
  std::string Get(const std::string& file, const std::string& section, const std::string& key) {
    f.store.Set("VALUE", "before");
    f.Run("Get INI File Settings", {"VALUE", file, section, key});
    return f.store.Get("VALUE");
  }

  testing::CommandFixture f;
};

TEST_F(IniFileCommandTest, ValuesAsTheProfileFunctionsFindThem) {
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"General", "Name", "Brelmont Viewer"},
      {"GENERAL", "name", "Brelmont Viewer"},
      {" General ", " Name ", "Brelmont Viewer"},
      {"General", "Quoted", "  spaced  "},
      {"General", "Single", "x"},
      {"General", "Half", "\"abc"},
      {"General", "Empty", ""},
      {"General", "NoEquals", ""},
      {"General", "Sum", "a=b"},
      {"General", "Second", ""},
      {"Spaced", "key", "value"},
      {"Other", "Name", "other"},
      {"Missing", "Name", ""},
      {"", "Name", ""},
      {"General", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Get("C:\\App\\setup.ini", c.section, c.key), c.expected) << c.section << "/" << c.key;
  EXPECT_EQ(Get("C:\\App\\missing.ini", "General", "Name"), "");
}

TEST_F(IniFileCommandTest, Utf16FilesBareNamesAndLongValues) {
  std::string wide = "\xFF\xFE";
  for (char c : std::string("[S]\r\nk=caf\xE9\r\n")) wide += std::string{c, '\0'};
  f.Machine().Files().WriteWholeFile("C:\\App\\wide.ini", wide);
  EXPECT_EQ(Get("C:\\App\\wide.ini", "S", "k"), "caf\xE9");
  // A name without a folder is a file of the Windows folder.
  f.Machine().Files().WriteWholeFile("C:\\Windows\\brelmont.ini", "[S]\r\nk=in windows\r\n");
  EXPECT_EQ(Get("brelmont.ini", "S", "k"), "in windows");
  // The value buffer holds 26,000 bytes with the terminating zero.
  f.Machine().Files().WriteWholeFile("C:\\App\\long.ini", "[S]\r\nk=" + std::string(30000, 'v') + "\r\n");
  EXPECT_EQ(Get("C:\\App\\long.ini", "S", "k"), std::string(25999, 'v'));
}

}  // namespace
}  // namespace qv::system
