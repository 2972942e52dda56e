#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace qv::startup {
namespace {

TEST(CommandLine, Tail) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"\"C:\\My Setup\\setup.exe\"  /s X=1", " /s X=1"},
      {"\"C:\\My Setup\\setup.exe\" /S", "/S"},
      {"\"C:\\setup.exe\"", ""},
      {"C:\\setup.exe /qn", "/qn"},
      {"C:\\setup.exe", ""},
      {"\"unterminated", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineTail(c.line), c.tail) << c.line;
}

TEST(CommandLine, SplitLikeTheSystem) {
  EXPECT_EQ(SplitArguments("\"C:\\My Setup\\setup.exe\"  /l=\"C:\\A B\\log.txt\" \"\" X=\"a b\""),
            (std::vector<std::string>{"C:\\My Setup\\setup.exe", "/l=C:\\A B\\log.txt", "X=a b"}));
  EXPECT_EQ(SplitArguments("   "), std::vector<std::string>{});
}

TEST(CommandLine, SilentAndUpdateSwitches) {
  struct Case {
    const char* line;
    bool silent;
    bool update;
  } cases[] = {
      {"setup.exe /s", true, false},      {"setup.exe -S", true, false},
      {"setup.exe /QN", true, false},     {"setup.exe -qn", true, false},
      {"setup.exe /silent", false, false}, {"setup.exe s", false, false},
      {"setup.exe /update", false, true}, {"setup.exe -UpdateSetup /s", true, true},
      {"setup.exe /s=1", false, false},
  };
  for (const auto& c : cases) {
    CommandLine cl = ParseCommandLine(c.line);
    EXPECT_EQ(cl.silent, c.silent) << c.line;
    EXPECT_EQ(cl.update, c.update) << c.line;
  }
}

TEST(CommandLine, ValuedSwitchesAreLowerCasedAndTheFirstWins) {
  CommandLine cl = ParseCommandLine(
      "setup.exe /L=C:\\Logs\\Setup.LOG -l=C:\\second.log /G=\\\\Srv\\Pol\\pkg.msi /m=C:\\Sfx\\Pack.EXE "
      "-P=D:\\Media");
  EXPECT_EQ(cl.logFile, "c:\\logs\\setup.log");
  EXPECT_EQ(cl.policyPath, "\\\\srv\\pol\\pkg.msi");
  EXPECT_EQ(cl.sfxPath, "c:\\sfx\\pack.exe");
  EXPECT_EQ(cl.packagePath, "d:\\media");
  EXPECT_EQ(ParseCommandLine("setup.exe -l=x.log /l=y.log").logFile, "x.log");
  // The program path itself is not an argument.
  EXPECT_EQ(ParseCommandLine("C:\\l=\\setup.exe").logFile, "");
}

TEST(CommandLine, Properties) {
  CommandLine cl = ParseCommandLine("setup.exe targetdir=D:\\App /s Key=a=b EMPTY= /x=y -z=1 noequals");
  EXPECT_EQ(cl.properties, (std::vector<std::string>{"TARGETDIR", "D:\\App", "KEY", "a=b", "EMPTY", ""}));
}

}  // namespace
}  // namespace qv::startup
