// The system queries against the real system under wine64: a setup (setups/system_settings.qvs)
// that checks what holds everywhere from the inside and writes the machine's answers to a
// file, which the test compares with what it knows of the wine prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/text.h"
#include "e2e/setup_fixture.h"
#include "tools/qvbuild/source_compiler.h"

namespace qv::e2e {
namespace {

const std::vector<std::pair<std::string, std::string>> kSupport = {{"readme.txt", "support file"}};
constexpr const char* kResults = "C:\\qv-e2e\\system.txt";

script::ScriptSections Compile(const std::string& name) {
  authoring::DiskSourceReader disk;
  auto built = authoring::CompileSource(std::string(QV_SOURCE_DIR) + "/tests/e2e/setups/" + name, disk);
  EXPECT_TRUE(built.Ok()) << name;
  return built.sections;
}

// The NAME=value lines the setup wrote.
std::map<std::string, std::string> Results() {
  std::map<std::string, std::string> values;
  for (const std::string& line : text::SplitLines(ReadHostFile(Wine::Get().HostPath(kResults)))) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// 64-bit Windows keeps the x86 folders under the folder values of its 32-bit registry
// view. A prefix made by a wine without 32-bit support has no such view yet; the values
// are put there as Windows has them.
void Ensure32BitFolderValues() {
  const std::string reg = Wine::Get().HostPath("C:\\windows\\system32\\reg.exe");
  const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
  const std::pair<const char*, const char*> values[] = {{"ProgramFilesDir", "C:\\Program Files (x86)"},
                                                        {"CommonFilesDir", "C:\\Program Files (x86)\\Common Files"}};
  for (const auto& [name, value] : values) {
    if (Wine::Get().Run(reg, {"query", key, "/v", name, "/reg:32"}).exitCode == 0) continue;
    ProcessResult added = Wine::Get().Run(reg, {"add", key, "/v", name, "/d", value, "/f", "/reg:32"});
    ASSERT_EQ(added.exitCode, 0) << added.output;
  }
}

bool IsNumber(const std::string& s) {
  int64_t n = 0;
  return text::ParseInt64(s, n);
}

TEST(SystemSettingsE2E, TheRealSystemAnswersTheQueries) {
  std::error_code ignored;
  std::filesystem::remove(Wine::Get().HostPath(kResults), ignored);
  Ensure32BitFolderValues();
  SetupFixture setup;
  setup.Build(Compile("system_settings.qvs"), kSupport);
  ProcessResult r = setup.Run({"/s", SetupFixture::kTraceArg});
  ASSERT_FALSE(r.timedOut) << r.output;
  // 100: every check from the inside held; any other number is the check that failed.
  ASSERT_EQ(r.exitCode, 100) << r.output;

  std::map<std::string, std::string> v = Results();
  ASSERT_FALSE(v.empty()) << "the setup wrote no results";
  const std::string windows = v["WINDIR"];
  EXPECT_TRUE(text::EqualsNoCase(windows, "C:\\windows\\")) << windows;

  // The engine under test is a 64-bit program on 64-bit Windows: a "Win32" target gets
  // the 32-bit folders, an "x64" one the machine's own.
  const struct {
    const char* name;
    const char* folder;
  } folders[] = {
      {"PROGRAMFILES", "C:\\Program Files (x86)\\"},
      {"COMMONFILES", "C:\\Program Files (x86)\\Common Files\\"},
      {"WINSYSDIR", "C:\\windows\\syswow64\\"},
      {"PROGRAMFILES64", "C:\\Program Files\\"},
      {"COMMONFILES64", "C:\\Program Files\\Common Files\\"},
      {"WINSYSDIR64", "C:\\windows\\system32\\"},
  };
  for (const auto& f : folders) EXPECT_TRUE(text::EqualsNoCase(v[f.name], f.folder)) << f.name << "=" << v[f.name];

  // Wine's user is an administrator of a machine it is the only user of.
  const std::string temp = Wine::Get().TempFolder();  // C:\users\NAME\Temp\ .
  const std::string user = temp.substr(9, temp.find('\\', 9) - 9);
  EXPECT_TRUE(text::EqualsNoCase(v["USER"], user)) << v["USER"];
  EXPECT_EQ(v["ADMIN"], "TRUE");
  EXPECT_EQ(v["USERLEVEL"], "ADMIN");
  EXPECT_TRUE(v["ELEVATED"] == "TRUE" || v["ELEVATED"] == "FALSE") << v["ELEVATED"];
  EXPECT_FALSE(v["COMPUTER"].empty());
  EXPECT_LE(v["COMPUTER"].size(), 15u);
  EXPECT_FALSE(v["DOMAIN"].empty());
  EXPECT_TRUE(text::StartsWithNoCase(v["APPDATA"], "C:\\users\\" + user + "\\")) << v["APPDATA"];
  EXPECT_EQ(v["APPDATA"].back(), '\\');

  // The version wine reports (Windows 10 by default) has no level name of its own.
  const std::string levels[] = {"XP", "2003", "VISTA", "2008", "SEVEN", "2008R2", "UNKNOWN"};
  EXPECT_NE(std::find(std::begin(levels), std::end(levels), v["LEVEL"]), std::end(levels)) << v["LEVEL"];
  EXPECT_TRUE(IsNumber(v["SERVICEPACK"])) << v["SERVICEPACK"];
  EXPECT_TRUE(IsNumber(v["LANGUAGE"])) << v["LANGUAGE"];
  EXPECT_FALSE(v["LANGUAGENAME"].empty());
  EXPECT_GT(std::stoll(v["MEMORY"]), 0);
  EXPECT_EQ(v["MEMORY32"], "TRUE");
  EXPECT_TRUE(IsNumber(v["WIDTH"]) && IsNumber(v["HEIGHT"]) && IsNumber(v["DPI"]));
  if (HaveDisplay()) {
    EXPECT_GT(std::stoll(v["WIDTH"]), 0);
    EXPECT_GT(std::stoll(v["DPI"]), 0);
  }
  // Wine's default drives have no CD-ROM drive; one that is there is named by its root.
  EXPECT_TRUE(v["CDROM"].empty() || (v["CDROM"].size() == 3 && v["CDROM"].substr(1) == ":\\")) << v["CDROM"];
  EXPECT_FALSE(v["VMWARE"] == "TRUE" && v["VIRTUALPC"] == "TRUE");

  // Two new empty files in the engine's temporary folder, left for the script to use.
  for (const char* name : {"TEMP1", "TEMP2"}) {
    const std::string path = v[name];
    EXPECT_TRUE(text::StartsWithNoCase(path, v["TEMPDIR"] + "zel")) << path;
    EXPECT_TRUE(text::EndsWithNoCase(path, ".tmp")) << path;
    const std::string host = Wine::Get().HostPath(path);
    EXPECT_TRUE(HostExists(host)) << path;
    EXPECT_EQ(ReadHostFile(host), "");
    std::filesystem::remove(host, ignored);
  }
  EXPECT_NE(v["TEMP1"], v["TEMP2"]);
}

}  // namespace
}  // namespace qv::e2e
