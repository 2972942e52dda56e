#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_proc_address.h"

namespace qv::platform::win32 {
namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegView view) {
  switch (view) {
    case RegView::Default: return 0;
    case RegView::Force32: return KEY_WOW64_32KEY;
    case RegView::Force64: return KEY_WOW64_64KEY;
  }
  return 0;
}

// An open key, closed when it goes out of scope.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }

  LONG Open(RegRoot root, const std::string& path, REGSAM access, RegView view) {
    return RegOpenKeyExA(RootKey(root), path.c_str(), 0, access | ViewFlag(view), &key_);
  }
  LONG Create(RegRoot root, const std::string& path, REGSAM access, RegView view) {
    return RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access | ViewFlag(view), nullptr, &key_, nullptr);
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Names (keys, values) and key paths reach the system as zero-terminated texts.
bool Refused(const std::string& a, const std::string& b = {}) { return HasEmbeddedZero(a) || HasEmbeddedZero(b); }

using RegDeleteKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

RegDeleteKeyExAFn DeleteKeyEx() {
  static const RegDeleteKeyExAFn fn = LoadedProcAddress<RegDeleteKeyExAFn>("advapi32.dll", "RegDeleteKeyExA");
  return fn;
}

// Enumerates names with RegEnumKeyExA or RegEnumValueA; `next` asks for entry `index`
// into a buffer of `size` characters and updates `size` to the name's length.
template <typename Next>
ErrorCode Enumerate(std::vector<std::string>& names, Next next) {
  std::string buffer(256, '\0');
  for (DWORD index = 0;;) {
    DWORD size = DWORD(buffer.size());
    LONG e = next(index, buffer.data(), size);
    if (e == ERROR_NO_MORE_ITEMS) return kSuccess;
    if (e == ERROR_MORE_DATA) {
      // Value names may be 16,383 characters long; beyond that something is wrong.
      if (buffer.size() > 65536) return ErrorCode(e);
      buffer.assign(buffer.size() * 4, '\0');
      continue;
    }
    if (e != ERROR_SUCCESS) return ErrorCode(e);
    names.emplace_back(buffer.data(), size);
    ++index;
  }
}

}  // namespace

ErrorCode Win32Registry::CreateKey(RegRoot root, const std::string& key, RegView view) {
  if (Refused(key)) return kErrorInvalidParameter;
  RegKey k;
  return ErrorCode(k.Create(root, key, KEY_WRITE, view));
}

bool Win32Registry::KeyExists(RegRoot root, const std::string& key, RegView view) {
  if (Refused(key)) return false;
  RegKey k;
  return k.Open(root, key, KEY_READ, view) == ERROR_SUCCESS;
}

ErrorCode Win32Registry::WriteValue(RegRoot root, const std::string& key, const std::string& name,
                                    const RegValue& value, RegView view) {
  if (Refused(key, name)) return kErrorInvalidParameter;
  if (value.data.size() > MAXDWORD) return kErrorInvalidParameter;
  RegKey k;
  LONG e = k.Open(root, key, KEY_WRITE, view);
  if (e != ERROR_SUCCESS) return ErrorCode(e);
  return ErrorCode(RegSetValueExA(k.Get(), name.c_str(), 0, value.type,
                                  reinterpret_cast<const BYTE*>(value.data.data()), DWORD(value.data.size())));
}

ErrorCode Win32Registry::ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& value,
                                   RegView view) {
  value = RegValue{};
  if (Refused(key, name)) return kErrorInvalidParameter;
  RegKey k;
  LONG e = k.Open(root, key, KEY_READ, view);
  if (e != ERROR_SUCCESS) return ErrorCode(e);
  DWORD type = REG_NONE;
  DWORD size = 0;
  e = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between asking for its size and reading it: ask again.
  for (int attempt = 0; e == ERROR_SUCCESS || e == ERROR_MORE_DATA; ++attempt) {
    if (attempt == 8) return kErrorMoreData;
    value.data.assign(size, '\0');
    e = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type,
                         size ? reinterpret_cast<BYTE*>(value.data.data()) : nullptr, &size);
    if (e == ERROR_SUCCESS) {
      // The size asked for first may be larger than what the ANSI form needs.
      value.data.resize(size);
      value.type = type;
      return kSuccess;
    }
  }
  value.data.clear();
  return ErrorCode(e);
}

ErrorCode Win32Registry::DeleteValue(RegRoot root, const std::string& key, const std::string& name, RegView view) {
  if (Refused(key, name)) return kErrorInvalidParameter;
  RegKey k;
  LONG e = k.Open(root, key, KEY_WRITE, view);
  if (e != ERROR_SUCCESS) return ErrorCode(e);
  return ErrorCode(RegDeleteValueA(k.Get(), name.c_str()));
}

ErrorCode Win32Registry::DeleteKey(RegRoot root, const std::string& key, RegView view) {
  if (Refused(key)) return kErrorInvalidParameter;
  // An empty path (or one of backslashes only) names the root key itself.
  if (key.find_first_not_of('\\') == std::string::npos) return kErrorInvalidParameter;
  if (RegDeleteKeyExAFn deleteKeyEx = DeleteKeyEx())
    return ErrorCode(deleteKeyEx(RootKey(root), key.c_str(), ViewFlag(view), 0));
  // Without RegDeleteKeyExA the system is a 32-bit one that has a single view.
  return ErrorCode(RegDeleteKeyA(RootKey(root), key.c_str()));
}

ErrorCode Win32Registry::ListSubKeys(RegRoot root, const std::string& key, std::vector<std::string>& names,
                                     RegView view) {
  names.clear();
  if (Refused(key)) return kErrorInvalidParameter;
  RegKey k;
  LONG e = k.Open(root, key, KEY_READ, view);
  if (e != ERROR_SUCCESS) return ErrorCode(e);
  return Enumerate(names, [&](DWORD index, char* buffer, DWORD& size) {
    return RegEnumKeyExA(k.Get(), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
  });
}

ErrorCode Win32Registry::ListValues(RegRoot root, const std::string& key, std::vector<std::string>& names,
                                    RegView view) {
  names.clear();
  if (Refused(key)) return kErrorInvalidParameter;
  RegKey k;
  LONG e = k.Open(root, key, KEY_READ, view);
  if (e != ERROR_SUCCESS) return ErrorCode(e);
  return Enumerate(names, [&](DWORD index, char* buffer, DWORD& size) {
    return RegEnumValueA(k.Get(), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
  });
}

}  // namespace qv::platform::win32
