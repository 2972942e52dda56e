#include "platform/sim/sim_installer.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"

namespace qv::platform::sim {
namespace {

constexpr const char* kProduct = "{6F2A1C3E-4B5D-4E7F-9A10-2B3C4D5E6F70}";
constexpr const char* kAdvertised = "{0D1E2F30-4152-4637-8899-AABBCCDDEEFF}";

TEST(SimInstallerTest, AnswersLikeTheInstallerApi) {
  SimInstaller msi;
  SimProduct installed;
  installed.properties = {{"VersionString", "1.2.3"}, {"PackageCode", "{11223344-5566-4778-899A-ABBCCDDEEFF0}"}};
  ASSERT_TRUE(msi.AddProduct(kProduct, installed));
  ASSERT_TRUE(msi.AddProduct(kAdvertised, {installstate::kAdvertised, {}}));
  EXPECT_FALSE(msi.AddProduct("not a code", {}));

  struct Case {
    std::string code;
    int state;
  } cases[] = {
      {kProduct, installstate::kDefault},
      {"{6f2a1c3e-4b5d-4e7f-9a10-2b3c4d5e6f70}", installstate::kDefault},  // either letter case
      {kAdvertised, installstate::kAdvertised},
      {"{00000000-0000-0000-0000-000000000001}", installstate::kUnknown},
      {"6F2A1C3E-4B5D-4E7F-9A10-2B3C4D5E6F70", installstate::kInvalidArg},
      {"{6F2A1C3E-4B5D-4E7F-9A10-2B3C4D5E6F7G}", installstate::kInvalidArg},
      {"{6F2A1C3E+4B5D-4E7F-9A10-2B3C4D5E6F70}", installstate::kInvalidArg},
      {"", installstate::kInvalidArg},
  };
  for (const auto& c : cases) EXPECT_EQ(msi.ProductState(c.code), c.state) << c.code;

  std::string value = "stale";
  EXPECT_TRUE(msi.ProductInfo(kProduct, "VersionString", value));
  EXPECT_EQ(value, "1.2.3");
  EXPECT_FALSE(msi.ProductInfo(kProduct, "versionstring", value));  // property names are exact
  EXPECT_EQ(value, "");
  EXPECT_FALSE(msi.ProductInfo(kAdvertised, "VersionString", value));
  EXPECT_FALSE(msi.ProductInfo("{00000000-0000-0000-0000-000000000001}", "VersionString", value));

  EXPECT_TRUE(msi.SetProperty(kAdvertised, "ProductName", "Advertised"));
  EXPECT_TRUE(msi.ProductInfo(kAdvertised, "ProductName", value));
  EXPECT_EQ(value, "Advertised");
  EXPECT_TRUE(msi.RemoveProduct("{6f2a1c3e-4b5d-4e7f-9a10-2b3c4d5e6f70}"));
  EXPECT_FALSE(msi.RemoveProduct(kProduct));
  EXPECT_EQ(msi.ProductState(kProduct), installstate::kUnknown);
  EXPECT_EQ(msi.ProductCodes(), std::vector<std::string>{kAdvertised});
}

// The products belong to the machine: a later run on the same root finds them, also
// under another Windows.
TEST(SimInstallerTest, KeepsTheProductsWithTheMachine) {
  testing::TempRoot root;
  const std::string awkward = "tab\there\r\nback\\slash";
  {
    SimPlatform sim(root.Path());
    SimProduct product;
    product.properties = {{"InstallLocation", "C:\\Program Files (x86)\\Tiny\\"}, {"Comments", awkward}};
    ASSERT_TRUE(sim.SimMsi().AddProduct(kProduct, product));
    ASSERT_TRUE(sim.SimMsi().AddProduct(kAdvertised, {installstate::kAdvertised, {}}));
    ASSERT_TRUE(sim.SimMsi().RemoveProduct(kAdvertised));
  }
  SimPlatform again(root.Path(), profiles::WindowsXpSp3());
  Installer& msi = again.Msi();
  EXPECT_EQ(msi.ProductState(kProduct), installstate::kDefault);
  EXPECT_EQ(msi.ProductState(kAdvertised), installstate::kUnknown);
  std::string value;
  EXPECT_TRUE(msi.ProductInfo(kProduct, "InstallLocation", value));
  EXPECT_EQ(value, "C:\\Program Files (x86)\\Tiny\\");
  EXPECT_TRUE(msi.ProductInfo(kProduct, "Comments", value));
  EXPECT_EQ(value, awkward);
}

}  // namespace
}  // namespace qv::platform::sim
