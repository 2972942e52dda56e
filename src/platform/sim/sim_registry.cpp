#include "platform/sim/sim_registry.h"

#include <fstream>
#include <map>
#include <sstream>

#include "common/text.h"
#include "platform/sim/registry_text.h"

namespace qv::platform::sim {
namespace {

enum class Tree { Machine, Users };

constexpr std::string_view kWow64Node = "Wow6432Node";
// The COM registration keys that keep apart per view even where SOFTWARE\Classes is shared.
constexpr std::string_view kComClasses[] = {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"};
constexpr size_t kShared = size_t(-1);

// A key path in components; an embedded zero, a leading backslash or an empty name in
// the middle make it unusable.
ErrorCode ParseKey(const std::string& key, std::vector<std::string>& parts) {
  parts.clear();
  if (key.find('\0') != std::string::npos) return kErrorInvalidParameter;
  std::string_view k = key;
  while (!k.empty() && k.back() == '\\') k.remove_suffix(1);
  if (k.empty()) return kSuccess;
  if (k[0] == '\\') return kErrorBadPathName;
  size_t start = 0;
  for (size_t i = 0; i <= k.size(); ++i) {
    if (i < k.size() && k[i] != '\\') continue;
    if (i == start) return kErrorBadPathName;
    parts.emplace_back(k.substr(start, i - start));
    start = i + 1;
  }
  return kSuccess;
}

std::string Join(std::string_view head, const std::vector<std::string>& parts) {
  std::string out(head);
  for (const auto& p : parts) out += "\\" + p;
  return out;
}

const char* ShortName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return "HKCR";
    case RegRoot::CurrentUser: return "HKCU";
    case RegRoot::LocalMachine: return "HKLM";
    case RegRoot::Users: return "HKU";
    case RegRoot::CurrentConfig: return "HKCC";
  }
  return "HKLM";
}

bool RootFromName(std::string_view name, RegRoot& root) {
  static const std::tuple<std::string_view, std::string_view, RegRoot> kRoots[] = {
      {"HKEY_CLASSES_ROOT", "HKCR", RegRoot::ClassesRoot},   {"HKEY_CURRENT_USER", "HKCU", RegRoot::CurrentUser},
      {"HKEY_LOCAL_MACHINE", "HKLM", RegRoot::LocalMachine}, {"HKEY_USERS", "HKU", RegRoot::Users},
      {"HKEY_CURRENT_CONFIG", "HKCC", RegRoot::CurrentConfig}};
  for (const auto& [longName, shortName, r] : kRoots) {
    if (text::EqualsNoCase(name, longName) || text::EqualsNoCase(name, shortName)) {
      root = r;
      return true;
    }
  }
  return false;
}

}  // namespace

struct SimRegistry::Key {
  std::string name;
  std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-cased name
  std::vector<std::pair<std::string, RegValue>> values;

  Key* Child(std::string_view n) const {
    auto it = subkeys.find(text::UpperCase(n));
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  Key& AddChild(const std::string& n) {
    auto& slot = subkeys[text::UpperCase(n)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = n;
    }
    return *slot;
  }
  const RegValue* Value(std::string_view n) const {
    for (const auto& [name, value] : values)
      if (text::EqualsNoCase(name, n)) return &value;
    return nullptr;
  }
  void SetValue(const std::string& n, const RegValue& v) {
    for (auto& [name, value] : values) {
      if (text::EqualsNoCase(name, n)) {
        value = v;
        return;
      }
    }
    values.emplace_back(n, v);
  }
  bool EraseValue(std::string_view n) {
    for (auto it = values.begin(); it != values.end(); ++it) {
      if (text::EqualsNoCase(it->first, n)) {
        values.erase(it);
        return true;
      }
    }
    return false;
  }
};

// Where a key of a root lies in the real trees, for one view.
struct SimRegistry::Place {
  Tree tree;
  std::vector<std::string> path;      // after WOW64 redirection
  std::vector<std::string> asked;     // before it
  bool redirected = false;            // the view is the 32-bit one of a 64-bit system
};

namespace {

struct ViewRule {
  Tree tree;
  std::vector<std::string_view> prefix;  // "*" matches any name (a user's SID)
  size_t insertAt;                       // where "Wow6432Node" goes, or kShared
};

std::vector<ViewRule> ViewRules(const RegistryRules& rules) {
  std::vector<ViewRule> out{{Tree::Machine, {"SOFTWARE"}, 1}};
  if (rules.classesShared) {
    out.push_back({Tree::Machine, {"SOFTWARE", "Classes"}, kShared});
    for (auto com : kComClasses) out.push_back({Tree::Machine, {"SOFTWARE", "Classes", com}, 2});
  }
  for (auto com : kComClasses) out.push_back({Tree::Users, {"*", "Software", "Classes", com}, 3});
  return out;
}

// The key the 32-bit view shows for a real path: the most specific rule decides.
std::vector<std::string> MapTo32(const RegistryRules& rules, Tree tree, const std::vector<std::string>& path) {
  const ViewRule* best = nullptr;
  std::vector<ViewRule> all = ViewRules(rules);
  for (const auto& rule : all) {
    if (rule.tree != tree || path.size() < rule.prefix.size()) continue;
    bool match = true;
    for (size_t i = 0; i < rule.prefix.size() && match; ++i)
      match = rule.prefix[i] == "*" || text::EqualsNoCase(path[i], rule.prefix[i]);
    if (match && (!best || rule.prefix.size() > best->prefix.size())) best = &rule;
  }
  if (!best || best->insertAt == kShared) return path;
  if (path.size() > best->insertAt && text::EqualsNoCase(path[best->insertAt], kWow64Node)) return path;
  std::vector<std::string> out = path;
  out.insert(out.begin() + long(best->insertAt), std::string(kWow64Node));
  return out;
}

}  // namespace

SimRegistry::SimRegistry(FaultPlan* faults) : faults_(faults) { Clear(); }

SimRegistry::~SimRegistry() = default;

void SimRegistry::SetRules(RegistryRules rules) {
  std::lock_guard lock(mutex_);
  rules_ = std::move(rules);
  EnsureHives();
}

RegistryRules SimRegistry::Rules() const {
  std::lock_guard lock(mutex_);
  return rules_;
}

void SimRegistry::Clear() {
  std::lock_guard lock(mutex_);
  machine_ = std::make_unique<Key>();
  users_ = std::make_unique<Key>();
  EnsureHives();
}

void SimRegistry::EnsureHives() {
  for (const char* hive : {"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"}) machine_->AddChild(hive);
  machine_->Child("SOFTWARE")->AddChild("Classes");
  machine_->Child("SYSTEM")->AddChild("CurrentControlSet").AddChild("Hardware Profiles").AddChild("Current");
  users_->AddChild(".DEFAULT");
  users_->AddChild(rules_.userSid).AddChild("Software").AddChild("Classes");
}

std::vector<SimRegistry::Place> SimRegistry::Places(RegRoot root, const std::string& key, RegView view) const {
  std::vector<std::string> parts;
  ParseKey(key, parts);
  std::vector<Place> places;
  auto add = [&](Tree tree, std::vector<std::string> base) {
    Place p{tree, {}, std::move(base)};
    p.asked.insert(p.asked.end(), parts.begin(), parts.end());
    places.push_back(std::move(p));
  };
  switch (root) {
    case RegRoot::LocalMachine: add(Tree::Machine, {}); break;
    case RegRoot::Users: add(Tree::Users, {}); break;
    case RegRoot::CurrentUser: add(Tree::Users, {rules_.userSid}); break;
    case RegRoot::CurrentConfig:
      add(Tree::Machine, {"SYSTEM", "CurrentControlSet", "Hardware Profiles", "Current"});
      break;
    case RegRoot::ClassesRoot:
      if (rules_.userClasses) add(Tree::Users, {rules_.userSid, "Software", "Classes"});
      add(Tree::Machine, {"SOFTWARE", "Classes"});
      break;
  }
  bool view32 = rules_.os64 && (view == RegView::Force32 || (view == RegView::Default && !rules_.process64));
  for (auto& p : places) {
    p.redirected = view32;
    p.path = view32 ? MapTo32(rules_, p.tree, p.asked) : p.asked;
  }
  return places;
}

SimRegistry::Key* SimRegistry::Find(const Place& place) const {
  Key* k = place.tree == Tree::Machine ? machine_.get() : users_.get();
  for (const auto& name : place.path) {
    k = k->Child(name);
    if (!k) return nullptr;
  }
  return k;
}

SimRegistry::Key* SimRegistry::Create(const Place& place) {
  Key* k = place.tree == Tree::Machine ? machine_.get() : users_.get();
  for (const auto& name : place.path) k = &k->AddChild(name);
  return k;
}

bool SimRegistry::MayChange(const Place& place) const {
  if (rules_.privileged) return true;
  return place.tree == Tree::Users && !place.path.empty() && text::EqualsNoCase(place.path[0], rules_.userSid);
}

ErrorCode SimRegistry::Fault(FaultOp op, RegRoot root, const std::string& key, const std::vector<Place>& places,
                             const std::string* valueName) const {
  if (!faults_) return kSuccess;
  std::vector<std::string> subjects;
  std::vector<std::string> parts;
  ParseKey(key, parts);
  subjects.push_back(Join(ShortName(root), parts));
  for (const auto& p : places) subjects.push_back(Join(p.tree == Tree::Machine ? "HKLM" : "HKU", p.path));
  if (valueName) {
    size_t n = subjects.size();
    for (size_t i = 0; i < n; ++i) subjects.push_back(subjects[i] + "\\" + *valueName);
  }
  std::vector<FaultProbe> probes;
  for (const auto& s : subjects) probes.push_back({op, s});
  return faults_->Check(probes);
}

ErrorCode SimRegistry::CreateKey(RegRoot root, const std::string& key, RegView view) {
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegWrite, root, key, places, nullptr)) return e;
  // An existing key is opened where it is; a new one goes to the last place (the
  // machine's side of HKEY_CLASSES_ROOT).
  const Place* place = &places.back();
  for (const auto& p : places)
    if (Find(p)) {
      place = &p;
      break;
    }
  if (!MayChange(*place)) return kErrorAccessDenied;
  if (!Find(*place)) {
    const Key* top = place->tree == Tree::Machine ? machine_.get() : users_.get();
    if (!place->path.empty() && !top->Child(place->path[0])) return kErrorAccessDenied;  // a new hive
    Create(*place);
  }
  return kSuccess;
}

bool SimRegistry::KeyExists(RegRoot root, const std::string& key, RegView view) {
  std::vector<std::string> parts;
  if (ParseKey(key, parts)) return false;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (Fault(FaultOp::RegRead, root, key, places, nullptr)) return false;
  for (const auto& p : places)
    if (Find(p)) return true;
  return false;
}

ErrorCode SimRegistry::WriteValue(RegRoot root, const std::string& key, const std::string& name,
                                  const RegValue& value, RegView view) {
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  if (name.find('\0') != std::string::npos) return kErrorInvalidParameter;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegWrite, root, key, places, &name)) return e;
  for (const auto& p : places) {
    Key* k = Find(p);
    if (!k) continue;
    // The roots of both trees hold no values.
    if (p.path.empty() || !MayChange(p)) return kErrorAccessDenied;
    k->SetValue(name, value);
    return kSuccess;
  }
  return kErrorFileNotFound;
}

ErrorCode SimRegistry::ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& value,
                                 RegView view) {
  value = RegValue{};
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  if (name.find('\0') != std::string::npos) return kErrorInvalidParameter;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegRead, root, key, places, &name)) return e;
  for (const auto& p : places) {
    if (const Key* k = Find(p)) {
      if (const RegValue* v = k->Value(name)) {
        value = *v;
        return kSuccess;
      }
    }
  }
  return kErrorFileNotFound;
}

ErrorCode SimRegistry::DeleteValue(RegRoot root, const std::string& key, const std::string& name, RegView view) {
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  if (name.find('\0') != std::string::npos) return kErrorInvalidParameter;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegDelete, root, key, places, &name)) return e;
  for (const auto& p : places) {
    Key* k = Find(p);
    if (!k || !k->Value(name)) continue;
    if (!MayChange(p)) return kErrorAccessDenied;
    k->EraseValue(name);
    return kSuccess;
  }
  return kErrorFileNotFound;
}

ErrorCode SimRegistry::DeleteKey(RegRoot root, const std::string& key, RegView view) {
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  // An empty path names the root key itself.
  if (parts.empty()) return kErrorInvalidParameter;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegDelete, root, key, places, nullptr)) return e;
  for (const auto& p : places) {
    Key* k = Find(p);
    if (!k) continue;
    // Hives stay; RegDeleteKey refuses a key that has subkeys.
    if (p.path.size() <= 1 || !k->subkeys.empty() || !MayChange(p)) return kErrorAccessDenied;
    Place parent = p;
    parent.path.pop_back();
    Find(parent)->subkeys.erase(text::UpperCase(p.path.back()));
    return kSuccess;
  }
  return kErrorFileNotFound;
}

ErrorCode SimRegistry::ListSubKeys(RegRoot root, const std::string& key, std::vector<std::string>& names,
                                   RegView view) {
  names.clear();
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegRead, root, key, places, nullptr)) return e;
  std::map<std::string, std::string> found;  // upper-cased name -> first spelling
  bool any = false;
  for (const auto& p : places) {
    const Key* k = Find(p);
    if (!k) continue;
    any = true;
    if (!p.redirected) {
      for (const auto& [upper, child] : k->subkeys) found.emplace(upper, child->name);
      continue;
    }
    // In the 32-bit view a subkey shows when the view of its own path exists: the
    // redirected key's subkeys, and the shared ones of the key asked for.
    std::vector<std::string> candidates;
    for (const auto& [upper, child] : k->subkeys) candidates.push_back(child->name);
    Place real{p.tree, p.asked, p.asked, false};
    if (const Key* r = Find(real))
      for (const auto& [upper, child] : r->subkeys) candidates.push_back(child->name);
    for (const auto& c : candidates) {
      Place sub{p.tree, {}, p.asked, true};
      sub.asked.push_back(c);
      sub.path = MapTo32(rules_, p.tree, sub.asked);
      if (const Key* s = Find(sub)) found.emplace(text::UpperCase(c), s->name);
    }
  }
  if (!any) return kErrorFileNotFound;
  for (auto& [upper, name] : found) names.push_back(name);
  return kSuccess;
}

ErrorCode SimRegistry::ListValues(RegRoot root, const std::string& key, std::vector<std::string>& names,
                                  RegView view) {
  names.clear();
  std::vector<std::string> parts;
  if (ErrorCode e = ParseKey(key, parts)) return e;
  std::lock_guard lock(mutex_);
  std::vector<Place> places = Places(root, key, view);
  if (ErrorCode e = Fault(FaultOp::RegRead, root, key, places, nullptr)) return e;
  bool any = false;
  for (const auto& p : places) {
    const Key* k = Find(p);
    if (!k) continue;
    any = true;
    for (const auto& [name, value] : k->values) {
      bool seen = false;
      for (const auto& n : names) seen = seen || text::EqualsNoCase(n, name);
      if (!seen) names.push_back(name);
    }
  }
  return any ? kSuccess : kErrorFileNotFound;
}

std::string SimRegistry::ToText() const {
  std::lock_guard lock(mutex_);
  std::vector<RegTextKey> keys;
  struct Walker {
    static void Walk(const Key& key, const std::string& path, std::vector<RegTextKey>& out) {
      for (const auto& [upper, child] : key.subkeys) {
        std::string childPath = path + "\\" + child->name;
        out.push_back({childPath, child->values});
        Walk(*child, childPath, out);
      }
    }
  };
  Walker::Walk(*machine_, "HKEY_LOCAL_MACHINE", keys);
  Walker::Walk(*users_, "HKEY_USERS", keys);
  return FormatRegistryText(keys);
}

bool SimRegistry::FromText(std::string_view text, std::string* error) {
  std::vector<RegTextKey> keys;
  if (!ParseRegistryText(text, keys, error)) return false;
  struct Target {
    RegRoot root;
    std::string key;
  };
  std::vector<Target> targets;
  for (const auto& k : keys) {
    size_t slash = k.path.find('\\');
    std::string rootName = k.path.substr(0, slash);
    Target t{RegRoot::LocalMachine, slash == std::string::npos ? std::string() : k.path.substr(slash + 1)};
    std::vector<std::string> parts;
    if (!RootFromName(rootName, t.root) || ParseKey(t.key, parts) != kSuccess) {
      if (error) *error = "bad key name: " + k.path;
      return false;
    }
    targets.push_back(std::move(t));
  }
  std::lock_guard lock(mutex_);
  machine_ = std::make_unique<Key>();
  users_ = std::make_unique<Key>();
  for (size_t i = 0; i < keys.size(); ++i) {
    // The key a view shows without redirection; for HKEY_CLASSES_ROOT the machine's.
    std::vector<Place> places = Places(targets[i].root, targets[i].key, RegView::Force64);
    for (auto& p : places) p.path = p.asked;
    Key* k = Create(places.back());
    for (const auto& [name, value] : keys[i].values) k->SetValue(name, value);
  }
  EnsureHives();
  return true;
}

bool SimRegistry::SaveTo(const std::string& hostPath, std::string* error) const {
  std::string text = ToText();
  std::string temp = hostPath + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(text.data(), std::streamsize(text.size()))) {
      if (error) *error = "cannot write " + temp;
      return false;
    }
  }
  if (std::rename(temp.c_str(), hostPath.c_str()) != 0) {
    if (error) *error = "cannot replace " + hostPath;
    return false;
  }
  return true;
}

bool SimRegistry::LoadFrom(const std::string& hostPath, std::string* error) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot read " + hostPath;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return FromText(text.str(), error);
}

}  // namespace qv::platform::sim
