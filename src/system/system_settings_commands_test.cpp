#include "system/system_settings_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/text.h"
#include "support/command_fixture.h"
#include "system/system_info.h"

namespace qv::system {
namespace {

namespace sim = platform::sim;
namespace profiles = sim::profiles;
using platform::RegRoot;
using platform::RegValue;
using platform::RegView;
using sim::Account;
using sim::Bits;
using sim::OsProfile;

// A machine of the profile with the six commands registered.
class Machine {
 public:
  explicit Machine(OsProfile profile) : f(std::move(profile)) { RegisterSystemSettingsCommands(f.table); }

  std::string Setting(const std::string& number) {
    f.Run("Get System Settings", {"RESULT", number});
    return f.store.Get("RESULT");
  }
  std::string Level(const std::string& flag) {
    f.Run("Get OS or SP Level", {"RESULT", flag});
    return f.store.Get("RESULT");
  }
  std::string Folder(int number, bool allUsers) {
    f.Run("Get Folder Location", {"RESULT", std::to_string(number), allUsers ? "TRUE" : "FALSE"});
    return f.store.Get("RESULT");
  }
  void WriteString(RegRoot root, const std::string& key, const std::string& name, const std::string& text,
                   RegView view = RegView::Default) {
    f.Machine().SimReg().CreateKey(root, key, view);
    f.Machine().SimReg().WriteValue(root, key, name, RegValue::String(text), view);
  }
  void WriteDword(const std::string& key, const std::string& name, uint32_t value) {
    f.Machine().SimReg().CreateKey(RegRoot::LocalMachine, key, RegView::Default);
    f.Machine().SimReg().WriteValue(RegRoot::LocalMachine, key, name, RegValue::Dword(value), RegView::Default);
  }

  testing::CommandFixture f;
};

OsProfile With(OsProfile p, const std::function<void(OsProfile&)>& change) {
  change(p);
  return p;
}

TEST(SystemInfo, ServicePackNumberIsTheLargestNumberTheTextNames) {
  struct Case {
    const char* text;
    int number;
  } cases[] = {{"Service Pack 1", 1}, {"Service Pack 10", 10}, {"Service Pack 6a", 6}, {" A ", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(ServicePackNumber(c.text), c.number) << c.text;
}

TEST(SystemSettingsCommands, OsLevelFollowsFamilyVersionServicePackAndServerFlag) {
  auto nt = [](uint32_t major, uint32_t minor, const char* sp, bool server) {
    return With(profiles::Windows7Sp1(), [=](OsProfile& p) {
      p.version.major = major;
      p.version.minor = minor;
      p.version.servicePackText = sp;
      p.version.productType = server ? 3 : 1;
    });
  };
  auto nine = [](uint32_t minor, uint32_t build) {
    return With(profiles::Windows98(), [=](OsProfile& p) {
      p.version.minor = minor;
      p.version.build = 0x04000000u | minor << 16 | build;
    });
  };
  struct Case {
    OsProfile profile;
    const char* level;
  } cases[] = {
      {profiles::Windows98(), "98"},
      {profiles::Windows98Se(), "98SE"},
      {nine(0, 950), "95"},
      {nine(90, 3000), "ME"},
      {nt(4, 0, "Service Pack 6", false), "NT4"},
      {nt(5, 0, "Service Pack 4", false), "2000"},
      {profiles::WindowsXpSp3(), "XP"},
      {profiles::WindowsXpSp3(Bits::k64), "2003"},
      {profiles::WindowsVistaSp2(), "VISTA"},
      {profiles::WindowsServer2008(), "2008"},
      // The first Server 2008 build had no service pack yet: it counts as Vista.
      {nt(6, 0, "", true), "VISTA"},
      {profiles::Windows7Sp1(), "SEVEN"},
      {nt(6, 1, "Service Pack 1", true), "2008R2"},
      {profiles::Windows8(), "UNKNOWN"},
      {nt(10, 0, "", false), "UNKNOWN"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.profile.name);
    Machine m(c.profile);
    EXPECT_EQ(m.Level("TRUE"), c.level);
  }
}

TEST(SystemSettingsCommands, TheLevelFlagIsUpperCasedAndAnythingElseAsksForTheServicePack) {
  Machine m(With(profiles::Windows7Sp1(), [](OsProfile& p) { p.version.servicePackText = "Service Pack 10"; }));
  EXPECT_EQ(m.Level("true"), "SEVEN");
  EXPECT_EQ(m.Level("-1"), "SEVEN");
  EXPECT_EQ(m.Level("1"), "10");
  EXPECT_EQ(m.Level(""), "10");
  Machine nine(profiles::Windows98Se());
  EXPECT_EQ(nine.Level("FALSE"), "0");
}

// Each profile with the settings it answers, as pairs of number and value.
struct SettingsCase {
  OsProfile profile;
  std::vector<std::pair<const char*, const char*>> settings;
};

void ExpectSettings(std::vector<SettingsCase> cases) {
  for (auto& c : cases) {
    SCOPED_TRACE(c.profile.name);
    Machine m(c.profile);
    for (const auto& [number, value] : c.settings) EXPECT_EQ(m.Setting(number), value) << "setting " << number;
  }
}

TEST(SystemSettingsCommands, MemoryAndScreenTestsHaveTheirSlackAndEitherOrientation) {
  auto memory = [](uint64_t mib, uint64_t extraKiB = 0) {
    return With(profiles::Windows7Sp1(), [=](OsProfile& p) {
      p.physicalMemory = (mib << 20) + (extraKiB << 10);
      p.name = std::to_string(mib) + " MiB + " + std::to_string(extraKiB) + " KiB";
    });
  };
  auto screen = [](int w, int h) {
    return With(profiles::Windows7Sp1(), [=](OsProfile& p) {
      p.screenWidth = w;
      p.screenHeight = h;
      p.name = std::to_string(w) + "x" + std::to_string(h);
    });
  };
  ExpectSettings({
      {memory(31), {{"1", "TRUE"}, {"2", "FALSE"}, {"84", "31"}}},
      {memory(30), {{"1", "TRUE"}}},
      {memory(29, 1023), {{"1", "FALSE"}, {"84", "30"}}},
      // Whole MiB are rounded to the nearest, a half to the even neighbour.
      {memory(2, 512), {{"84", "2"}}},
      {memory(3, 512), {{"84", "4"}}},
      // A 32-bit program is told 2 GiB of a bigger memory, which passes the 2 GB test;
      // the MiB figure comes from the extended status.
      {memory(8192), {{"6", "TRUE"}, {"7", "TRUE"}, {"84", "8192"}}},
      {With(profiles::Windows98(), [](OsProfile& p) { p.physicalMemory = 96ull << 20; }),
       {{"2", "TRUE"}, {"3", "FALSE"}, {"84", "96"}}},
      {screen(768, 1024), {{"8", "TRUE"}, {"9", "TRUE"}, {"10", "FALSE"}, {"82", "768"}, {"83", "1024"}}},
      {screen(1023, 768), {{"8", "TRUE"}, {"9", "FALSE"}}},
      {screen(1920, 1440), {{"12", "TRUE"}, {"11", "TRUE"}}},
      {With(profiles::Windows98(), [](OsProfile& p) { p.bitsPerPixel = 16; }),
       {{"13", "TRUE"}, {"14", "TRUE"}, {"15", "FALSE"}, {"16", "FALSE"}}},
      {With(profiles::Windows7Sp1(), [](OsProfile& p) { p.dpi = -1; }), {{"64", "-1"}, {"16", "TRUE"}}},
  });
}

TEST(SystemSettingsCommands, GroupsElevationAndTheUserLevelOrder) {
  auto groups = [](std::vector<uint32_t> rids, const char* name) {
    return With(profiles::Windows7Sp1(), [&](OsProfile& p) {
      p.builtinGroups = rids;
      p.name = name;
    });
  };
  using namespace platform::builtin_group;
  ExpectSettings({
      {groups({kAdministrators, kUsers}, "administrator and user"), {{"0", "TRUE"}, {"63", "ADMIN"}}},
      {groups({kUsers, kPowerUsers}, "power user"), {{"0", "FALSE"}, {"63", "POWER"}}},
      {groups({kUsers}, "user"), {{"63", "USER"}}},
      {groups({kGuests}, "guest"), {{"63", "GUEST"}}},
      {groups({}, "no group"), {{"0", "FALSE"}, {"63", "ERROR"}}},
      // The filtered token of an administrator keeps the group for deny checks, and that
      // counts; the elevation shows the difference.
      {With(profiles::Windows7Sp1(), [](OsProfile& p) { p.elevated = false; }), {{"0", "TRUE"}, {"77", "FALSE"}}},
      {profiles::Windows7Sp1(), {{"77", "TRUE"}}},
      {profiles::WindowsXpSp3(), {{"77", "FALSE"}}},
      {profiles::Windows7Sp1(Bits::k64, Account::kStandardUser), {{"0", "FALSE"}, {"63", "USER"}, {"77", "FALSE"}}},
      // 9x has no accounts: everyone is an administrator.
      {profiles::Windows98(), {{"0", "TRUE"}, {"63", "ADMIN"}, {"77", "FALSE"}}},
  });
}

TEST(SystemSettingsCommands, VersionTestsCompareMajorAndMinorWithoutTheFamily) {
  ExpectSettings({
      {profiles::Windows98(),
       {{"17", "TRUE"}, {"18", "FALSE"}, {"20", "TRUE"}, {"21", "FALSE"}, {"24", "FALSE"}, {"27", "FALSE"}}},
      {profiles::Windows98Se(), {{"21", "TRUE"}, {"22", "FALSE"}}},
      {profiles::WindowsXpSp3(),
       {{"18", "TRUE"}, {"22", "TRUE"}, {"25", "TRUE"}, {"26", "FALSE"}, {"29", "TRUE"}, {"30", "FALSE"},
        {"69", "FALSE"}}},
      {profiles::Windows7Sp1(), {{"26", "TRUE"}, {"69", "TRUE"}, {"79", "TRUE"}, {"68", "FALSE"}, {"76", "FALSE"}}},
      {profiles::WindowsServer2008(), {{"68", "TRUE"}, {"76", "TRUE"}, {"79", "FALSE"}, {"81", "FALSE"}}},
      {With(profiles::WindowsServer2008(), [](OsProfile& p) { p.version.servicePackText = ""; }), {{"76", "FALSE"}}},
      {With(profiles::Windows7Sp1(), [](OsProfile& p) { p.version.productType = 3; }), {{"81", "TRUE"}}},
      {profiles::Windows8(), {{"69", "TRUE"}, {"79", "TRUE"}, {"27", "FALSE"}}},
  });
}

TEST(SystemSettingsCommands, MachineUserAndLanguage) {
  ExpectSettings({
      {With(profiles::Windows7Sp1(),
            [](OsProfile& p) {
              p.userName = "Ann";
              p.computerName = "BUILD-07";
              p.userDomain = "BRELMONT";
            }),
       {{"60", "Ann"},
        {"61", "BUILD-07"},
        {"62", "BRELMONT"},
        {"35", "Ann"},
        {"36", ""},
        {"33", "1033"},
        {"34", "English (United States)"},
        {"65", "TRUE"},
        {"75", "AMD64"},
        {"66", "FALSE"},
        {"67", "FALSE"}}},
      {With(profiles::WindowsXpSp3(),
            [](OsProfile& p) {
              p.uiLanguage = 1031;
              p.tabletPc = true;
              p.computerName = "A-NAME-OF-16-CHS";
            }),
       {{"33", "1031"}, {"34", "German (Germany)"}, {"65", "FALSE"}, {"75", "X86"}, {"66", "TRUE"}, {"61", ""}}},
      // 98 keeps winver.exe in the Windows folder, not in its system folder; it has no
      // domains and no GetNativeSystemInfo.
      {profiles::Windows98(), {{"33", "0"}, {"34", "Language Neutral"}, {"62", ""}, {"75", "X86"}, {"60", "User"}}},
  });
}

TEST(SystemSettingsCommands, VirtualMachines) {
  auto in = [](sim::VirtualMachine vm, const char* name) {
    return With(profiles::Windows7Sp1(), [=](OsProfile& p) {
      p.virtualMachine = vm;
      p.name = name;
    });
  };
  ExpectSettings({
      {in(sim::VirtualMachine::kNone, "real machine"), {{"70", "FALSE"}, {"71", "FALSE"}, {"74", "TRUE"}}},
      {in(sim::VirtualMachine::kVmware, "VMware"), {{"70", "TRUE"}, {"71", "FALSE"}, {"74", "FALSE"}}},
      {in(sim::VirtualMachine::kVirtualPc, "Virtual PC"), {{"70", "FALSE"}, {"71", "TRUE"}, {"74", "FALSE"}}},
  });
}

TEST(SystemSettingsCommands, InternetExplorerByItsFileAndByItsRegistryText) {
  ExpectSettings({
      // shdocvw.dll 6.0.2900.5512
      {profiles::WindowsXpSp3(), {{"37", "TRUE"}, {"52", "TRUE"}, {"72", "FALSE"}}},
      // 4.72.3110.8: 4.01 SP1, not SP2
      {profiles::Windows98(), {{"46", "FALSE"}, {"47", "TRUE"}, {"52", "TRUE"}, {"72", "FALSE"}}},
      // "8.0.7601.17514" by the registry; shdocvw.dll follows the system's version
      {profiles::Windows7Sp1(), {{"37", "TRUE"}, {"72", "TRUE"}, {"78", "TRUE"}, {"85", "FALSE"}}},
      // "9.10.9200.16384": the 10 of IE 10 is compared as a number
      {profiles::Windows8(), {{"85", "TRUE"}}},
  });

  Machine m(profiles::WindowsXpSp3());
  m.f.Machine().SimFiles().RemoveFile("C:\\WINDOWS\\system32\\shdocvw.dll");
  EXPECT_EQ(m.Setting("52"), "FALSE");  // a missing file is 0.0.0.0
  const std::string ie = "SOFTWARE\\Microsoft\\Internet Explorer";
  m.WriteString(RegRoot::LocalMachine, ie, "Version", "7.0.5730");
  EXPECT_EQ(m.Setting("72"), "FALSE");  // the missing part is 0
  m.WriteString(RegRoot::LocalMachine, ie, "Version", "7.0.5730.11");
  EXPECT_EQ(m.Setting("72"), "TRUE");
  m.WriteString(RegRoot::LocalMachine, ie, "Version", "7.0.5731.x");
  EXPECT_EQ(m.Setting("72"), "TRUE");  // the last part may be anything; it counts as 0
  m.WriteString(RegRoot::LocalMachine, ie, "Version", "7.0.5730.x");
  EXPECT_EQ(m.Setting("72"), "FALSE");
}

TEST(SystemSettingsCommands, WebServerVersionsFromTheSetupKey) {
  Machine m(profiles::Windows7Sp1());
  const std::string key = "SOFTWARE\\Microsoft\\InetStp";
  EXPECT_EQ(m.Setting("58"), "FALSE");  // no web server
  m.WriteDword(key, "MajorVersion", 7);
  EXPECT_EQ(m.Setting("58"), "FALSE");  // no minor version
  m.WriteDword(key, "MinorVersion", 5);
  for (const char* n : {"53", "54", "55", "56", "57", "58", "73", "80"}) EXPECT_EQ(m.Setting(n), "TRUE") << n;
  m.WriteDword(key, "MinorVersion", 0);
  EXPECT_EQ(m.Setting("73"), "TRUE");
  EXPECT_EQ(m.Setting("80"), "FALSE");
  m.WriteString(RegRoot::LocalMachine, key, "MajorVersion", "8");
  EXPECT_EQ(m.Setting("53"), "FALSE");  // not an integer value
}

TEST(SystemSettingsCommands, ResultVariableIsCreatedInUpperCaseAndOddNumbersGiveNothing) {
  Machine m(profiles::Windows7Sp1());
  m.f.Run("Get System Settings", {"memory", "1"});
  m.f.Run("Get OS or SP Level", {"$level$", "TRUE"});
  std::vector<std::string> list;
  m.f.store.ListAll(list);
  EXPECT_EQ(list, (std::vector<std::string>{"MEMORY", "TRUE", "LEVEL", "SEVEN"}));
  EXPECT_EQ(m.Setting("86"), "");
  EXPECT_EQ(m.Setting("-1"), "");
}

// A number that is not one, or a registry version text whose first parts are not
// numbers, ends the run; the command scope is closed all the same.
TEST(SystemSettingsCommands, ConversionFailuresRaiseAndLeaveTheScopeClosed) {
  Machine m(profiles::Windows7Sp1());
  m.f.run.targetPlatform = "x64";
  m.WriteString(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Internet Explorer", "Version", "7.x.5730.11");
  struct Case {
    const char* command;
    std::vector<std::string> parameters;
  } cases[] = {{"Get System Settings", {"R", "abc"}},
               {"Get System Settings", {"R", "72"}},
               {"Get Folder Location", {"R", "2x", "FALSE"}}};
  for (const auto& c : cases) {
    EXPECT_NE(m.f.RunError(c.command, c.parameters), "") << c.command << " " << c.parameters[1];
    EXPECT_EQ(m.f.run.registryView, RegView::Force32);
    EXPECT_TRUE(m.f.Machine().SimFiles().RedirectionEnabled());
  }
}

TEST(SystemSettingsCommands, FailedSystemCallsGiveTheirFallbacks) {
  Machine m(profiles::Windows7Sp1());
  // Every registry read and every query of the disk refused.
  m.f.Machine().Faults().Add(sim::FaultRule::On(sim::FaultOp::RegRead | sim::FaultOp::OpenRead, "*",
                                                platform::kErrorAccessDenied));
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"33", "0"}, {"35", ""}, {"37", "FALSE"}, {"53", "FALSE"}, {"72", "FALSE"}, {"85", "FALSE"}};
  for (const auto& [n, value] : expected) EXPECT_EQ(m.Setting(n), value) << n;
  EXPECT_EQ(m.Folder(20, false), "");
  EXPECT_EQ(m.Folder(9, false), "");
  EXPECT_EQ(m.Folder(26, false), "");
  EXPECT_EQ(m.Folder(27, false), "");
}

TEST(FolderLocation, ProgramAndCommonFilesFollowTheTargetPlatformOn64BitWindows) {
  struct Case {
    OsProfile profile;
    const char* target;
    const char* programFiles;
    const char* commonFiles;
  } cases[] = {
      {profiles::Windows7Sp1(), "x64", "C:\\Program Files\\", "C:\\Program Files\\Common Files\\"},
      {profiles::Windows7Sp1(), "ia64", "C:\\Program Files\\", "C:\\Program Files\\Common Files\\"},
      {profiles::Windows7Sp1(), "Win32", "C:\\Program Files (x86)\\", "C:\\Program Files (x86)\\Common Files\\"},
      {profiles::Windows7Sp1(Bits::k32), "x64", "C:\\Program Files\\", "C:\\Program Files\\Common Files\\"},
      {profiles::WindowsXpSp3(Bits::k64), "x64", "C:\\Program Files\\", "C:\\Program Files\\Common Files\\"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.profile.name + " " + c.target);
    Machine m(c.profile);
    const RegView between = m.f.run.registryView;
    m.f.run.targetPlatform = c.target;
    EXPECT_EQ(m.Folder(20, false), c.programFiles);
    EXPECT_EQ(m.Folder(20, true), c.commonFiles);
    EXPECT_EQ(m.f.run.registryView, between);
    EXPECT_TRUE(m.f.Machine().SimFiles().RedirectionEnabled());
  }
}

TEST(FolderLocation, SystemFolderIsTheTargetsOne) {
  struct Case {
    OsProfile profile;
    const char* target;
    const char* folder;
  } cases[] = {
      {profiles::Windows7Sp1(), "Win32", "C:\\Windows\\SysWOW64\\"},
      {profiles::Windows7Sp1(), "x64", "C:\\Windows\\system32\\"},
      {profiles::Windows7Sp1(Bits::k32), "Win32", "C:\\Windows\\system32\\"},
      {profiles::Windows98(), "Win32", "C:\\WINDOWS\\SYSTEM\\"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.profile.name + " " + c.target);
    Machine m(c.profile);
    m.f.run.targetPlatform = c.target;
    EXPECT_EQ(m.Folder(23, false), c.folder);
    EXPECT_EQ(m.Folder(23, true), c.folder);
  }
}

TEST(FolderLocation, ShellFoldersForTheUserOrAllUsers) {
  Machine m(With(profiles::Windows7Sp1(), [](OsProfile& p) { p.userName = "Ann"; }));
  struct Case {
    int number;
    bool allUsers;
    const char* folder;
  } cases[] = {
      {2, false, "C:\\Users\\Ann\\Documents\\"},
      {2, true, "C:\\Users\\Public\\Documents\\"},
      {14, false, "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"},
      {14, true, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\"},
      {15, true, "C:\\ProgramData\\"},
      {17, false, "C:\\Users\\Ann\\Desktop\\"},
      {17, true, "C:\\Users\\Public\\Desktop\\"},
      {19, true, "C:\\Users\\"},
      {18, true, "C:\\Windows\\Fonts\\"},
      {25, false, "C:\\Windows\\"},
      {28, true, "C:\\Users\\Ann\\AppData\\Local\\"},
      {9, false, "C:\\"},
      {26, false, "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\"},
      {27, false, ""},  // no web server
      {29, false, ""},
      {-1, false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(m.Folder(c.number, c.allUsers), c.folder) << c.number << " " << c.allUsers;
  // A folder the system does not have on 9x stays empty, without a backslash.
  Machine nine(profiles::Windows98());
  EXPECT_EQ(nine.Folder(11, false), "");
}

TEST(FolderLocation, FirstCdRomDriveFromAToZ) {
  Machine m(profiles::Windows7Sp1());
  EXPECT_EQ(m.Folder(10, false), "");
  sim::SimFileSystem& files = m.f.Machine().SimFiles();
  files.AddDrive('D', sim::DriveType::Removable);
  files.AddDrive('F', sim::DriveType::CdRom);
  EXPECT_EQ(m.Folder(10, false), "F:\\");
  files.AddDrive('E', sim::DriveType::CdRom);
  files.SetMediumPresent('E', false);  // an empty drive is a drive all the same
  EXPECT_EQ(m.Folder(10, true), "E:\\");
}

TEST(FolderLocation, WebRootFromTheSetupKeyOrTheVirtualRoots) {
  Machine m(profiles::Windows7Sp1());
  const std::string roots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
  m.WriteString(RegRoot::LocalMachine, roots, "/,", "d:\\old root,,1");
  EXPECT_EQ(m.Folder(27, false), "d:\\old root\\");
  m.WriteString(RegRoot::LocalMachine, roots, "/", "c:\\inetpub\\wwwroot,,201");
  EXPECT_EQ(m.Folder(27, false), "c:\\inetpub\\wwwroot\\");
  m.f.Machine().SimReg().CreateKey(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\InetStp", RegView::Default);
  m.f.Machine().SimReg().WriteValue(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot",
                                    RegValue::String("%SystemDrive%\\inetpub\\wwwroot", platform::regtype::kExpandSz),
                                    RegView::Default);
  EXPECT_EQ(m.Folder(27, false), "C:\\inetpub\\wwwroot\\");
}

TEST(FolderLocation, BootFolderAndQuickLaunchFollowTheirValues) {
  Machine m(profiles::Windows7Sp1());
  m.WriteString(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                "AppData", "D:\\Roaming\\");
  EXPECT_EQ(m.Folder(26, false), "D:\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\");
  // The boot folder is read in the command's view: the 32-bit one for a "Win32" target.
  const std::string setup = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
  m.WriteString(RegRoot::LocalMachine, setup, "BootDir", "E:", RegView::Force64);
  EXPECT_EQ(m.Folder(9, false), "C:\\");
  m.f.run.targetPlatform = "x64";
  EXPECT_EQ(m.Folder(9, false), "E:\\");
  m.f.Machine().SimReg().DeleteValue(RegRoot::LocalMachine, setup, "BootDir", RegView::Force64);
  EXPECT_EQ(m.Folder(9, false), "");
}

TEST(Environment, OneVariableOrTheWholeBlock) {
  Machine m(profiles::Windows7Sp1());
  sim::SimSystem& sys = m.f.Machine().SimSys();
  const std::string path = sys.ExpandEnvironment("%PATH%");
  ASSERT_NE(path, "%PATH%");
  m.f.Run("Get Environment", {"PATH", "$MYPATH$"});
  EXPECT_EQ(m.f.store.Get("MYPATH"), path);
  m.f.Run("Get Environment", {"FOO", "foo"});
  EXPECT_EQ(m.f.store.Get("FOO"), "%FOO%");
  m.f.store.Set("WHICH", "path");
  m.f.Run("Get Environment", {"$WHICH$", "VIA"});
  EXPECT_EQ(m.f.store.Get("VIA"), path);

  sys.SetEnvironmentVariable("QV_LIST", "a=b");
  m.f.Run("Get Environment", {"", "ALL"});
  const std::vector<std::string> block = sys.EnvironmentBlock();
  std::string joined;
  for (const auto& entry : block) joined += (joined.empty() ? "" : "$NEWLINE$") + entry;
  EXPECT_EQ(m.f.store.Get("ALL"), joined);
  EXPECT_NE(joined.find("$NEWLINE$QV_LIST=a=b$NEWLINE$"), std::string::npos);
}

TEST(TemporaryFile, EachCallMakesANewEmptyFileInTheEnginesTemporaryFolder) {
  Machine m(profiles::Windows7Sp1());
  platform::FileSystem& files = m.f.Machine().Files();
  ASSERT_EQ(files.CreateFolderTree(m.f.startupValues.tempFolder), platform::kSuccess);
  m.f.Run("Get Temporary File", {"first"});
  m.f.Run("Get Temporary File", {"$SECOND$"});
  const std::string first = m.f.store.Get("FIRST"), second = m.f.store.Get("SECOND");
  EXPECT_NE(first, second);
  for (const std::string& path : {first, second}) {
    EXPECT_TRUE(text::StartsWithNoCase(path, m.f.startupValues.tempFolder + "zel")) << path;
    EXPECT_TRUE(text::EndsWithNoCase(path, ".tmp")) << path;
    EXPECT_EQ(path.size(), m.f.startupValues.tempFolder.size() + 11) << path;  // zel + 4 digits + .tmp
    uint64_t size = 1;
    EXPECT_EQ(files.FileSize(path, size), platform::kSuccess) << path;
    EXPECT_EQ(size, 0u);
  }
  // A temporary folder that is gone gives an empty path, not an error.
  m.f.startupValues.tempFolder = "C:\\Gone\\";
  m.f.Run("Get Temporary File", {"THIRD"});
  EXPECT_TRUE(m.f.store.Exists("THIRD"));
  EXPECT_EQ(m.f.store.Get("THIRD"), "");
}

TEST(Set64BitMode, TheLastTrueFlagWins) {
  struct Case {
    const char *win32, *ia64, *x64;
    const char* before;
    const char* after;
  } cases[] = {
      {"TRUE", "FALSE", "FALSE", "x64", "Win32"}, {"FALSE", "TRUE", "FALSE", "Win32", "ia64"},
      {"FALSE", "FALSE", "true", "Win32", "x64"}, {"TRUE", "FALSE", "TRUE", "Win32", "x64"},
      {"-1", "TRUE", "FALSE", "x64", "ia64"},     {"FALSE", "FALSE", "FALSE", "ia64", "ia64"},
      {"1", "yes", "", "x64", "x64"},
  };
  for (const auto& c : cases) {
    Machine m(profiles::Windows7Sp1());
    m.f.run.targetPlatform = c.before;
    m.f.Run("Set 64 Bit Mode", {c.win32, c.ia64, c.x64});
    EXPECT_EQ(m.f.run.targetPlatform, c.after) << c.win32 << " " << c.ia64 << " " << c.x64;
  }
}

// The commands that take the registry view switch it for the command only; a 64-bit
// target sees the machine's own values.
TEST(SystemSettingsCommands, RegistryViewFollowsTheTargetAroundACommand) {
  Machine m(profiles::Windows7Sp1());
  const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  m.WriteString(RegRoot::LocalMachine, key, "RegisteredOwner", "owner of the 64-bit view", RegView::Force64);
  m.WriteString(RegRoot::LocalMachine, key, "RegisteredOwner", "owner of the 32-bit view", RegView::Force32);
  EXPECT_EQ(m.f.run.registryView, RegView::Force32);
  EXPECT_EQ(m.Setting("35"), "owner of the 32-bit view");
  m.f.Run("Set 64 Bit Mode", {"FALSE", "FALSE", "TRUE"});
  EXPECT_EQ(m.Setting("35"), "owner of the 64-bit view");
  EXPECT_EQ(m.f.run.registryView, RegView::Force32);
}

TEST(DotNetFrameworkFolders, NewestGenerationAndLookupsKeptOnceFound) {
  Machine m(profiles::Windows7Sp1());
  sim::SimRegistry& reg = m.f.Machine().SimReg();
  const std::string dotnet = "SOFTWARE\\Microsoft\\.NETFramework";
  m.WriteString(RegRoot::LocalMachine, dotnet, "InstallRoot", "C:\\Windows\\Microsoft.NET\\Framework\\",
                RegView::Force32);
  reg.CreateKey(RegRoot::LocalMachine, dotnet + "\\Policy\\v2.0", RegView::Force32);
  const RegView view = RegView::Force32;
  DotNetFrameworkFolders folders;
  const std::string root = "C:\\Windows\\Microsoft.NET\\Framework\\";
  EXPECT_EQ(folders.Folder(reg, view, 3), root + "v2.0.50727\\");
  EXPECT_EQ(folders.Folder(reg, view, 1), root + "v2.0.50727\\");
  EXPECT_EQ(folders.Folder(reg, view, 2), "");
  EXPECT_EQ(folders.Folder(reg, view, 0), "");
  reg.CreateKey(RegRoot::LocalMachine, dotnet + "\\Policy\\v4.0", RegView::Force32);
  EXPECT_EQ(folders.Folder(reg, view, 2), root + "v4.0.30319\\");  // looked up again while missing
  EXPECT_EQ(folders.Folder(reg, view, 3), root + "v2.0.50727\\");  // kept once found
}

}  // namespace
}  // namespace qv::system
