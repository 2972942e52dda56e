#include "script/string_commands.h"

#include <gtest/gtest.h>

#include "common/win_path.h"
#include "support/command_fixture.h"

namespace qv::script {
namespace {

TEST(StringCommands, ReplaceTextFromTheLeftWithoutRescanning) {
  struct Case {
    const char* subject;
    const char* find;
    const char* replacement;
    bool ignoreCase;
    bool all;
    const char* expect;
  } cases[] = {
      {"a-b-c", "-", "+", false, false, "a+b-c"},
      {"a-b-c", "-", "+", false, true, "a+b+c"},
      {"aaaa", "aa", "b", false, true, "bb"},      // no overlaps
      {"aXa", "a", "aa", false, true, "aaXaa"},    // the replacement is not searched again
      {"Hello hello", "HELLO", "bye", true, true, "bye bye"},
      {"Hello hello", "HELLO", "bye", false, true, "Hello hello"},
      {"Hello hello", "hello", "", false, false, "Hello "},
      {"abc", "", "x", false, true, "abc"},        // empty find text
      {"abc", "abcd", "x", false, true, "abc"},    // longer than the subject
      {"abc", "abc", "", false, true, ""},
      // Line-break tokens are replaced whole or not at all.
      {"line$NEWLINE$Line", "line", "row", true, true, "row$NEWLINE$row"},
      {"$5$NEWLINE$$6", "$", "USD ", false, true, "USD 5$NEWLINE$USD 6"},
      {"a$newline$b", "$NEWLINE$", " ", true, true, "a b"},
      {"a$NEWLINE$b", "a$NEWLINE$", "", false, true, "b"},
      {"$NEWLINE$NEWLINE$", "NEWLINE", "x", false, true, "$NEWLINE$x$"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceText(c.subject, c.find, c.replacement, c.ignoreCase, c.all), c.expect) << c.subject << " " << c.find;
}

TEST(StringCommands, ExtractPathParts) {
  struct Case {
    const char* path;
    int64_t mode;
    const char* expect;
  } cases[] = {
      {"C:\\Program Files\\Demo\\app.tar.gz", 0, "app.tar.gz"},
      {"C:\\Program Files\\Demo\\app.tar.gz", 1, "app.tar"},
      {"C:\\Program Files\\Demo\\app.tar.gz", 2, "gz"},
      {"C:\\Program Files\\Demo\\app.tar.gz", 3, "C:\\Program Files\\Demo\\"},
      {"C:\\Program Files\\Demo\\app.tar.gz", 4, "C:\\Program Files\\"},
      {"C:\\Program Files\\Demo\\app.tar.gz", 5, "C:\\"},
      {"C:file.txt", 0, "file.txt"},
      {"C:file.txt", 3, "C:\\"},
      {"C:\\dir.d\\README", 2, ""},  // no extension
      {"C:\\dir.d\\README", 1, "README"},
      {"C:\\setup.exe", 4, "C:\\"},  // in a drive's root
      {"C:\\", 3, "C:\\"},
      {"setup.exe", 3, ""},  // empty stays empty
      {"setup.exe", 4, ""},
      {"setup.exe", 5, ""},
      {"Demo\\setup.exe", 4, ""},
      {"\\\\server\\share\\dir\\file.txt", 5, "\\\\server\\share\\"},
      {"\\\\server\\share", 5, "\\\\server\\share\\"},
      {"\\\\server", 5, "\\\\server\\"},
      {"\\\\server\\share\\file.txt", 3, "\\\\server\\share\\"},
      {"\\\\server\\share\\a\\\\b", 6, "\\server\\share\\a\\b"},
      {"C:\\a\\b", 7, "C:\\a\\b"},  // other modes leave the text as it is
      {"C:\\a\\b", -1, "C:\\a\\b"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractPathPart(c.path, c.mode), c.expect) << c.path << " mode " << c.mode;
}

TEST(StringCommands, SplitTextModes) {
  struct Case {
    const char* s;
    const char* d;
    int64_t count;
    int64_t mode;
    bool ignoreCase;
    const char* first;
    const char* second;
  } cases[] = {
      // 0: around the first delimiter; the whole text is the first part without one.
      {"a,b,c", ",", 0, 0, false, "a", "b,c"},
      {"abc", ",", 0, 0, false, "abc", ""},
      {"a=>b", "=>", 0, 0, false, "a", "b"},
      {",b", ",", 0, 0, false, "", "b"},
      {"a,", ",", 0, 0, false, "a", ""},
      {"abc", "", 0, 0, false, "abc", ""},
      {"oneANDtwo", "and", 0, 0, true, "one", "two"},
      {"oneANDtwo", "and", 0, 0, false, "oneANDtwo", ""},
      // 1: around the last delimiter; the whole text is the second part without one.
      {"a,b,c", ",", 0, 1, false, "a,b", "c"},
      {"abc", ",", 0, 1, false, "", "abc"},
      {"abc", "", 0, 1, false, "", "abc"},
      {"x.Y.z", "y", 0, 1, true, "x.", ".z"},
      // 2: the first N characters, then the rest.
      {"abcdef", "", 2, 2, false, "ab", "cdef"},
      {"abcdef", "", 0, 2, false, "", "abcdef"},
      {"abcdef", "", 6, 2, false, "abcdef", ""},
      {"abcdef", "", 9, 2, false, "abcdef", ""},
      {"abcdef", "", -3, 2, false, "", "abcdef"},
      // 3: the last N characters in the second part.
      {"abcdef", "", 2, 3, false, "abcd", "ef"},
      {"abcdef", "", 0, 3, false, "abcdef", ""},
      {"abcdef", "", 6, 3, false, "", ""},
      {"abcdef", "", 9, 3, false, "", "abcdef"},
      {"abcdef", "", INT64_MIN, 3, false, "abcdef", ""},
      {"abcdef", "", INT64_MAX, 2, false, "abcdef", ""},
      // Other modes: two empty parts.
      {"a,b", ",", 0, 4, false, "", ""},
      {"a,b", ",", 0, -1, false, "", ""},
  };
  for (const auto& c : cases) {
    ParsedParts parts = SplitText(c.s, c.d, c.count, c.mode, c.ignoreCase);
    EXPECT_EQ(parts.first, c.first) << c.s << " mode " << c.mode << " " << c.d << c.count;
    EXPECT_EQ(parts.second, c.second) << c.s << " mode " << c.mode << " " << c.d << c.count;
  }
}

class StringCommandsTest : public ::testing::Test {
 protected:
  StringCommandsTest() {
    RegisterStringCommands(f.table);
    f.store.Set("NEWLINE", "\r\n");
  }
  testing::CommandFixture f;
};

TEST_F(StringCommandsTest, ConvertPathGivesTheStoredOrShortSpelling) {
  auto& files = f.Machine().SimFiles();
  ASSERT_EQ(files.CreateFolderTree("C:\\Program Files\\Demo App"), platform::kSuccess);
  ASSERT_EQ(files.WriteWholeFile("C:\\Program Files\\Demo App\\Read Me.txt", "x"), platform::kSuccess);
  struct Case {
    const char* value;
    const char* shortForm;
    const char* expect;
  } cases[] = {
      {"c:\\program files\\demo app\\read me.txt", "FALSE", "c:\\Program Files\\Demo App\\Read Me.txt"},
      {"c:\\\\program files\\\\demo app\\", "", "c:\\Program Files\\Demo App\\"},
      // From the first missing component on, the path stays as written.
      {"c:\\program files\\no such dir\\demo app", "", "c:\\Program Files\\no such dir\\demo app"},
      {"relative\\name", "", "relative\\name"},
      {"", "", ""},
      {"c:\\program files\\demo app\\read me.txt", "TRUE", "c:\\PROGRA~1\\DEMOAP~1\\README~1.TXT"},
      // No short form of a missing file: the value stays as it is.
      {"C:\\Program Files\\\\missing file.txt", "TRUE", "C:\\Program Files\\missing file.txt"},
  };
  for (const auto& c : cases) {
    f.store.Set("P", c.value);
    f.Run("Convert Path", {"P", c.shortForm});
    EXPECT_EQ(f.store.Get("P"), c.expect) << c.value << " " << c.shortForm;
  }
}

TEST_F(StringCommandsTest, ConvertPathLooksAtTheTargetPlatformsFiles) {
  auto& files = f.Machine().SimFiles();
  bool redirection = files.SetRedirection(false);
  ASSERT_EQ(files.WriteWholeFile("C:\\Windows\\System32\\Native Tool.exe", "64"), platform::kSuccess);
  files.SetRedirection(redirection);
  const platform::RegView between = f.run.registryView;

  f.run.targetPlatform = "x64";
  f.store.Set("P", "c:\\windows\\system32\\native tool.exe");
  f.Run("Convert Path", {"P", "FALSE"});
  EXPECT_EQ(f.store.Get("P"), "c:\\Windows\\System32\\Native Tool.exe");
  EXPECT_TRUE(files.RedirectionEnabled());
  EXPECT_EQ(f.run.registryView, between);

  // A 32-bit target sees the redirected folder, where the file does not exist.
  f.run.targetPlatform = "Win32";
  f.store.Set("P", "c:\\windows\\system32\\native tool.exe");
  f.Run("Convert Path", {"P", "FALSE"});
  EXPECT_EQ(winpath::ExtractFileName(f.store.Get("P")), "native tool.exe");
}

TEST_F(StringCommandsTest, ConvertCaseNormalizesFirst) {
  f.store.Set("ROOT", "c:\\\\Program Files");
  f.store.Set("P", "$ROOT$\\\\Demo\\caf\xE9");
  f.Run("Convert Case", {"P", "TRUE"});
  EXPECT_EQ(f.store.Get("P"), "C:\\PROGRAM FILES\\DEMO\\CAF\xC9");
  f.Run("Convert Case", {"$P$", "FALSE"});
  EXPECT_EQ(f.store.Get("P"), "c:\\program files\\demo\\caf\xE9");
  f.store.Set("UNC", "\\\\Server\\\\Share");
  f.Run("Convert Case", {"UNC", ""});
  EXPECT_EQ(f.store.Get("UNC"), "\\\\server\\share");
}

TEST_F(StringCommandsTest, ReplaceStringKeepsLineBreaksAsTokens) {
  f.store.Set("TEXT", "first line\r\nsecond LINE\r\nthird line");
  f.Run("Replace String", {"$TEXT$", "line", "row", "TRUE", "TRUE"});
  EXPECT_EQ(f.store.Get("TEXT"), "first row$NEWLINE$second row$NEWLINE$third row");
  // A find text that expands to a line break matches the token.
  f.Run("Replace String", {"TEXT", "$NEWLINE$", " / ", "FALSE", "FALSE"});
  EXPECT_EQ(f.store.Get("TEXT"), "first row / second row$NEWLINE$third row");
  f.store.Set("SEP", "/");
  f.Run("Replace String", {"TEXT", "$SEP$", "|", "FALSE", "FALSE"});
  EXPECT_EQ(f.store.Get("TEXT"), "first row | second row$NEWLINE$third row");
}

TEST_F(StringCommandsTest, ExtractPathWorksOnTheNormalizedValue) {
  f.store.Set("DIR", "C:\\\\Program Files");
  f.store.Set("F", "$DIR$\\\\Demo\\\\setup.exe");
  f.Run("Extract Path", {"F", "3"});
  EXPECT_EQ(f.store.Get("F"), "C:\\Program Files\\Demo\\");
  f.Run("Extract Path", {"F", "9"});
  EXPECT_EQ(f.store.Get("F"), "C:\\Program Files\\Demo\\");
  EXPECT_NE(f.RunError("Extract Path", {"F", "x"}), "");
  EXPECT_NE(f.RunError("Extract Path", {"F", ""}), "");
}

TEST_F(StringCommandsTest, ParseStringStoresTrimmedPartsInTheNamedVariables) {
  f.store.Set("LINE", "  Key  =  Some Value  ");
  f.Run("Parse String", {"$LINE$", "=", "key", "value", "0", "TRUE", "FALSE"});
  EXPECT_EQ(f.store.Get("KEY"), "Key");
  EXPECT_EQ(f.store.Get("VALUE"), "Some Value");
  f.Run("Parse String", {"$LINE$", "=", "key", "value", "0", "FALSE", "FALSE"});
  EXPECT_EQ(f.store.Get("KEY"), "  Key  ");
  EXPECT_EQ(f.store.Get("VALUE"), "  Some Value  ");

  // The searched copy ignores letter case; the parts keep theirs. An empty name stores nothing.
  f.Run("Parse String", {"C:\\Apps\\DEMO\\bin", "\\demo\\", "", "REST", "0", "FALSE", "TRUE"});
  EXPECT_EQ(f.store.Get("REST"), "bin");
  EXPECT_EQ(f.store.Count(), 5u);  // NEWLINE, LINE, KEY, VALUE, REST

  // The count is expanded and normalized like the text.
  f.store.Set("N", "3");
  f.Run("Parse String", {"abcdef", "$N$", "HEAD", "TAIL", "2", "", ""});
  EXPECT_EQ(f.store.Get("HEAD"), "abc");
  EXPECT_EQ(f.store.Get("TAIL"), "def");
  f.Run("Parse String", {"abcdef", "2", "HEAD", "TAIL", "7", "", ""});
  EXPECT_EQ(f.store.Get("HEAD"), "");
  EXPECT_EQ(f.store.Get("TAIL"), "");
}

TEST_F(StringCommandsTest, ParseStringModeAndCountMustBeIntegers) {
  EXPECT_NE(f.RunError("Parse String", {"abc", ",", "A", "B", "zero", "", ""}), "");
  EXPECT_NE(f.RunError("Parse String", {"abc", "two", "A", "B", "2", "", ""}), "");
  EXPECT_NE(f.RunError("Parse String", {"abc", "", "A", "B", "3", "", ""}), "");
  // A delimiter in modes 0 and 1 need not be a number.
  EXPECT_EQ(f.RunError("Parse String", {"abc", "b", "A", "B", "1", "", ""}), "");
}

}  // namespace
}  // namespace qv::script
