// The registry, file, INI, XML and text-file queries of a real setup under wine64: the
// test puts registry values (through reg.exe) and files (a real image with a version
// resource among them) in place, the setup writes every answer to a results file, and
// the test compares that file line by line.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/setup_fixture.h"
#include "tools/qvbuild/source_compiler.h"

namespace qv::e2e {
namespace {

namespace fs = std::filesystem;

const char* const kValues =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvaneE2E]\r\n"
    "\"text\"=\"some text\"\r\n"
    "\"dword\"=dword:ffffffff\r\n"
    "\"qword\"=hex(b):07,00,00,00,00,00,00,00\r\n"
    "\"multi\"=hex(7):61,00,62,00,00\r\n"
    "\"binary\"=hex:01,ab\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvaneE2E\\Tree\\Sub]\r\n"
    "\"v\"=\"x\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QuorvaneE2E]\r\n"
    "\"which\"=\"64\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\QuorvaneE2E]\r\n"
    "\"which\"=\"32\"\r\n";

const char* const kExpected[] = {
    "text=some text",
    "dword=-1",
    "qword=UNKNOWN$TYPE",
    "multi=a",
    "b",
    "binary=01AB",
    "missing value=NO$VALUE",
    "missing key=NO$KEY",
    "read missing key=",
    "deleted value=NO$VALUE",
    "deleted tree=NO$KEY",
    "view Win32=32",
    "view x64=64",
    "version=1.2.3.4",
    "newer than 1.2.3.3=TRUE",
    "newer than itself=FALSE",
    "version of a text file=0.0.0.0",
    "file is a file=TRUE",
    "folder is a file=FALSE",
    "folder is a folder=TRUE",
    "disk total=nonzero",
    "disk of a missing folder=0",
    "found=\"C:\\qv-e2e\\rf\\find\\my sub\"|C:\\qv-e2e\\rf\\find\\top.txt",
    "left after delete=C:\\qv-e2e\\rf\\tree\\d\\keep2.txt|C:\\qv-e2e\\rf\\tree\\d|C:\\qv-e2e\\rf\\tree\\keep.txt",
    "ini=Brelmont Viewer",
    "ini missing=",
    "xml names=b",
    "a",
    "xml text=Brelmont & Co",
    "xml wrong case=",
    "read 1=one FALSE",
    "read 2=two FALSE",
    "read 3=three TRUE",
    "read 4=one FALSE",
    "after writing=zero FALSE",
    "the rest=one",
    "two",
    "three TRUE",
};

class RegistryFileE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    Wine& wine = Wine::Get();
    folder_ = wine.HostPath("C:\\qv-e2e\\rf");
    fs::remove_all(folder_);
    fs::remove(wine.HostPath(wine.TempFolder() + "qv-e2e-lines.txt"));
    for (const char* sub : {"find/my sub", "tree/a/b/c", "tree/d"}) fs::create_directories(folder_ + "/" + sub);
    for (const char* file :
         {"find/top.txt", "find/other.log", "tree/keep.txt", "tree/a/x.tmp", "tree/d/y.tmp", "tree/d/keep2.txt"})
      WriteHostFile(folder_ + "/" + file, "x");
    WriteHostFile(folder_ + "/setup.ini", "[General]\r\nName = Brelmont Viewer\r\n");
    WriteHostFile(folder_ + "/config.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config version=\"1\">\n"
                  "  <Title>Brelmont &amp; Co</Title>\n  <Items><Item name=\"a\"/><Item name=\"b\"/></Items>\n"
                  "</Config>\n");
    const std::string image = ReadHostFile(HostBin() + "/qv_versioned64.dll");
    ASSERT_FALSE(image.empty()) << "no versioned test image in " << HostBin();
    WriteHostFile(folder_ + "/versioned.dll", image);
    WriteHostFile(folder_ + "/values.reg", kValues);
    DeleteKeys();
    ProcessResult imported = Reg({"import", "C:\\qv-e2e\\rf\\values.reg"});
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
  }
  void TearDown() override { DeleteKeys(); }

  static ProcessResult Reg(const std::vector<std::string>& args) {
    return Wine::Get().Run(Wine::Get().HostPath("C:\\windows\\system32\\reg.exe"), args);
  }
  static void DeleteKeys() {
    for (const char* key :
         {"HKCU\\Software\\QuorvaneE2E", "HKLM\\Software\\QuorvaneE2E", "HKLM\\Software\\Wow6432Node\\QuorvaneE2E"})
      Reg({"delete", key, "/f"});
  }

  std::string folder_;
};

TEST_F(RegistryFileE2E, TheQueriesGiveTheirAnswersOnARealSystem) {
  authoring::DiskSourceReader disk;
  auto built =
      authoring::CompileSource(std::string(QV_SOURCE_DIR) + "/tests/e2e/setups/registry_file_queries.qvs", disk);
  ASSERT_TRUE(built.Ok());
  SetupFixture setup;
  setup.Build(built.sections, std::vector<std::pair<std::string, std::string>>{{"readme.txt", "support file"}});
  ProcessResult r = setup.Run({"/s", SetupFixture::kTraceArg}, 120);
  ASSERT_FALSE(r.timedOut) << r.output;
  EXPECT_EQ(r.exitCode, 100) << r.output;

  std::vector<std::string> lines;
  const std::string results = ReadHostFile(folder_ + "/results.txt");
  for (size_t start = 0, end; (end = results.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(results.substr(start, end - start));
  EXPECT_EQ(lines, std::vector<std::string>(std::begin(kExpected), std::end(kExpected)));
}

}  // namespace
}  // namespace qv::e2e
