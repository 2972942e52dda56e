#include "system/registry_commands.h"

#include <exception>

#include "common/text.h"
#include "script/system_command_scope.h"

namespace qv::system {

using platform::RegRoot;
namespace regtype = platform::regtype;

namespace {

// Registry keys are at most 512 levels deep.
constexpr int kMaxKeyDepth = 512;

// The root of a root number; a number outside 0 to 4 is the default root of the
// registry object, HKEY_CURRENT_USER.
RegRoot RootOf(const script::CommandContext& c, int parameter) {
  switch (script::IntegerOrFail(c, c.Expanded(parameter), "registry root")) {
    case 0: return RegRoot::ClassesRoot;
    case 2: return RegRoot::LocalMachine;
    case 3: return RegRoot::Users;
    case 4: return RegRoot::CurrentConfig;
    default: return RegRoot::CurrentUser;
  }
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

std::string ValueTextOfType(RegistryAccess& access, RegRoot root, const std::string& key, const std::string& name,
                            uint32_t type) {
  std::string data;
  switch (type) {
    case regtype::kSz:
    case regtype::kExpandSz:
      if (!access.ReadValue(root, key, name, type, data)) return std::string(kReadError);
      return data.substr(0, data.find('\0'));
    case regtype::kDword: {
      uint32_t value = 0;
      if (!access.ReadDword(root, key, name, value)) return std::string(kReadError);
      return std::to_string(int32_t(value));
    }
    case regtype::kBinary:
      if (!access.ReadBinary(root, key, name, data)) return std::string(kReadError);
      return Hex(data);
    default: {
      std::vector<std::string> strings;
      if (!access.ReadMultiString(root, key, name, strings)) return std::string(kUnknownType);
      return text::JoinLines(strings, text::kNewlineToken);
    }
  }
}

bool IsMarker(const std::string& value) {
  return value == kNoKey || value == kNoValue || value == kUnknownType || value == kReadError ||
         value == "BINARY$VALUE";
}

void ReadRegistry(script::CommandContext& c, bool markers) {
  c.EnsureVariable(c.Param(1));
  std::string value;
  {
    script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                     script::ScopeSteps::kViewOnly);
    const RegRoot root = RootOf(c, 2);
    RegistryAccess access(c.Machine().Reg(), c.Run().registryView);
    value = RegistryValueText(access, root, c.Normalized(3), c.Normalized(4));
  }
  if (!markers && IsMarker(value)) value.clear();
  c.SetResult(c.Param(1), value);
}

void ReadRegistryCommand(script::CommandContext& c) { ReadRegistry(c, false); }
void CheckRegistryCommand(script::CommandContext& c) { ReadRegistry(c, true); }

// Depth first: the subkeys, then the key.
void DeleteKeyTree(RegistryAccess& access, RegRoot root, const std::string& key, int depth) {
  std::vector<std::string> subKeys;
  if (depth < kMaxKeyDepth && access.SubKeyNames(root, key, subKeys))
    for (const auto& sub : subKeys) DeleteKeyTree(access, root, key + "\\" + sub, depth + 1);
  access.DeleteKey(root, key);
}

void DeleteRegistryCommand(script::CommandContext& c) {
  script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                   script::ScopeSteps::kViewOnly);
  const RegRoot root = RootOf(c, 1);
  std::string key = c.Normalized(2);
  RegistryAccess access(c.Machine().Reg(), c.Run().registryView);
  if (!script::IsTrue(c.Param(4))) {
    if (access.KeyExists(root, key)) access.DeleteValue(root, key, c.Normalized(3));
    return;
  }
  while (!key.empty() && key.back() == '\\') key.pop_back();
  // An empty path names the root itself, whose whole tree is never wiped.
  if (key.empty()) return;
  if (c.Machine().Sys().Is64BitWindows() && c.Run().targetPlatform != "Win32") {
    // In the 64-bit view only a key without subkeys is deleted, and never one at the
    // first level of a root.
    if (key.find('\\') != std::string::npos) access.DeleteKey(root, key);
    return;
  }
  DeleteKeyTree(access, root, key, 0);
}

}  // namespace

std::string RegistryValueText(RegistryAccess& access, RegRoot root, const std::string& key, const std::string& name) {
  try {
    if (!access.KeyExists(root, key)) return std::string(kNoKey);
    uint32_t type = regtype::kNone;
    if (!access.ValueType(root, key, name, type))
      return std::string(access.LastError() == platform::kErrorFileNotFound ? kNoValue : kReadError);
    return ValueTextOfType(access, root, key, name, type);
  } catch (const std::exception&) {
    return std::string(kReadError);
  }
}

void RegisterRegistryCommands(script::CommandTable& table) {
  table.Add("Read Registry", ReadRegistryCommand);
  table.Add("Check Registry", CheckRegistryCommand);
  table.Add("Delete Registry", DeleteRegistryCommand);
}

}  // namespace qv::system
