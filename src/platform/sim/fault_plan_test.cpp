#include "platform/sim/fault_plan.h"

#include <gtest/gtest.h>

namespace qv::platform::sim {
namespace {

TEST(WildcardMatchTest, MatchesStarsWithoutRegardToCase) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*", "C:\\anything\\at all.txt", true},
      {"*", "", true},
      {"", "", true},
      {"", "x", false},
      {"C:\\Setup\\*.dll", "c:\\SETUP\\zel.DLL", true},
      {"C:\\Setup\\*.dll", "C:\\Setup\\zel.dll.bak", false},
      {"C:\\Setup\\*.dll", "C:\\Other\\zel.dll", false},
      {"*\\locked.txt", "D:\\deep\\er\\LOCKED.txt", true},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXcYYb", false},
      {"a*b", "ab", true},
      {"*x", "xyx", true},
      {"abc", "abcd", false},
      {"C:\\CAF\xC9\\*", "c:\\caf\xE9\\menu.txt", true},  // code page 1252 letters
  };
  for (const auto& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match) << c.pattern << " / " << c.text;
}

TEST(FaultPlanTest, SkipsThenFiresTheGivenNumberOfTimes) {
  FaultPlan plan;
  int id = plan.Add(FaultRule::On(FaultOp::OpenWrite, "*.ini", kErrorSharingViolation).Skip(1).Times(2));
  ErrorCode got[5];
  for (auto& g : got) g = plan.Check(FaultOp::OpenWrite, "C:\\app.ini");
  EXPECT_EQ(got[0], kSuccess);
  EXPECT_EQ(got[1], kErrorSharingViolation);
  EXPECT_EQ(got[2], kErrorSharingViolation);
  EXPECT_EQ(got[3], kSuccess);
  EXPECT_EQ(got[4], kSuccess);
  EXPECT_EQ(plan.Fired(id), 2);
  // Other kinds and other paths do not count.
  EXPECT_EQ(plan.Check(FaultOp::OpenRead, "C:\\app.ini"), kSuccess);
}

TEST(FaultPlanTest, FiresOncePerOperationAndFirstRuleWins) {
  FaultPlan plan;
  int first = plan.Add(FaultRule::On(FaultOp::Copy, "C:\\*", kErrorAccessDenied).Times(1));
  int second = plan.Add(FaultRule::On(FaultOp::Copy, "*", kErrorDiskFull));
  // Both paths of one copy match the first rule: it fires once, for this copy only.
  EXPECT_EQ(plan.Check({{FaultOp::Copy, "C:\\a"}, {FaultOp::Copy, "C:\\b"}}), kErrorAccessDenied);
  EXPECT_EQ(plan.Fired(first), 1);
  EXPECT_EQ(plan.Check({{FaultOp::Copy, "C:\\a"}, {FaultOp::Copy, "C:\\b"}}), kErrorDiskFull);
  EXPECT_EQ(plan.Fired(second), 1);
  plan.Remove(second);
  EXPECT_EQ(plan.Check(FaultOp::Copy, "C:\\a"), kSuccess);
}

TEST(FaultPlanTest, LetsBytesThroughUntilTheDiskIsFull) {
  FaultPlan plan;
  int id = plan.Add(FaultRule::DiskFull("D:\\*", 10).Times(2));
  std::vector<std::string> first{"D:\\a.bin"}, second{"D:\\b.bin"}, other{"C:\\c.bin"};
  size_t allowed = 0;
  // The space left is shared by all files on the disk.
  EXPECT_EQ(plan.CheckWrite(first, 4, allowed), kSuccess);
  EXPECT_EQ(allowed, 4u);
  EXPECT_EQ(plan.CheckWrite(second, 4, allowed), kSuccess);
  EXPECT_EQ(plan.CheckWrite(other, 100, allowed), kSuccess);
  EXPECT_EQ(plan.CheckWrite(first, 5, allowed), kErrorDiskFull);
  EXPECT_EQ(allowed, 2u);
  EXPECT_EQ(plan.CheckWrite(second, 0, allowed), kSuccess);
  EXPECT_EQ(plan.CheckWrite(second, 1, allowed), kErrorDiskFull);
  EXPECT_EQ(allowed, 0u);
  // After its last time the disk has room again.
  EXPECT_EQ(plan.CheckWrite(second, 1, allowed), kSuccess);
  EXPECT_EQ(allowed, 1u);
  EXPECT_EQ(plan.Fired(id), 2);
  // A size rule is about writes only.
  EXPECT_EQ(plan.Check(FaultOp::OpenWrite, "D:\\a.bin"), kSuccess);
}

TEST(FaultPlanTest, RegistryPatternsTakeLongRootNames) {
  FaultPlan plan;
  plan.Add(FaultRule::On(FaultOp::RegWrite, "HKEY_LOCAL_MACHINE\\Software\\Brelmont*", kErrorAccessDenied));
  EXPECT_EQ(plan.Check(FaultOp::RegWrite, "HKLM\\SOFTWARE\\Brelmont\\Quorvane"), kErrorAccessDenied);
  EXPECT_EQ(plan.Check(FaultOp::RegWrite, "HKCU\\Software\\Brelmont"), kSuccess);
}

}  // namespace
}  // namespace qv::platform::sim
