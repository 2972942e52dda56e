#include "platform/sim/fault_plan.h"

#include <algorithm>

#include "common/text.h"

namespace qv::platform::sim {
namespace {

constexpr FaultOps kRegistryOps = FaultOp::RegRead | FaultOp::RegWrite | FaultOp::RegDelete;

// The registry names its roots in subjects by their short names.
std::string ShortRootNames(std::string pattern) {
  static const std::pair<std::string_view, std::string_view> kRoots[] = {
      {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKEY_CURRENT_USER", "HKCU"}, {"HKEY_LOCAL_MACHINE", "HKLM"},
      {"HKEY_USERS", "HKU"},         {"HKEY_CURRENT_CONFIG", "HKCC"}};
  for (const auto& [longName, shortName] : kRoots) {
    if (text::StartsWithNoCase(pattern, longName) &&
        (pattern.size() == longName.size() || pattern[longName.size()] == '\\'))
      return std::string(shortName) + pattern.substr(longName.size());
  }
  return pattern;
}

}  // namespace

bool WildcardMatch(std::string_view p, std::string_view t) {
  // Greedy match with backtracking to the last star.
  size_t pi = 0, ti = 0, star = std::string_view::npos, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ti;
    } else if (pi < p.size() && text::LowerChar(static_cast<unsigned char>(p[pi])) ==
                                    text::LowerChar(static_cast<unsigned char>(t[ti]))) {
      ++pi;
      ++ti;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

FaultRule FaultRule::On(FaultOps ops, std::string pattern, ErrorCode error) {
  FaultRule r;
  r.ops = ops;
  r.pattern = std::move(pattern);
  r.error = error;
  return r;
}

FaultRule FaultRule::LockedFile(std::string pattern) {
  return On(FaultOp::OpenRead | FaultOp::OpenWrite | FaultOp::RemoveFile | FaultOp::Copy | FaultOp::Move |
                FaultOp::ArchiveLoad,
            std::move(pattern), kErrorSharingViolation);
}

FaultRule FaultRule::AccessDenied(std::string pattern) {
  // Copies are caught by the open of their target, so a readable source still copies.
  return On(FaultOp::OpenWrite | FaultOp::CreateFolder | FaultOp::RemoveFile | FaultOp::RemoveFolder |
                FaultOp::Move | FaultOp::SetAttributes | FaultOp::RegWrite | FaultOp::RegDelete,
            std::move(pattern), kErrorAccessDenied);
}

FaultRule FaultRule::DiskFull(std::string pattern, uint64_t bytesLeft) {
  return On(FaultOp::Write, std::move(pattern), kErrorDiskFull).AfterBytes(bytesLeft);
}

int FaultPlan::Add(FaultRule rule) {
  if (rule.ops & kRegistryOps) rule.pattern = ShortRootNames(std::move(rule.pattern));
  std::lock_guard lock(mutex_);
  int id = nextId_++;
  rules_.push_back({id, std::move(rule)});
  return id;
}

void FaultPlan::Remove(int id) {
  std::lock_guard lock(mutex_);
  std::erase_if(rules_, [id](const Entry& e) { return e.id == id; });
}

void FaultPlan::Clear() {
  std::lock_guard lock(mutex_);
  rules_.clear();
}

int FaultPlan::Fired(int id) const {
  std::lock_guard lock(mutex_);
  for (const auto& e : rules_)
    if (e.id == id) return e.fired;
  return 0;
}

bool FaultPlan::Fires(Entry& e) {
  if (e.rule.times != FaultRule::kAlways && e.fired >= e.rule.times) return false;
  if (e.seen++ < e.rule.skip) return false;
  ++e.fired;
  return true;
}

ErrorCode FaultPlan::Check(std::span<const FaultProbe> probes) {
  std::lock_guard lock(mutex_);
  for (auto& e : rules_) {
    // Size limits belong to writes, which CheckWrite handles.
    if (e.rule.afterBytes) continue;
    bool matches = std::any_of(probes.begin(), probes.end(), [&](const FaultProbe& p) {
      return (e.rule.ops & Op(p.op)) && WildcardMatch(e.rule.pattern, p.subject);
    });
    if (matches && Fires(e)) return e.rule.error;
  }
  return kSuccess;
}

ErrorCode FaultPlan::CheckWrite(std::span<const std::string> subjects, size_t count, size_t& allowed) {
  allowed = count;
  std::lock_guard lock(mutex_);
  for (auto& e : rules_) {
    if (!(e.rule.ops & Op(FaultOp::Write))) continue;
    bool matches = std::any_of(subjects.begin(), subjects.end(),
                               [&](const std::string& s) { return WildcardMatch(e.rule.pattern, s); });
    if (!matches) continue;
    size_t room = 0;
    if (e.rule.afterBytes) {
      uint64_t left = *e.rule.afterBytes - std::min(e.bytes, *e.rule.afterBytes);
      if (count <= left) {
        e.bytes += count;
        continue;
      }
      room = size_t(left);
    }
    if (Fires(e)) {
      e.bytes += room;
      allowed = room;
      return e.rule.error;
    }
    // Fired its last time: the disk has room again.
    if (e.rule.afterBytes) e.bytes += count;
  }
  return kSuccess;
}

}  // namespace qv::platform::sim
