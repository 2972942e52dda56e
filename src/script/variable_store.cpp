#include "script/variable_store.h"

#include "common/text.h"

namespace qv::script {

VariableName::VariableName(std::string_view name) : name_(name), hash_(text::HashNoCase(name)) {}

VariableStore::VariableStore() { Rehash(256); }

void VariableStore::Rehash(size_t capacity) {
  slots_.assign(capacity, -1);
  const size_t mask = capacity - 1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    size_t slot = entries_[i].hash & mask;
    while (slots_[slot] >= 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<int32_t>(i);
  }
}

int64_t VariableStore::FindLocked(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    int32_t i = slots_[slot];
    if (i < 0) return -1;
    const Entry& e = entries_[size_t(i)];
    if (e.hash == hash && text::EqualsNoCase(e.name, name)) return i;
  }
}

void VariableStore::SetLocked(std::string_view name, std::string_view value) {
  SetLocked(name, text::HashNoCase(name), value);
}

void VariableStore::SetLocked(std::string_view name, uint64_t hash, std::string_view value) {
  int64_t i = FindLocked(name, hash);
  if (i >= 0) {
    entries_[size_t(i)].value.assign(value);
    return;
  }
  if ((entries_.size() + 1) * 2 > slots_.size()) {
    entries_.push_back({std::string(name), std::string(value), hash});
    Rehash(slots_.size() * 2);
    return;
  }
  const size_t mask = slots_.size() - 1;
  size_t slot = hash & mask;
  while (slots_[slot] >= 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<int32_t>(entries_.size());
  entries_.push_back({std::string(name), std::string(value), hash});
}

void VariableStore::Set(std::string_view name, std::string_view value) {
  if (name.empty()) return;
  std::lock_guard<std::mutex> guard(lock_);
  SetLocked(name, value);
}

void VariableStore::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
  Rehash(256);
}

bool VariableStore::Exists(std::string_view name) const {
  std::lock_guard<std::mutex> guard(lock_);
  return FindLocked(name, text::HashNoCase(name)) >= 0;
}

std::string VariableStore::Get(std::string_view name) const {
  std::string value;
  TryGet(name, value);
  return value;
}

bool VariableStore::TryGet(std::string_view name, std::string& value) const {
  return TryGetHashed(name, text::HashNoCase(name), value);
}

bool VariableStore::TryGet(const VariableName& name, std::string& value) const {
  return TryGetHashed(name.Text(), name.Hash(), value);
}

std::string VariableStore::Get(const VariableName& name) const {
  std::string value;
  TryGetHashed(name.Text(), name.Hash(), value);
  return value;
}

bool VariableStore::TryGetHashed(std::string_view name, uint64_t hash, std::string& value) const {
  std::lock_guard<std::mutex> guard(lock_);
  int64_t i = FindLocked(name, hash);
  if (i < 0) {
    value.clear();
    return false;
  }
  value = entries_[size_t(i)].value;
  return true;
}

size_t VariableStore::ListAll(std::vector<std::string>& list) const {
  std::lock_guard<std::mutex> guard(lock_);
  list.clear();
  list.reserve(entries_.size() * 2);
  for (const auto& e : entries_) {
    list.push_back(e.name);
    list.push_back(e.value);
  }
  return list.size();
}

size_t VariableStore::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.size();
}

void VariableStore::SetSilent(bool silent) {
  std::lock_guard<std::mutex> guard(lock_);
  silent_ = silent;
}

bool VariableStore::Silent() const {
  std::lock_guard<std::mutex> guard(lock_);
  return silent_;
}

void VariableStore::SetCommandLineProperties(std::vector<std::string> flatList) {
  std::lock_guard<std::mutex> guard(lock_);
  properties_ = std::move(flatList);
}

std::vector<std::string> VariableStore::CommandLineProperties() const {
  std::lock_guard<std::mutex> guard(lock_);
  return properties_;
}

bool VariableStore::IsProtectedProperty(std::string_view name) const {
  for (size_t i = 0; i < properties_.size(); i += 2)
    if (text::EqualsNoCase(properties_[i], name)) return true;
  return false;
}

void VariableStore::SetVariable(std::string_view name, std::string_view value, std::string_view origin) {
  SetVariableHashed(name, text::HashNoCase(name), value, origin);
}

void VariableStore::SetVariable(const VariableName& name, std::string_view value, std::string_view origin) {
  SetVariableHashed(name.Text(), name.Hash(), value, origin);
}

void VariableStore::GetAll(std::span<const VariableName* const> names, std::span<std::string> values) const {
  std::lock_guard<std::mutex> guard(lock_);
  for (size_t k = 0; k < names.size() && k < values.size(); ++k) {
    int64_t i = FindLocked(names[k]->Text(), names[k]->Hash());
    if (i < 0)
      values[k].clear();
    else
      values[k] = entries_[size_t(i)].value;
  }
}

void VariableStore::SetVariables(std::span<const VariableName* const> names, std::span<const std::string> values,
                                 std::string_view origin) {
  std::lock_guard<std::mutex> guard(lock_);
  for (size_t k = 0; k < names.size() && k < values.size(); ++k)
    SetVariableLocked(names[k]->Text(), names[k]->Hash(), values[k], origin);
}

void VariableStore::SetVariableHashed(std::string_view name, uint64_t hash, std::string_view value,
                                      std::string_view origin) {
  std::lock_guard<std::mutex> guard(lock_);
  SetVariableLocked(name, hash, value, origin);
}

void VariableStore::SetVariableLocked(std::string_view name, uint64_t hash, std::string_view value,
                                      std::string_view origin) {
  if (name.empty()) return;
  // A variable can never hold a reference to itself: that would expand without end.
  bool selfReference = value.size() == name.size() + 2 && value.front() == '$' && value.back() == '$' &&
                       text::EqualsNoCase(value.substr(1, name.size()), name);
  std::string_view stored = selfReference ? std::string_view() : value;
  int64_t i = FindLocked(name, hash);
  if (i >= 0 && silent_ && origin != kOriginCommandLine && IsProtectedProperty(name)) return;
  if (i >= 0)
    entries_[size_t(i)].value.assign(stored);
  else
    SetLocked(name, hash, stored);
}

std::string VariableStore::GetVariable(std::string_view name) const { return Get(name); }

std::string VariableStore::ExpandVariables(std::string_view text) const { return Expand(text, false); }

std::string VariableStore::ExpandQuoted(std::string_view text) const { return Expand(text, true); }

// The text still to be scanned is a stack of pieces: the rest of the original text at the
// bottom and, above it, the rest of every value inserted since. Text is final once the
// scan has passed it, so the result only ever grows at its end and no text is moved.
std::string VariableStore::Expand(std::string_view text, bool quoted) const {
  if (text.find('$') == std::string_view::npos) return std::string(text);

  struct Piece {
    std::string owned;      // an inserted value
    std::string_view base;  // the original text, when not an inserted value
    bool isOwned;
    size_t pos;
    int depth;
    std::string_view View() const { return isOwned ? std::string_view(owned) : base; }
  };
  std::vector<Piece> pending;
  pending.reserve(8);
  pending.push_back({std::string(), text, false, 0, 0});

  // Drops `n` characters from the front of the pending text.
  auto consume = [&pending](size_t n) {
    while (n > 0 && !pending.empty()) {
      Piece& p = pending.back();
      size_t avail = p.View().size() - p.pos;
      if (n < avail) {
        p.pos += n;
        return;
      }
      n -= avail;
      pending.pop_back();
    }
  };

  std::string out;
  out.reserve(text.size() + 64);
  std::string name, value;
  int insertions = 0;

  while (!pending.empty()) {
    Piece& top = pending.back();
    const std::string_view topView = top.View();
    size_t open = topView.find('$', top.pos);
    if (open == std::string_view::npos) {
      out.append(topView.substr(top.pos));
      pending.pop_back();
      continue;
    }
    out.append(topView.substr(top.pos, open - top.pos));
    top.pos = open;
    const int depth = top.depth;

    // The candidate name runs to the next "$", which may lie in a piece further down.
    name.clear();
    bool closed = false;
    size_t afterOpen = open + 1;
    for (size_t k = pending.size(); k-- > 0;) {
      const std::string_view v = pending[k].View();
      size_t from = (k == pending.size() - 1) ? afterOpen : pending[k].pos;
      size_t close = v.find('$', from);
      if (close != std::string_view::npos) {
        name.append(v.substr(from, close - from));
        closed = true;
        break;
      }
      name.append(v.substr(from));
    }
    if (!closed) {
      // A lone "$": everything left is plain text.
      for (size_t k = pending.size(); k-- > 0;) out.append(pending[k].View().substr(pending[k].pos));
      break;
    }

    bool known = depth < kMaxNesting && insertions < kMaxInsertions && TryGet(name, value);
    if (known) {
      consume(name.size() + 2);
      ++insertions;
      // A quoted value has its own double quotes doubled, so that it stays one quoted
      // text for the expression reader instead of ending early.
      if (quoted)
        pending.push_back({"\"" + text::ReplaceAll(value, "\"", "\"\"") + "\"", {}, true, 0, depth + 1});
      else if (!value.empty())
        pending.push_back({value, {}, true, 0, depth + 1});
    } else {
      // Not a reference: keep "$" and the name; the closing "$" may open the next one.
      out.push_back('$');
      out.append(name);
      consume(name.size() + 1);
    }
  }
  return out;
}

std::string StripReference(std::string_view text) {
  if (text.size() < 2 || text.front() != '$' || text.back() != '$') return {};
  std::string_view inner = text.substr(1, text.size() - 2);
  if (inner.find('$') != std::string_view::npos) return {};
  return std::string(inner);
}

std::string ResolveReference(const VariableStore& store, std::string_view text, bool markMissing) {
  std::string name = StripReference(text);
  if (name.empty()) name = std::string(text);
  std::string value;
  if (!store.TryGet(name, value)) return markMissing ? std::string(kMissingMarker) : std::string();
  return store.ExpandVariables(value);
}

bool IsTrue(std::string_view text) { return text::EqualsNoCase(text, "TRUE") || text == "-1"; }

}  // namespace qv::script
