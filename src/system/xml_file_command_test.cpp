#include "system/xml_file_command.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::system {
namespace {

const char* const kConfig =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- settings of the viewer -->\n"
    "<Config version=\"2.4\">\r\n"
    "  <Items>\n"
    "    <Item name=\"first\">one</Item>\n"
    "    <Item>no name</Item>\n"
    "    <Other name=\"not an item\"/>\n"
    "    <Item name=\"third\">line 1\r\nline 2</Item>\n"
    "  </Items>\n"
    "  <Items><Item name=\"second list\"/></Items>\n"
    "  <Gr\xC3\xB6\xC3\x9F"
    "e unit=\"\xE2\x84\xA6\">caf\xC3\xA9</Gr\xC3\xB6\xC3\x9F"
    "e>\n"
    "</Config>\n";

class XmlFileCommandTest : public ::testing::Test {
 protected:
  XmlFileCommandTest() {
    RegisterXmlFileCommand(f.table);
    f.Machine().Files().CreateFolderTree("C:\\App");
    f.Machine().Files().WriteWholeFile("C:\\App\\config.xml", kConfig);
  }
  std::string Get(const std::string& path, const std::string& attribute,
                  const std::string& file = "C:\\App\\config.xml") {
    f.Run("Get XML File Settings", {"RESULT", file, path, attribute});
    return f.store.Get("RESULT");
  }

  testing::CommandFixture f;
};

TEST_F(XmlFileCommandTest, ElementPathsGiveAttributesOrTextsInReverseDocumentOrder) {
  struct Case {
    const char* path;
    const char* attribute;
    const char* expected;
  } cases[] = {
      {"Config", "version", "2.4"},
      {"config", "version", ""},  // names keep their letter case
      {"Config\\Items\\Item", "name", "third$NEWLINE$first"},
      {"Config\\Items\\Item", "", "line 1$NEWLINE$line 2$NEWLINE$no name$NEWLINE$one"},
      {"\\\\Config\\\\Items\\Item\\", "name", "third$NEWLINE$first"},
      {"Config\\Items\\Missing", "name", ""},
      {"Config\\Missing\\Item", "name", ""},
      {"Config\\Items\\Item", "missing", ""},
      {"", "version", ""},
      // UTF-8 in the file, the ANSI code page in the script; what it lacks becomes "?".
      {"Config\\Gr\xF6\xDF"
       "e",
       "", "caf\xE9"},
      {"Config\\Gr\xF6\xDF"
       "e",
       "unit", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(Get(c.path, c.attribute), c.expected) << c.path << " / " << c.attribute;
}

TEST_F(XmlFileCommandTest, AMissingOrBrokenFileGivesAnEmptyResult) {
  f.Machine().Files().WriteWholeFile("C:\\App\\broken.xml", "<Config><Item></Config>");
  f.store.Set("RESULT", "before");
  EXPECT_EQ(Get("Config", "version", "C:\\App\\missing.xml"), "");
  EXPECT_EQ(Get("Config\\Item", "", "C:\\App\\broken.xml"), "");
  EXPECT_EQ(Get("Config", "", "C:\\App"), "");
}

TEST_F(XmlFileCommandTest, DocumentsInTheSystemCodePageAndInUtf16) {
  f.Machine().Files().WriteWholeFile("C:\\App\\ansi.xml",
                                     "<?xml version='1.0' encoding='windows-1252'?><r v='\x80 caf\xE9'/>");
  EXPECT_EQ(Get("r", "v", "C:\\App\\ansi.xml"), "\x80 caf\xE9");
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<r v='w'>text</r>")) utf16 += std::string{c, '\0'};
  f.Machine().Files().WriteWholeFile("C:\\App\\wide.xml", utf16);
  EXPECT_EQ(Get("r", "v", "C:\\App\\wide.xml"), "w");
  EXPECT_EQ(Get("r", "", "C:\\App\\wide.xml"), "text");
}

}  // namespace
}  // namespace qv::system
