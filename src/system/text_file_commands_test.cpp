#include "system/text_file_commands.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::system {
namespace {

using platform::sim::FaultOp;
using platform::sim::FaultRule;

class TextFileCommandsTest : public ::testing::Test {
 protected:
  TextFileCommandsTest() {
    CloseOpenTextFile();
    RegisterTextFileCommands(f.table);
    f.Machine().Files().CreateFolderTree("C:\\Data");
  }
  ~TextFileCommandsTest() override { CloseOpenTextFile(); }

  void Put(const std::string& path, const std::string& bytes) {
    ASSERT_EQ(f.Machine().Files().WriteWholeFile(path, bytes), platform::kSuccess);
  }
  std::string Contents(const std::string& path) {
    std::string bytes;
    f.Machine().Files().ReadWholeFile(path, bytes);
    return bytes;
  }
  // One read: the line and the end-of-file answer.
  std::pair<std::string, std::string> Read(const std::string& path) {
    f.Run("Read from Text File", {path, "LINE", "EOF"});
    return {f.store.Get("LINE"), f.store.Get("EOF")};
  }
  void Write(const std::string& path, const std::string& text, const std::string& atTop = "FALSE") {
    f.Run("Write to Text File", {path, text, atTop});
  }

  testing::CommandFixture f;
};

using Lines = std::vector<std::pair<std::string, std::string>>;

TEST_F(TextFileCommandsTest, FourReadsOfAThreeLineFileWalkItAndStartOver) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\nthree\r\n");
  Lines got;
  for (int i = 0; i < 4; ++i) got.push_back(Read("C:\\Data\\list.txt"));
  EXPECT_EQ(got, (Lines{{"one", "FALSE"}, {"two", "FALSE"}, {"three", "TRUE"}, {"one", "FALSE"}}));
}

TEST_F(TextFileCommandsTest, LineEndsOfEveryKindAndALastLineWithoutOne) {
  // The CR of the long line's CR LF is the last byte of the first block read.
  const std::string longLine(64 * 1024 - 1, 'x');
  Put("C:\\Data\\mixed.txt", "a\nb\rc\r\n" + longLine + "\r\nd\r\r\nlast");
  Lines got;
  for (int i = 0; i < 7; ++i) got.push_back(Read("C:\\Data\\mixed.txt"));
  EXPECT_EQ(got, (Lines{{"a", "FALSE"},
                        {"b", "FALSE"},
                        {"c", "FALSE"},
                        {longLine, "FALSE"},
                        {"d", "FALSE"},
                        {"", "FALSE"},
                        {"last", "TRUE"}}));
}

TEST_F(TextFileCommandsTest, ReadAllTakesTheRestOfTheOpenFile) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\nthree");
  EXPECT_EQ(Read("C:\\Data\\list.txt"), std::make_pair(std::string("one"), std::string("FALSE")));
  // The prefix belongs to the path: the file is the same open file.
  EXPECT_EQ(Read("#READALL\\C:\\Data\\list.txt"),
            std::make_pair(std::string("two$NEWLINE$three"), std::string("TRUE")));
  EXPECT_EQ(Read("#READALL\\C:\\Data\\list.txt"),
            std::make_pair(std::string("one$NEWLINE$two$NEWLINE$three"), std::string("TRUE")));
}

TEST_F(TextFileCommandsTest, TheSamePathInOtherLettersContinuesTheFile) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\nthree\r\n");
  Read("C:\\Data\\list.txt");
  EXPECT_EQ(Read("c:\\DATA\\LIST.TXT").first, "two");
  // Another file closes the first; coming back starts it over.
  Put("C:\\Data\\other.txt", "other\r\nmore\r\n");
  EXPECT_EQ(Read("C:\\Data\\other.txt").first, "other");
  EXPECT_EQ(Read("C:\\Data\\list.txt").first, "one");
}

TEST_F(TextFileCommandsTest, AMissingOrEmptyFileEndsAtOnceAndKeepsTheResult) {
  f.store.Set("LINE", "before");
  EXPECT_EQ(Read("C:\\Data\\missing.txt"), std::make_pair(std::string("before"), std::string("TRUE")));
  Put("C:\\Data\\empty.txt", "");
  EXPECT_EQ(Read("C:\\Data\\empty.txt"), std::make_pair(std::string("before"), std::string("TRUE")));
}

TEST_F(TextFileCommandsTest, VariablesAreCreatedAndTheEndOfFileVariableIsOptional) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\n");
  f.Run("Read from Text File", {"C:\\Data\\list.txt", "$first$", ""});
  EXPECT_EQ(f.store.Get("FIRST"), "one");
  f.Run("Read from Text File", {"C:\\Data\\missing.txt", "NEVERSET", "ATEND"});
  EXPECT_TRUE(f.store.Exists("NEVERSET"));
  EXPECT_EQ(f.store.Get("ATEND"), "TRUE");
}

TEST_F(TextFileCommandsTest, WritingToTheFileBeingReadStartsTheNextReadAtTheTop) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\n");
  EXPECT_EQ(Read("C:\\Data\\list.txt").first, "one");
  Write("C:\\Data\\LIST.txt", "zero", "TRUE");
  EXPECT_EQ(Contents("C:\\Data\\list.txt"), "zero\r\none\r\ntwo\r\n");
  EXPECT_EQ(Read("C:\\Data\\list.txt").first, "zero");
}

TEST_F(TextFileCommandsTest, WriteAddsALineAtEitherEnd) {
  struct Case {
    const char* before;  // null: no file
    const char* text;
    const char* atTop;
    const char* after;
  } cases[] = {
      {nullptr, "first", "FALSE", "first\r\n"},
      {"a\r\nb", "c", "FALSE", "a\r\nb\r\nc\r\n"},
      {"a\nb\r", "top", "TRUE", "top\r\na\r\nb\r\n"},
      {"a\r\n", "", "-1", "\r\na\r\n"},
      {"a\r\n", "x$NEWLINE$y", "$TOP$", "x\r\ny\r\na\r\n"},
  };
  f.store.Set("TOP", "true");
  f.store.Set("NEWLINE", "\r\n");
  for (const auto& c : cases) {
    const std::string path = "C:\\Data\\write.txt";
    f.Machine().Files().RemoveFile(path);
    if (c.before) Put(path, c.before);
    Write(path, c.text, c.atTop);
    EXPECT_EQ(Contents(path), c.after) << (c.before ? c.before : "(none)") << " + " << c.text;
  }
}

TEST_F(TextFileCommandsTest, WriteReplacesAReadOnlyFileAndFailsSilently) {
  Put("C:\\Data\\ro.txt", "a\r\n");
  f.Machine().Files().SetAttributes("C:\\Data\\ro.txt", platform::attr::kReadOnly | platform::attr::kHidden);
  Write("C:\\Data\\ro.txt", "b");
  EXPECT_EQ(Contents("C:\\Data\\ro.txt"), "a\r\nb\r\n");
  uint32_t bits = 0;
  f.Machine().Files().Attributes("C:\\Data\\ro.txt", bits);
  EXPECT_EQ(bits, platform::attr::kArchive);
  // A folder that does not exist: nothing is written and the script goes on.
  Write("C:\\Nowhere\\x.txt", "b");
  EXPECT_FALSE(f.Machine().Files().FileExists("C:\\Nowhere\\x.txt"));
}

TEST_F(TextFileCommandsTest, AFileThatCannotBeReadIsNotReplacedByTheNewLine) {
  Put("C:\\Data\\locked.txt", "precious\r\n");
  int rule = f.Machine().Faults().Add(
      FaultRule::On(FaultOp::OpenRead, "C:\\Data\\locked.txt", platform::kErrorSharingViolation));
  Write("C:\\Data\\locked.txt", "new");
  f.Machine().Faults().Remove(rule);
  EXPECT_EQ(Contents("C:\\Data\\locked.txt"), "precious\r\n");
}

TEST_F(TextFileCommandsTest, TheExitStageClosesTheOpenFile) {
  Put("C:\\Data\\list.txt", "one\r\ntwo\r\n");
  Read("C:\\Data\\list.txt");
  // Open for reading, the file cannot be replaced.
  EXPECT_NE(f.Machine().Files().WriteWholeFile("C:\\Data\\list.txt", "x"), platform::kSuccess);
  CloseOpenTextFile();
  EXPECT_EQ(f.Machine().Files().WriteWholeFile("C:\\Data\\list.txt", "new\r\n"), platform::kSuccess);
  EXPECT_EQ(Read("C:\\Data\\list.txt").first, "new");
}

}  // namespace
}  // namespace qv::system
