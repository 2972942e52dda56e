#include "platform/sim/sim_system.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/sim/sim_platform.h"
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

TEST(SimSystemProfileTest, AnswersBitnessRightsAndLook) {
  OsProfile native = profiles::Windows7Sp1();
  native.process64 = true;
  OsProfile classic = profiles::Windows7Sp1();
  classic.visualThemes = false;
  classic.desktopComposition = false;
  struct Case {
    OsProfile profile;
    bool is64, administrator, composition, themes;
  } cases[] = {
      {profiles::Windows98(), false, true, false, false},
      {profiles::WindowsXpSp3(), false, true, false, true},
      {profiles::WindowsXpSp3(Bits::k64, Account::kStandardUser), true, false, false, true},
      {profiles::WindowsVistaSp2(Bits::k32), false, true, true, true},
      {profiles::Windows7Sp1(), true, true, true, true},
      {native, true, true, true, true},
      {classic, true, true, false, false},
      {profiles::Windows7Sp1(Bits::k64, Account::kStandardUser), true, false, true, true},
      {profiles::WindowsServer2008(), true, true, false, false},
      {profiles::Windows8(Bits::k32), false, true, true, true},
  };
  testing::TempRoot root;
  SimFileSystem files(root.Path(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.name);
    SimSystem sys(c.profile, files);
    EXPECT_EQ(sys.Is64BitWindows(), c.is64);
    EXPECT_EQ(sys.RunsAsAdministrator(), c.administrator);
    EXPECT_EQ(sys.DesktopCompositionEnabled(), c.composition);
    EXPECT_EQ(sys.VisualThemesActive(), c.themes);
  }
  // An administrator that did not start the engine elevated has the rights of a user.
  OsProfile filtered = profiles::Windows7Sp1();
  filtered.elevated = false;
  EXPECT_FALSE(SimSystem(filtered, files).RunsAsAdministrator());
}

TEST(SimSystemProfileTest, GivesTheShellFoldersOfEachWindows) {
  OsProfile native = profiles::Windows7Sp1();
  native.process64 = true;
  OsProfile seven = profiles::Windows7Sp1(), seven32 = profiles::Windows7Sp1(Bits::k32);
  OsProfile xp = profiles::WindowsXpSp3(), nine = profiles::Windows98();
  struct Case {
    const OsProfile& profile;
    int csidl;
    const char* folder;
  } cases[] = {
      {seven, csidl::kDesktop, "C:\\Users\\Ann\\Desktop"},
      {seven, csidl::kPersonal, "C:\\Users\\Ann\\Documents"},
      {seven, csidl::kPrograms, "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
      {seven, csidl::kCommonPrograms, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {seven, csidl::kCommonDesktopDirectory, "C:\\Users\\Public\\Desktop"},
      {seven, csidl::kCommonFavorites, "C:\\Users\\Ann\\Favorites"},
      {seven, csidl::kLocalAppData, "C:\\Users\\Ann\\AppData\\Local"},
      {seven, csidl::kInternetCache, "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"},
      {seven, csidl::kCommonAppData, "C:\\ProgramData"},
      {seven, csidl::kFonts, "C:\\Windows\\Fonts"},
      // A 32-bit process on 64-bit Windows gets the x86 folders for the plain numbers.
      {seven, csidl::kSystem, "C:\\Windows\\system32"},
      {seven, csidl::kSystemX86, "C:\\Windows\\SysWOW64"},
      {seven, csidl::kProgramFiles, "C:\\Program Files (x86)"},
      {seven, csidl::kProgramFilesX86, "C:\\Program Files (x86)"},
      {seven, csidl::kProgramFilesCommon, "C:\\Program Files (x86)\\Common Files"},
      {native, csidl::kProgramFiles, "C:\\Program Files"},
      {native, csidl::kProgramFilesCommon, "C:\\Program Files\\Common Files"},
      {seven32, csidl::kProgramFilesX86, "C:\\Program Files"},
      {seven32, csidl::kSystemX86, "C:\\Windows\\system32"},
      {xp, csidl::kPrograms, "C:\\Documents and Settings\\Ann\\Start Menu\\Programs"},
      {xp, csidl::kPersonal, "C:\\Documents and Settings\\Ann\\My Documents"},
      {xp, csidl::kCommonStartup, "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup"},
      {xp, csidl::kCommonAppData, "C:\\Documents and Settings\\All Users\\Application Data"},
      {xp, csidl::kAdminTools, "C:\\Documents and Settings\\Ann\\Start Menu\\Programs\\Administrative Tools"},
      {nine, csidl::kDesktop, "C:\\WINDOWS\\Desktop"},
      {nine, csidl::kPrograms, "C:\\WINDOWS\\Start Menu\\Programs"},
      {nine, csidl::kAppData, "C:\\WINDOWS\\Application Data"},
      {nine, csidl::kSystem, "C:\\WINDOWS\\SYSTEM"},
      {nine, csidl::kCommonPrograms, ""},
      {nine, csidl::kProgramFilesX86, ""},
      {seven, 0x3F, ""},
      {seven, -1, ""},
      {seven, 0x8000 | csidl::kDesktop, ""},
  };
  for (const auto& c : cases) {
    OsProfile p = c.profile;
    p.userName = "Ann";
    EXPECT_EQ(ShellFolderOf(p, c.csidl), c.folder) << p.name << " " << c.csidl;
  }
}

// A fresh machine has the folders its shell reports.
TEST(SimSystemProfileTest, SeedsTheShellFolders) {
  for (const OsProfile& profile : {profiles::Windows7Sp1(), profiles::WindowsXpSp3(), profiles::Windows98()}) {
    SCOPED_TRACE(profile.name);
    testing::TempRoot root;
    SimPlatform sim(root.Path(), profile);
    for (int id : {csidl::kDesktop, csidl::kPrograms, csidl::kStartup, csidl::kPersonal, csidl::kAppData,
                   csidl::kCommonAppData, csidl::kFonts, csidl::kProgramFiles}) {
      std::string folder = sim.Sys().ShellFolder(id);
      EXPECT_TRUE(sim.Files().FolderExists(folder)) << id << " " << folder;
    }
  }
}

TEST_F(SimSystemTest, TellsDateAndTimeInTheUsersFormats) {
  SimClock& clock = system_.Clock();
  clock.Freeze();
  clock.SetWall({2012, 3, 9, 14, 5, 7, 250});
  struct Case {
    uint16_t language;
    WallTime time;
    const char* date;
    const char* timeText;
  } cases[] = {
      {1033, {2012, 3, 9, 14, 5, 7}, "3/9/2012", "2:05:07 PM"},
      {1033, {2012, 12, 31, 0, 0, 0}, "12/31/2012", "12:00:00 AM"},
      {1033, {2012, 12, 31, 12, 30, 0}, "12/31/2012", "12:30:00 PM"},
      {2057, {2012, 3, 9, 14, 5, 7}, "09/03/2012", "14:05:07"},
      {1031, {2012, 3, 9, 9, 5, 7}, "09.03.2012", "09:05:07"},
      {1043, {2012, 3, 9, 9, 5, 7}, "9-3-2012", "9:05:07"},
      {0x0416, {2012, 3, 9, 9, 5, 7}, "3/9/2012", "9:05:07 AM"},  // unknown here: English (United States)
  };
  for (const auto& c : cases) {
    OsProfile p = system_.Profile();
    p.userLanguage = c.language;
    system_.SetProfile(p);
    clock.SetWall(c.time);
    EXPECT_EQ(system_.CurrentDateText(), c.date) << c.language;
    EXPECT_EQ(system_.CurrentTimeText(), c.timeText) << c.language;
  }
}

// The wall clock moves with the uptime, across days, months and leap days; a new
// uptime is not a new time of day.
TEST(SimClockTest, WallTimeMovesWithTheUptime) {
  SimClock clock;
  clock.Freeze();
  clock.SetWall({2012, 2, 28, 23, 59, 59, 500});
  clock.Advance(500);
  EXPECT_EQ(clock.Wall(), (WallTime{2012, 2, 29, 0, 0, 0, 0}));
  clock.Advance(86'400'000);
  EXPECT_EQ(clock.Wall(), (WallTime{2012, 3, 1, 0, 0, 0, 0}));
  clock.Set(10);
  EXPECT_EQ(clock.Wall(), (WallTime{2012, 3, 1, 0, 0, 0, 0}));
  clock.SetWall({1999, 12, 31, 23, 0, 0, 0});
  clock.Advance(3'600'000);
  EXPECT_EQ(clock.Wall(), (WallTime{2000, 1, 1, 0, 0, 0, 0}));
  clock.SetWall({2100, 2, 28, 12, 0, 0, 0});
  clock.Advance(86'400'000);
  EXPECT_EQ(clock.Wall(), (WallTime{2100, 3, 1, 12, 0, 0, 0}));  // no leap day in 2100
  // Without a test's time it starts at the host's date.
  SimClock fresh;
  EXPECT_GE(fresh.Wall().year, 2024);
}

}  // namespace
}  // namespace qv::platform::sim
