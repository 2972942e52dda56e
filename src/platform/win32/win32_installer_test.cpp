#include "platform/win32/win32_installer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/win_path.h"
#include "platform/win32/win32_platform.h"

namespace qv::platform::win32 {
namespace {

// The product of qv_test_product.msi (win32_installer_test_product.wxs).
constexpr const char* kTestProduct = "{6F2A1C3E-4B5D-4E7F-9A10-2B3C4D5E6F70}";
// Its help link, longer than the first buffer the binding offers.
constexpr const char* kHelpLink =
    "https://help.brelmont.example/quorvane/test-product/section-00/section-01/section-02/secti"
    "on-03/section-04/section-05/section-06/section-07/section-08/section-09/section-10/section"
    "-11/section-12/section-13/section-14/section-15/section-16/section-17/section-18/section-1"
    "9/section-20/section-21/section-22/section-23";
constexpr const char* kNoProduct = "{0BADC0DE-0000-4000-8000-00000000CAFE}";

// The package code of a package file: the revision number of its summary information.
std::string PackageCodeOf(const std::string& package) {
  using GetSummaryFn = UINT(WINAPI*)(ULONG, LPCSTR, UINT, ULONG*);
  using GetPropertyFn = UINT(WINAPI*)(ULONG, UINT, UINT*, INT*, FILETIME*, LPSTR, DWORD*);
  using CloseFn = UINT(WINAPI*)(ULONG);
  HMODULE msi = LoadLibraryA("msi.dll");
  auto proc = [msi](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(msi, name)); };
  auto getSummary = reinterpret_cast<GetSummaryFn>(proc("MsiGetSummaryInformationA"));
  auto getProperty = reinterpret_cast<GetPropertyFn>(proc("MsiSummaryInfoGetPropertyA"));
  auto close = reinterpret_cast<CloseFn>(proc("MsiCloseHandle"));
  if (!getSummary || !getProperty || !close) return {};
  ULONG summary = 0;
  if (getSummary(0, package.c_str(), 0, &summary) != ERROR_SUCCESS) return {};
  char code[64] = "";
  DWORD size = sizeof code;
  UINT type = 0;
  INT number = 0;
  FILETIME time;
  const UINT kRevisionNumber = 9;
  UINT result = getProperty(summary, kRevisionNumber, &type, &number, &time, code, &size);
  close(summary);
  return result == ERROR_SUCCESS ? std::string(code) : std::string();
}

// msiexec with a command line, silently; its exit code.
DWORD RunMsiexec(const std::string& arguments) {
  std::string line = "msiexec.exe " + arguments + " /qn";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError();
  DWORD code = ERROR_TIMEOUT;
  if (WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

class Win32InstallerTest : public ::testing::Test {
 protected:
  Win32Platform platform_;
  Installer& msi_ = platform_.Msi();
};

TEST_F(Win32InstallerTest, KnowsNothingOfAProductThatIsNotThere) {
  EXPECT_EQ(msi_.ProductState(kNoProduct), installstate::kUnknown);
  std::string value = "stale";
  EXPECT_FALSE(msi_.ProductInfo(kNoProduct, "VersionString", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(msi_.ProductState("not a product code"), installstate::kInvalidArg);
  // A zero inside would hand the Installer a shorter text.
  EXPECT_EQ(msi_.ProductState(std::string(kNoProduct) + std::string("\0x", 2)), installstate::kInvalidArg);
  EXPECT_FALSE(msi_.ProductInfo(kNoProduct, std::string("Version\0String", 14), value));
}

// A real package installed by the system's msiexec and removed again.
TEST_F(Win32InstallerTest, ReportsAnInstalledProductAndItsPackageCode) {
  std::string package = winpath::ExtractFilePath(platform_.Sys().ExecutablePath()) + "qv_test_product.msi";
  if (!platform_.Files().FileExists(package)) GTEST_SKIP() << "no " << package << " (wixl missing at build time)";
  std::string packageCode = PackageCodeOf(package);
  ASSERT_EQ(packageCode.size(), 38u) << packageCode;
  if (msi_.ProductState(kTestProduct) != installstate::kUnknown)
    RunMsiexec(std::string("/x ") + kTestProduct);  // left over from a run that stopped
  ASSERT_EQ(msi_.ProductState(kTestProduct), installstate::kUnknown);

  ASSERT_EQ(RunMsiexec("/i \"" + package + "\""), 0u);
  EXPECT_EQ(msi_.ProductState(kTestProduct), installstate::kDefault);
  std::string value;
  EXPECT_TRUE(msi_.ProductInfo(kTestProduct, "PackageCode", value));
  EXPECT_EQ(value, packageCode);
  EXPECT_TRUE(msi_.ProductInfo(kTestProduct, "VersionString", value));
  EXPECT_EQ(value, "1.2.3");
  EXPECT_TRUE(msi_.ProductInfo(kTestProduct, "InstalledProductName", value));
  EXPECT_EQ(value, "Quorvane Test Product");
  // Longer than the first buffer the binding offers.
  EXPECT_TRUE(msi_.ProductInfo(kTestProduct, "HelpLink", value));
  EXPECT_EQ(value, kHelpLink);
  EXPECT_FALSE(msi_.ProductInfo(kTestProduct, "NoSuchProperty", value));

  EXPECT_EQ(RunMsiexec(std::string("/x ") + kTestProduct), 0u);
  EXPECT_EQ(msi_.ProductState(kTestProduct), installstate::kUnknown);
}

}  // namespace
}  // namespace qv::platform::win32
