#pragma once
// The Windows Installer through msi.dll, bound by name when first asked for, so that the
// engine starts on systems without the Installer; there every product is unknown.
#include "platform/installer.h"

namespace qv::platform::win32 {

class Win32Installer final : public Installer {
 public:
  // MsiQueryProductStateA.
  int ProductState(const std::string& productCode) override;
  // MsiGetProductInfoA, with a buffer that grows to the value's size.
  bool ProductInfo(const std::string& productCode, const std::string& property, std::string& value) override;
};

}  // namespace qv::platform::win32
