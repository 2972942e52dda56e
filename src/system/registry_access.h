#pragma once
// The registry access layer: the small set of registry operations the engine's own
// registry work goes through (the registry commands, the native engine, the uninstall
// replay). Every key is opened in the view the layer is given, which is the run's
// registry view: the one a command's system scope chose, or the one between commands.
// Each operation answers success or failure; LastError() has the failing call's error.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace qv::system {

class RegistryAccess {
 public:
  RegistryAccess(platform::Registry& registry, const platform::RegView& view) : registry_(registry), view_(view) {}

  // Creates the key (and its missing parents) and sets the value.
  bool WriteValue(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                  std::string_view data);
  // The text with its terminating zero.
  bool WriteString(platform::RegRoot root, const std::string& key, const std::string& name, std::string_view text);
  bool WriteExpandString(platform::RegRoot root, const std::string& key, const std::string& name,
                         std::string_view text);
  // Each string with its zero, and one more zero at the end.
  bool WriteMultiString(platform::RegRoot root, const std::string& key, const std::string& name,
                        const std::vector<std::string>& strings);
  bool WriteDword(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t value);
  bool WriteBinary(platform::RegRoot root, const std::string& key, const std::string& name, std::string_view bytes);

  // Succeeds only when the value is stored with the type asked for; `data` is its bytes.
  bool ReadValue(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                 std::string& data);
  // A string or expandable string without its terminating zero.
  bool ReadString(platform::RegRoot root, const std::string& key, const std::string& name, std::string& text);
  bool ReadExpandString(platform::RegRoot root, const std::string& key, const std::string& name, std::string& text);
  // The strings of a multi-string up to the first empty one.
  bool ReadMultiString(platform::RegRoot root, const std::string& key, const std::string& name,
                       std::vector<std::string>& strings);
  bool ReadDword(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t& value);
  bool ReadBinary(platform::RegRoot root, const std::string& key, const std::string& name, std::string& bytes);
  // The same by one path: the key path and the value name joined with a backslash, split
  // again at the last backslash (so a value name with a backslash cannot be named).
  bool ReadValueByJoinedPath(platform::RegRoot root, const std::string& joinedPath, uint32_t type, std::string& data);

  bool ValueExists(platform::RegRoot root, const std::string& key, const std::string& name);
  bool KeyExists(platform::RegRoot root, const std::string& key);
  bool KeyHasDefaultValue(platform::RegRoot root, const std::string& key);
  // The stored type of a value (regtype::).
  bool ValueType(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t& type);

  bool DeleteValue(platform::RegRoot root, const std::string& key, const std::string& name);
  // Deletes a key that has no subkeys.
  bool DeleteKey(platform::RegRoot root, const std::string& key);

  // The names of the subkeys or values, joined with CR LF.
  bool ListSubKeys(platform::RegRoot root, const std::string& key, std::string& names);
  bool ListValues(platform::RegRoot root, const std::string& key, std::string& names);
  bool SubKeyNames(platform::RegRoot root, const std::string& key, std::vector<std::string>& names);

  // No subkeys, no values, no default value.
  bool KeyIsEmpty(platform::RegRoot root, const std::string& key);

  platform::ErrorCode LastError() const { return lastError_; }

 private:
  bool Done(platform::ErrorCode error);

  platform::Registry& registry_;
  const platform::RegView& view_;
  platform::ErrorCode lastError_ = platform::kSuccess;
};

}  // namespace qv::system
