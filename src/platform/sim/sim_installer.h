#pragma once
// The Windows Installer's product registrations on a simulated machine: products with
// their state and the properties MsiGetProductInfo gives, entered by tests and the
// sandbox runner. Kept in a host file that is rewritten on every change, like the file
// records, so a later machine on the same root has the same products.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/installer.h"

namespace qv::platform::sim {

struct SimProduct {
  int state = installstate::kDefault;
  std::map<std::string, std::string> properties;  // names as the Installer API spells them
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits of either case.
bool IsProductCode(const std::string& text);

class SimInstaller : public Installer {
 public:
  // Loads `hostFile` when it exists; an empty name keeps the products in memory only.
  explicit SimInstaller(std::string hostFile = {});

  // Codes are compared without regard to letter case, as the Installer reads them.
  int ProductState(const std::string& productCode) override;
  bool ProductInfo(const std::string& productCode, const std::string& property, std::string& value) override;

  // Adds the product or replaces its registration; false for a text that is no product
  // code.
  bool AddProduct(const std::string& productCode, SimProduct product = {});
  bool SetProperty(const std::string& productCode, const std::string& property, const std::string& value);
  bool RemoveProduct(const std::string& productCode);
  // In upper case.
  std::vector<std::string> ProductCodes() const;

 private:
  void Save() const;

  std::string file_;
  mutable std::mutex mutex_;
  std::map<std::string, SimProduct> products_;  // by upper-cased code
};

}  // namespace qv::platform::sim
