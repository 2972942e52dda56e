#include "platform/sim/sim_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/text.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "platform/sim/version_resource.h"

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

TEST_F(SimSystemTest, ExpandsEnvironmentReferencesAsTheSystemDoes) {
  system_.SetEnvironmentVariable("QV_DIR", "C:\\Data");
  system_.SetEnvironmentVariable("QV_EMPTY", "");
  struct Case {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"%QV_DIR%\\x", "C:\\Data\\x"},
      {"%qv_dir%", "C:\\Data"},
      {"%QV_EMPTY%|", "|"},
      {"%FOO%", "%FOO%"},
      // An unknown name keeps its first "%"; its closing one may open the next reference.
      {"%FOO%QV_DIR%", "%FOOC:\\Data"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"a%QV_DIR", "a%QV_DIR"},
  };
  for (const auto& c : cases) EXPECT_EQ(system_.ExpandEnvironment(c.text), c.expanded) << c.text;
  system_.SetEnvironmentVariable("QV_DIR", std::nullopt);
  EXPECT_EQ(system_.ExpandEnvironment("%QV_DIR%"), "%QV_DIR%");
}

TEST(SimSystemProfileTest, EnvironmentBlockIsTheProfilesAndKeepsItsOrder) {
  testing::TempRoot root;
  SimFileSystem files(root.Path(), nullptr);
  OsProfile seven = profiles::Windows7Sp1();
  seven.userName = "Ann";
  SimSystem sys(seven, files);
  std::vector<std::string> block = sys.EnvironmentBlock();
  auto upperNames = [](const std::vector<std::string>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(text::UpperCase(e.substr(0, e.find('='))));
    return names;
  };
  std::vector<std::string> names = upperNames(block);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  // A 32-bit process on 64-bit Windows sees the x86 folders under the plain names.
  EXPECT_EQ(sys.ExpandEnvironment("%ProgramFiles%|%ProgramW6432%|%USERPROFILE%|%TEMP%"),
            "C:\\Program Files (x86)|C:\\Program Files|C:\\Users\\Ann|C:\\Users\\Ann\\AppData\\Local\\Temp");
  sys.SetEnvironmentVariable("MIDDLE", "m");
  names = upperNames(sys.EnvironmentBlock());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  // 9x keeps its block in the order AUTOEXEC.BAT set it and adds at the end.
  SimSystem nine(profiles::Windows98(), files);
  nine.SetEnvironmentVariable("ADDED", "1");
  block = nine.EnvironmentBlock();
  EXPECT_EQ(block.front(), "TMP=C:\\WINDOWS\\TEMP");
  EXPECT_EQ(block.back(), "ADDED=1");
}

TEST_F(SimSystemTest, CreatesTemporaryFilesWithNewNames) {
  ASSERT_EQ(files_.CreateFolderTree("C:\\Temp"), kSuccess);
  system_.Clock().Freeze();
  system_.Clock().Set(0x12340000);  // the low 16 bits are 0, which the system skips
  std::string first, second;
  ASSERT_EQ(system_.CreateTempFile("C:\\Temp", "zelx", first), kSuccess);
  EXPECT_EQ(first, "C:\\Temp\\zel0001.tmp");
  // An existing name is passed over.
  ASSERT_EQ(files_.WriteWholeFile("C:\\Temp\\zel0002.tmp", "taken"), kSuccess);
  ASSERT_EQ(system_.CreateTempFile("C:\\Temp\\", "zel", second), kSuccess);
  EXPECT_EQ(second, "C:\\Temp\\zel0003.tmp");
  uint64_t size = 1;
  EXPECT_EQ(files_.FileSize(second, size), kSuccess);
  EXPECT_EQ(size, 0u);
  std::string missing = "x";
  EXPECT_EQ(system_.CreateTempFile("C:\\Nowhere", "zel", missing), kErrorDirectory);
  EXPECT_EQ(missing, "");
  faults_.Add(FaultRule::AccessDenied("C:\\Temp\\*"));
  EXPECT_EQ(system_.CreateTempFile("C:\\Temp", "zel", missing), kErrorAccessDenied);
}

TEST_F(SimSystemTest, DriveTypesComeFromTheDriveTable) {
  files_.AddDrive('E', DriveType::CdRom);
  files_.AddDrive('F', DriveType::Removable);
  files_.SetMediumPresent('E', false);
  EXPECT_EQ(system_.DriveType("C:\\"), drive_type::kFixed);
  EXPECT_EQ(system_.DriveType("e:\\"), drive_type::kCdRom);
  EXPECT_EQ(system_.DriveType("F:\\"), drive_type::kRemovable);
  EXPECT_EQ(system_.DriveType("G:\\"), drive_type::kNoRootFolder);
}

TEST(SimSystemProfileTest, MemoryAsA32BitProgramSeesIt) {
  testing::TempRoot root;
  SimFileSystem files(root.Path(), nullptr);
  OsProfile big = profiles::Windows7Sp1();
  big.physicalMemory = 6ull << 30;
  MemoryStatus m = SimSystem(big, files).Memory();
  EXPECT_EQ(m.totalPhysical, 2u << 30);
  EXPECT_TRUE(m.haveExtended);
  EXPECT_EQ(m.totalPhysicalExtended, 6ull << 30);
  big.process64 = true;
  EXPECT_EQ(SimSystem(big, files).Memory().totalPhysical, 0xFFFFFFFFu);
  MemoryStatus nine = SimSystem(profiles::Windows98(), files).Memory();
  EXPECT_EQ(nine.totalPhysical, 64u << 20);
  EXPECT_FALSE(nine.haveExtended);
}

TEST(VersionResourceTest, ImagesCarryTheirVersionAndTranslation) {
  FileVersionInfo in;
  in.major = 6;
  in.minor = 1;
  in.build = 7601;
  in.revision = 17514;
  in.hasTranslation = true;
  in.language = 0x0407;
  in.codePage = 1200;
  FileVersionInfo out;
  ASSERT_TRUE(ParseVersionResource(ImageWithVersionResource(in), out));
  EXPECT_EQ(std::vector<int>({out.major, out.minor, out.build, out.revision}), std::vector<int>({6, 1, 7601, 17514}));
  EXPECT_TRUE(out.hasTranslation);
  EXPECT_EQ(out.language, 0x0407);
  EXPECT_EQ(out.codePage, 1200);
  in.hasTranslation = false;
  ASSERT_TRUE(ParseVersionResource(ImageWithVersionResource(in), out));
  EXPECT_FALSE(out.hasTranslation);
  // Not an image, or an image cut inside its resources.
  EXPECT_FALSE(ParseVersionResource("MZ not an image", out));
  std::string image = ImageWithVersionResource(in);
  EXPECT_FALSE(ParseVersionResource(image.substr(0, 0x200 + 100), out));
}

// A fresh machine has the system files whose versions the engine reads.
TEST(SimSystemProfileTest, SeedsVersionedSystemFiles) {
  testing::TempRoot root;
  OsProfile xp = profiles::WindowsXpSp3();
  xp.uiLanguage = 1036;
  SimPlatform sim(root.Path(), xp);
  FileVersionInfo info;
  ASSERT_TRUE(sim.Sys().ReadFileVersionInfo("C:\\WINDOWS\\system32\\winver.exe", info));
  EXPECT_EQ(info.language, 1036);
  EXPECT_EQ(info.build, 2600);
  ASSERT_TRUE(sim.Sys().ReadFileVersionInfo("C:\\WINDOWS\\system32\\shdocvw.dll", info));
  EXPECT_EQ(std::vector<int>({info.major, info.minor, info.build, info.revision}),
            std::vector<int>({6, 0, 2900, 5512}));
  EXPECT_FALSE(sim.Sys().ReadFileVersionInfo("C:\\WINDOWS\\system32\\missing.dll", info));
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
