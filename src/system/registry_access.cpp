#include "system/registry_access.h"

namespace qv::system {

using platform::RegRoot;
using platform::RegValue;
namespace regtype = platform::regtype;

namespace {

// Strings come back without their terminating zero; one that was stored without it
// keeps all its characters.
std::string WithoutTerminator(std::string data) {
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out += "\r\n";
    out += names[i];
  }
  return out;
}

}  // namespace

bool RegistryAccess::Done(platform::ErrorCode error) {
  lastError_ = error;
  return error == platform::kSuccess;
}

bool RegistryAccess::WriteValue(RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                                std::string_view data) {
  if (!Done(registry_.CreateKey(root, key, view_))) return false;
  RegValue value;
  value.type = type;
  value.data = std::string(data);
  return Done(registry_.WriteValue(root, key, name, value, view_));
}

bool RegistryAccess::WriteString(RegRoot root, const std::string& key, const std::string& name, std::string_view text) {
  return WriteValue(root, key, name, regtype::kSz, std::string(text) + '\0');
}

bool RegistryAccess::WriteExpandString(RegRoot root, const std::string& key, const std::string& name,
                                       std::string_view text) {
  return WriteValue(root, key, name, regtype::kExpandSz, std::string(text) + '\0');
}

bool RegistryAccess::WriteMultiString(RegRoot root, const std::string& key, const std::string& name,
                                      const std::vector<std::string>& strings) {
  std::string data;
  for (const auto& s : strings) data.append(s).push_back('\0');
  data.push_back('\0');
  if (strings.empty()) data.push_back('\0');
  return WriteValue(root, key, name, regtype::kMultiSz, data);
}

bool RegistryAccess::WriteDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) {
  return WriteValue(root, key, name, regtype::kDword, RegValue::Dword(value).data);
}

bool RegistryAccess::WriteBinary(RegRoot root, const std::string& key, const std::string& name,
                                 std::string_view bytes) {
  return WriteValue(root, key, name, regtype::kBinary, bytes);
}

bool RegistryAccess::ReadValue(RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                               std::string& data) {
  data.clear();
  RegValue value;
  if (!Done(registry_.ReadValue(root, key, name, value, view_))) return false;
  if (value.type != type) return Done(platform::kErrorInvalidData);
  data = std::move(value.data);
  return true;
}

bool RegistryAccess::ReadString(RegRoot root, const std::string& key, const std::string& name, std::string& text) {
  if (!ReadValue(root, key, name, regtype::kSz, text)) return false;
  text = WithoutTerminator(std::move(text));
  return true;
}

bool RegistryAccess::ReadExpandString(RegRoot root, const std::string& key, const std::string& name,
                                      std::string& text) {
  if (!ReadValue(root, key, name, regtype::kExpandSz, text)) return false;
  text = WithoutTerminator(std::move(text));
  return true;
}

bool RegistryAccess::ReadMultiString(RegRoot root, const std::string& key, const std::string& name,
                                     std::vector<std::string>& strings) {
  strings.clear();
  std::string data;
  if (!ReadValue(root, key, name, regtype::kMultiSz, data)) return false;
  data = WithoutTerminator(std::move(data));
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (end == start) break;  // the empty string that ends the list
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

bool RegistryAccess::ReadDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value) {
  value = 0;
  std::string data;
  if (!ReadValue(root, key, name, regtype::kDword, data)) return false;
  RegValue v;
  v.data = std::move(data);
  value = v.AsDword();
  return true;
}

bool RegistryAccess::ReadBinary(RegRoot root, const std::string& key, const std::string& name, std::string& bytes) {
  return ReadValue(root, key, name, regtype::kBinary, bytes);
}

bool RegistryAccess::ReadValueByJoinedPath(RegRoot root, const std::string& joinedPath, uint32_t type,
                                           std::string& data) {
  size_t cut = joinedPath.rfind('\\');
  std::string key = cut == std::string::npos ? std::string() : joinedPath.substr(0, cut);
  std::string name = cut == std::string::npos ? joinedPath : joinedPath.substr(cut + 1);
  return ReadValue(root, key, name, type, data);
}

bool RegistryAccess::ValueExists(RegRoot root, const std::string& key, const std::string& name) {
  RegValue value;
  return Done(registry_.ReadValue(root, key, name, value, view_));
}

bool RegistryAccess::KeyExists(RegRoot root, const std::string& key) {
  return Done(registry_.KeyExists(root, key, view_) ? platform::kSuccess : platform::kErrorFileNotFound);
}

bool RegistryAccess::KeyHasDefaultValue(RegRoot root, const std::string& key) { return ValueExists(root, key, ""); }

bool RegistryAccess::ValueType(RegRoot root, const std::string& key, const std::string& name, uint32_t& type) {
  RegValue value;
  bool ok = Done(registry_.ReadValue(root, key, name, value, view_));
  type = value.type;
  return ok;
}

bool RegistryAccess::DeleteValue(RegRoot root, const std::string& key, const std::string& name) {
  return Done(registry_.DeleteValue(root, key, name, view_));
}

bool RegistryAccess::DeleteKey(RegRoot root, const std::string& key) {
  return Done(registry_.DeleteKey(root, key, view_));
}

bool RegistryAccess::SubKeyNames(RegRoot root, const std::string& key, std::vector<std::string>& names) {
  return Done(registry_.ListSubKeys(root, key, names, view_));
}

bool RegistryAccess::ListSubKeys(RegRoot root, const std::string& key, std::string& names) {
  std::vector<std::string> list;
  bool ok = SubKeyNames(root, key, list);
  names = JoinNames(list);
  return ok;
}

bool RegistryAccess::ListValues(RegRoot root, const std::string& key, std::string& names) {
  std::vector<std::string> list;
  bool ok = Done(registry_.ListValues(root, key, list, view_));
  names = JoinNames(list);
  return ok;
}

bool RegistryAccess::KeyIsEmpty(RegRoot root, const std::string& key) {
  std::vector<std::string> subKeys, values;
  if (!Done(registry_.ListSubKeys(root, key, subKeys, view_))) return false;
  if (!Done(registry_.ListValues(root, key, values, view_))) return false;
  const bool empty = subKeys.empty() && values.empty() && !KeyHasDefaultValue(root, key);
  lastError_ = platform::kSuccess;
  return empty;
}

}  // namespace qv::system
