#include "startup/engine_messages.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace qv::startup {
namespace {

std::string Block(const std::string& tag) {
  std::vector<std::string> lines;
  for (int i = 1; i <= EngineMessages::kSlots; ++i) lines.push_back(tag + std::to_string(i));
  return text::JoinLines(lines) + "\r\n";
}

TEST(EngineMessages, Defaults) {
  EngineMessages m;
  EXPECT_EQ(m.Text(msg::kResourceNotFound), "Setup resource not found");
  EXPECT_EQ(m.Text(msg::kRuntimeErrorInScript), "Runtime error in setup script:");
  EXPECT_EQ(m.Text(54), "");
  EXPECT_EQ(m.Text(126), "<no version information>");
  EXPECT_EQ(m.Text(0), "");
  EXPECT_EQ(m.Text(127), "");
}

TEST(EngineMessages, LanguageFileBlocks) {
  struct Case {
    const char* what;
    std::string file;
    const char* user;
    const char* slot2;
  } cases[] = {
      {"first block only", Block("en"), "German", "en2"},
      {"the user's block", Block("en") + "German\r\n" + Block("de") + "French\r\n" + Block("fr"), "german", "de2"},
      {"no block for the user: the last one", Block("en") + "German\r\n" + Block("de") + "French\r\n" + Block("fr"),
       "Dutch", "fr2"},
  };
  for (const auto& c : cases) {
    EngineMessages m;
    m.LoadLanguageText(c.file, c.user);
    EXPECT_EQ(m.Text(2), c.slot2) << c.what;
  }
}

TEST(EngineMessages, IgnoredLinesAndShortFiles) {
  EngineMessages m;
  m.LoadLanguageText(Block("x"), "English");
  EXPECT_EQ(m.Text(90), "x90");
  EXPECT_EQ(m.Text(91), "");    // 91 to 111 are read and ignored
  EXPECT_EQ(m.Text(112), "x112");
  EngineMessages shortFile;
  shortFile.LoadLanguageText("only one\r\n", "English");
  EXPECT_EQ(shortFile.Text(1), "only one");
  EXPECT_EQ(shortFile.Text(2), "Setup resource not found");
}

TEST(EngineMessages, LanguageNames) {
  struct Case {
    uint16_t id;
    const char* name;
  } cases[] = {{1033, "English"}, {2057, "English"}, {3081, "English"}, {1031, "German"}, {3079, "German"},
               {2052, "Chinese (PRC)"}, {1046, "Portugese (Brazil)"}, {2070, "Portugese (Portugal)"},
               {1034, "Spanish"}, {1078, ""}};
  for (const auto& c : cases) EXPECT_EQ(LanguageName(c.id), c.name) << c.id;
}

TEST(EngineMessages, WindowCaption) {
  EXPECT_EQ(WindowCaption("Demo", false), "Demo - Quorvane Wizard");
  EXPECT_EQ(WindowCaption("", false), "Quorvane Wizard");
  EXPECT_EQ(WindowCaption("Demo", true), "Demo");
  EXPECT_EQ(WindowCaption("", true), "");
}

}  // namespace
}  // namespace qv::startup
