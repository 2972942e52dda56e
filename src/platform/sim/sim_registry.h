#pragma once
// A Windows registry kept in memory: two real trees, HKEY_LOCAL_MACHINE and HKEY_USERS,
// and the roots that are views of them, as on the real system:
//   HKEY_CURRENT_USER    HKEY_USERS\<user SID>
//   HKEY_CURRENT_CONFIG  HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Hardware Profiles\Current
//   HKEY_CLASSES_ROOT    HKCU\Software\Classes merged over HKLM\SOFTWARE\Classes: a key or
//                        value of the user's side hides the machine's; writes go to the
//                        user's side when the key exists there, else to the machine's.
// On a 64-bit system the 32-bit view (the default of a 32-bit process) of
// HKLM\SOFTWARE is HKLM\SOFTWARE\Wow6432Node; Windows 7 and later share SOFTWARE\Classes
// between the views except its COM subkeys (CLSID, Interface, ...), which move to
// Classes\Wow6432Node. On a 32-bit system the view flags change nothing.
//
// Names are compared without regard to letter case and keep their first spelling; subkeys
// list in the order of their upper-cased names, values in the order they were created.
// The first level of both trees holds hives: keys cannot be created or deleted there.
// Without the rights of an elevated administrator, the machine tree and other users'
// keys can be read but not changed.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/fault_plan.h"

namespace qv::platform::sim {

struct RegistryRules {
  bool os64 = true;
  bool process64 = false;
  // Windows 7 and later: SOFTWARE\Classes is shared between the views (but for COM).
  bool classesShared = true;
  // NT 5 and later: HKEY_CLASSES_ROOT merges the user's classes; 9x has the machine's only.
  bool userClasses = true;
  bool privileged = true;
  std::string userSid = "S-1-5-21-1004336348-1177238915-682003330-1001";
};

class SimRegistry : public Registry {
 public:
  explicit SimRegistry(FaultPlan* faults);
  ~SimRegistry() override;

  ErrorCode CreateKey(RegRoot root, const std::string& key, RegView view) override;
  bool KeyExists(RegRoot root, const std::string& key, RegView view) override;
  ErrorCode WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value,
                       RegView view) override;
  ErrorCode ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& value,
                      RegView view) override;
  ErrorCode DeleteValue(RegRoot root, const std::string& key, const std::string& name, RegView view) override;
  ErrorCode DeleteKey(RegRoot root, const std::string& key, RegView view) override;
  ErrorCode ListSubKeys(RegRoot root, const std::string& key, std::vector<std::string>& names,
                        RegView view) override;
  ErrorCode ListValues(RegRoot root, const std::string& key, std::vector<std::string>& names,
                       RegView view) override;

  void SetRules(RegistryRules rules);
  RegistryRules Rules() const;

  // Back to the empty hives.
  void Clear();
  // The whole registry as text in the form of a .reg file (REGEDIT4 syntax, UTF-8), the
  // real trees only; and back. Loading replaces everything; keys may be named by any root
  // (views are written to the keys they show, without WOW64 redirection).
  std::string ToText() const;
  bool FromText(std::string_view text, std::string* error = nullptr);
  // The same with a host file.
  bool SaveTo(const std::string& hostPath, std::string* error = nullptr) const;
  bool LoadFrom(const std::string& hostPath, std::string* error = nullptr);

  struct Key;
  struct Place;

 private:
  std::vector<Place> Places(RegRoot root, const std::string& key, RegView view) const;
  Key* Find(const Place& place) const;
  Key* Create(const Place& place);
  bool MayChange(const Place& place) const;
  ErrorCode Fault(FaultOp op, RegRoot root, const std::string& key, const std::vector<Place>& places,
                  const std::string* valueName) const;
  void EnsureHives();

  FaultPlan* faults_;
  mutable std::mutex mutex_;
  RegistryRules rules_;
  std::unique_ptr<Key> machine_;
  std::unique_ptr<Key> users_;
};

}  // namespace qv::platform::sim
