#include "platform/sim/sim_system.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/sim/sim_test_root.h"

namespace qv::platform::sim {
namespace {

TEST(OsProfilesTest, DescribeTheirWindows) {
  struct Case {
    OsProfile profile;
    uint32_t major, minor, build, platformId;
    const char* servicePack;
    uint16_t spMajor;
    uint8_t productType;
    bool os64, elevated, privileged;
    const char* temp;  // for the user "Ann"
  } cases[] = {
      {profiles::Windows98(), 4, 10, 0x040A07CE, 1, " ", 0, 1, false, false, true, "C:\\WINDOWS\\TEMP\\"},
      {profiles::Windows98Se(), 4, 10, 0x040A08AE, 1, " A ", 0, 1, false, false, true, "C:\\WINDOWS\\TEMP\\"},
      {profiles::WindowsXpSp3(), 5, 1, 2600, 2, "Service Pack 3", 3, 1, false, false, true,
       "C:\\Documents and Settings\\Ann\\Local Settings\\Temp\\"},
      {profiles::WindowsXpSp3(Bits::k64, Account::kStandardUser), 5, 2, 3790, 2, "Service Pack 2", 2, 1, true, false,
       false, "C:\\Documents and Settings\\Ann\\Local Settings\\Temp\\"},
      {profiles::WindowsVistaSp2(Bits::k32), 6, 0, 6002, 2, "Service Pack 2", 2, 1, false, true, true,
       "C:\\Users\\Ann\\AppData\\Local\\Temp\\"},
      {profiles::WindowsVistaSp2(Bits::k64, Account::kStandardUser), 6, 0, 6002, 2, "Service Pack 2", 2, 1, true,
       false, false, "C:\\Users\\Ann\\AppData\\Local\\Temp\\"},
      {profiles::Windows7Sp1(), 6, 1, 7601, 2, "Service Pack 1", 1, 1, true, true, true,
       "C:\\Users\\Ann\\AppData\\Local\\Temp\\"},
      {profiles::WindowsServer2008(Bits::k32), 6, 0, 6001, 2, "Service Pack 1", 1, 3, false, true, true,
       "C:\\Users\\Ann\\AppData\\Local\\Temp\\"},
      {profiles::Windows8(), 6, 2, 9200, 2, "", 0, 1, true, true, true, "C:\\Users\\Ann\\AppData\\Local\\Temp\\"},
  };
  for (auto& c : cases) {
    c.profile.userName = "Ann";
    const OsVersion& v = c.profile.version;
    SCOPED_TRACE(c.profile.name);
    EXPECT_EQ(v.major, c.major);
    EXPECT_EQ(v.minor, c.minor);
    EXPECT_EQ(v.build, c.build);
    EXPECT_EQ(v.platformId, c.platformId);
    EXPECT_EQ(v.servicePackText, c.servicePack);
    EXPECT_EQ(v.servicePackMajor, c.spMajor);
    EXPECT_EQ(v.productType, c.productType);
    EXPECT_EQ(c.profile.os64, c.os64);
    EXPECT_FALSE(c.profile.process64);
    EXPECT_EQ(c.profile.elevated, c.elevated);
    EXPECT_EQ(c.profile.Privileged(), c.privileged);
    EXPECT_EQ(KnownFoldersOf(c.profile).temp, c.temp);
  }
  OsProfile standard = profiles::Windows7Sp1(Bits::k64, Account::kStandardUser);
  EXPECT_FALSE(standard.administrator);
  EXPECT_FALSE(standard.Privileged());
  OsProfile def = profiles::Default();
  EXPECT_EQ(def.version.build, 7601u);
  EXPECT_TRUE(def.os64 && def.administrator && def.elevated && def.Wow64());
  EXPECT_EQ(def.userLanguage, 1033);
  EXPECT_EQ(def.ansiCodePage, 1252u);
  def.tempFolder = "D:\\Scratch";
  EXPECT_EQ(KnownFoldersOf(def).temp, "D:\\Scratch\\");
  EXPECT_EQ(KnownFoldersOf(def).programFilesX86, "C:\\Program Files (x86)");
  EXPECT_EQ(KnownFoldersOf(profiles::Windows7Sp1(Bits::k32)).programFilesX86, "");
}

class SimSystemTest : public ::testing::Test {
 protected:
  testing::TempRoot root_;
  FaultPlan faults_;
  SimFileSystem files_{root_.Path(), &faults_};
  SimSystem system_{profiles::Default(), files_};
};

TEST_F(SimSystemTest, AnswersFromItsProfile) {
  OsProfile p = profiles::WindowsXpSp3();
  p.userName = "Bob";
  p.userLanguage = 1031;
  system_.SetProfile(p);
  EXPECT_EQ(system_.Version().minor, 1u);
  EXPECT_EQ(system_.TempFolder(), "C:\\Documents and Settings\\Bob\\Local Settings\\Temp\\");
  EXPECT_EQ(system_.UserDefaultLanguage(), 1031);
  EXPECT_EQ(system_.AnsiCodePage(), 1252u);
  EXPECT_EQ(system_.AnsiToUtf16("\x80\xE9"), u"\u20AC\u00E9");
  unsigned char upper[256], lower[256];
  system_.AnsiCaseTables(upper, lower);
  EXPECT_EQ(upper[0xE9], 0xC9);
  EXPECT_EQ(lower[0x8A], 0x9A);
}

TEST_F(SimSystemTest, ReadsItsImageHeadersFromTheExecutablesFile) {
  EXPECT_EQ(system_.OwnImageHeaders(), "");
  EXPECT_EQ(system_.CommandLine(), "");
  std::string image(10000, 'i');
  image[0] = 'M';
  image[1] = 'Z';
  ASSERT_EQ(files_.CreateFolder("C:\\Setup"), kSuccess);
  ASSERT_EQ(files_.WriteWholeFile("C:\\Setup\\setup.exe", image), kSuccess);
  ASSERT_EQ(files_.WriteWholeFile("C:\\Setup\\tiny.exe", "MZ tiny"), kSuccess);
  system_.SetExecutablePath("C:\\Setup\\setup.exe");
  // The loader maps the image; fault rules on opening files do not stop it.
  faults_.Add(FaultRule::LockedFile("*"));
  EXPECT_EQ(system_.OwnImageHeaders(), image.substr(0, 4096));
  EXPECT_EQ(system_.ExecutablePath(), "C:\\Setup\\setup.exe");
  EXPECT_EQ(system_.CommandLine(), "\"C:\\Setup\\setup.exe\"");
  system_.SetCommandLine("\"C:\\Setup\\setup.exe\" /s NAME=x");
  EXPECT_EQ(system_.CommandLine(), "\"C:\\Setup\\setup.exe\" /s NAME=x");
  system_.SetExecutablePath("c:\\setup\\TINY.exe");
  EXPECT_EQ(system_.OwnImageHeaders(), "MZ tiny");
}

TEST_F(SimSystemTest, TicksFromASettableClock) {
  SimClock& clock = system_.Clock();
  EXPECT_FALSE(clock.Frozen());
  EXPECT_GE(system_.TickCount(), SimClock::kDefaultUptimeMs);
  clock.Freeze();
  clock.Set(1000);
  EXPECT_EQ(system_.TickCount(), 1000u);
  clock.Advance(315);
  EXPECT_EQ(system_.TickCount(), 1315u);
  // The tick count wraps after 49.7 days like GetTickCount; the clock itself does not.
  clock.Set((uint64_t(1) << 32) - 10);
  clock.Advance(25);
  EXPECT_EQ(system_.TickCount(), 15u);
  EXPECT_EQ(clock.NowMs(), (uint64_t(1) << 32) + 15);
  // Running again, it goes on from where it stood with real time.
  clock.Set(5000);
  clock.Run();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(system_.TickCount(), 5020u);
}

}  // namespace
}  // namespace qv::platform::sim
