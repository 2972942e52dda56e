#pragma once
// The registry as the engine sees it. Key paths use backslashes and no leading root
// name; value data is kept as the raw bytes the system stores (strings in the ANSI
// code page with their terminating zero, as the ANSI registry calls return them).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace qv::platform {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Which registry view a 32-bit process opens on a 64-bit system.
enum class RegView { Default, Force32, Force64 };

namespace regtype {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kSz = 1;
inline constexpr uint32_t kExpandSz = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiSz = 7;
inline constexpr uint32_t kQword = 11;
}  // namespace regtype

struct RegValue {
  uint32_t type = regtype::kNone;
  std::string data;  // raw bytes

  static RegValue String(const std::string& text, uint32_t type = regtype::kSz);
  static RegValue Dword(uint32_t value);
  static RegValue Qword(uint64_t value);
  // The text of a string value without its terminating zero.
  std::string AsString() const;
  uint32_t AsDword() const;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens or creates the key and all missing parents.
  virtual ErrorCode CreateKey(RegRoot root, const std::string& key, RegView view) = 0;
  virtual bool KeyExists(RegRoot root, const std::string& key, RegView view) = 0;
  // The key must exist.
  virtual ErrorCode WriteValue(RegRoot root, const std::string& key, const std::string& name,
                               const RegValue& value, RegView view) = 0;
  virtual ErrorCode ReadValue(RegRoot root, const std::string& key, const std::string& name,
                              RegValue& value, RegView view) = 0;
  virtual ErrorCode DeleteValue(RegRoot root, const std::string& key, const std::string& name,
                                RegView view) = 0;
  // Deletes a key that has no subkeys.
  virtual ErrorCode DeleteKey(RegRoot root, const std::string& key, RegView view) = 0;
  virtual ErrorCode ListSubKeys(RegRoot root, const std::string& key, std::vector<std::string>& names,
                                RegView view) = 0;
  virtual ErrorCode ListValues(RegRoot root, const std::string& key, std::vector<std::string>& names,
                               RegView view) = 0;
};

}  // namespace qv::platform
