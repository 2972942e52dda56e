#pragma once
// The registry through the ANSI registry functions; the view of a 32-bit process on a
// 64-bit system is chosen per call. Error numbers are the system's own.
#include "platform/registry.h"

namespace qv::platform::win32 {

class Win32Registry final : public Registry {
 public:
  ErrorCode CreateKey(RegRoot root, const std::string& key, RegView view) override;
  // A key that is there but may not be read still exists.
  bool KeyExists(RegRoot root, const std::string& key, RegView view) override;
  ErrorCode WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value,
                       RegView view) override;
  ErrorCode ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& value,
                      RegView view) override;
  ErrorCode DeleteValue(RegRoot root, const std::string& key, const std::string& name, RegView view) override;
  // An empty key path (the root itself) is refused.
  ErrorCode DeleteKey(RegRoot root, const std::string& key, RegView view) override;
  ErrorCode ListSubKeys(RegRoot root, const std::string& key, std::vector<std::string>& names,
                        RegView view) override;
  ErrorCode ListValues(RegRoot root, const std::string& key, std::vector<std::string>& names,
                       RegView view) override;
};

}  // namespace qv::platform::win32
