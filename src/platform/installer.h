#pragma once
// What the engine asks of the Windows Installer service about products: whether one is
// installed, and the properties of its registration.
#include <string>

namespace qv::platform {

// The INSTALLSTATE values of the Installer API.
namespace installstate {
inline constexpr int kNotUsed = -7;
inline constexpr int kBadConfig = -6;
inline constexpr int kIncomplete = -5;
inline constexpr int kSourceAbsent = -4;
inline constexpr int kMoreData = -3;
inline constexpr int kInvalidArg = -2;
inline constexpr int kUnknown = -1;  // no product with this code
inline constexpr int kBroken = 0;
inline constexpr int kAdvertised = 1;
inline constexpr int kAbsent = 2;  // installed for another user
inline constexpr int kLocal = 3;
inline constexpr int kSource = 4;
inline constexpr int kDefault = 5;  // installed
}  // namespace installstate

class Installer {
 public:
  virtual ~Installer() = default;
  // The state of the product with this code ("{GUID}", MsiQueryProductState):
  // installstate::kUnknown also when the system has no Installer, kInvalidArg for a
  // text that is not a product code.
  virtual int ProductState(const std::string& productCode) = 0;
  // A property of the product's registration ("VersionString", "PackageCode",
  // "InstallLocation", ...: MsiGetProductInfo); false when the product or the property
  // is unknown, or the system has no Installer.
  virtual bool ProductInfo(const std::string& productCode, const std::string& property, std::string& value) = 0;
};

}  // namespace qv::platform
