#pragma once
// Faults a test plans for the simulated machine. Every operation of the simulated file
// system, registry and library loader asks the plan before it acts and fails with the
// planned error when a rule matches: a file another program holds locked, a folder the
// user may not change, a disk that fills up after so many bytes.
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace qv::platform::sim {

enum class FaultOp : uint32_t {
  OpenRead,       // opening a file for reading (also the source of a copy)
  Read,           // each read from an opened file
  OpenWrite,      // creating, truncating or appending (also the target of a copy)
  Write,          // each write to an opened file (also the data of a copy)
  CreateFolder,
  RemoveFile,
  RemoveFolder,
  Copy,           // the copy as a whole; compared with both paths
  Move,           // compared with both paths
  SetAttributes,
  Query,          // existence, attributes, size, folder listing
  RegRead,        // opening, reading and listing keys
  RegWrite,       // creating keys, writing values
  RegDelete,      // deleting keys and values
  ArchiveLoad,    // loading the archive component library
  Download,       // web downloads (not used yet)
};

using FaultOps = uint32_t;
constexpr FaultOps Op(FaultOp op) { return FaultOps(1) << uint32_t(op); }
constexpr FaultOps operator|(FaultOp a, FaultOp b) { return Op(a) | Op(b); }
constexpr FaultOps operator|(FaultOps a, FaultOp b) { return a | Op(b); }

struct FaultRule {
  static constexpr int kAlways = -1;

  FaultOps ops = 0;
  // Compared without regard to letter case with the full Windows path (or, for the
  // registry, "HKLM\key" and "HKLM\key\value name"; long root names are accepted);
  // "*" stands for any run of characters.
  std::string pattern = "*";
  ErrorCode error = kErrorAccessDenied;
  int times = kAlways;  // how many times it fires
  int skip = 0;         // matching operations let through before it fires
  // Writes only: the bytes that all matching writes together still put on the disk
  // before the error (the space left on a disk that fills up).
  std::optional<uint64_t> afterBytes;

  static FaultRule On(FaultOps ops, std::string pattern, ErrorCode error);
  static FaultRule On(FaultOp op, std::string pattern, ErrorCode error) { return On(Op(op), std::move(pattern), error); }
  // Another program holds the file open without sharing it.
  static FaultRule LockedFile(std::string pattern);
  // The user may read but not change what matches.
  static FaultRule AccessDenied(std::string pattern);
  // The disk holding what matches is full after `bytesLeft` more bytes.
  static FaultRule DiskFull(std::string pattern, uint64_t bytesLeft = 0);

  FaultRule& Times(int n) { times = n; return *this; }
  FaultRule& Skip(int n) { skip = n; return *this; }
  FaultRule& AfterBytes(uint64_t n) { afterBytes = n; return *this; }
};

// One thing an operation is about to do: its kind and the path (or key) it acts on.
struct FaultProbe {
  FaultOp op;
  std::string_view subject;
};

class FaultPlan {
 public:
  // Returns the rule's id. Rules are asked in the order they were added.
  int Add(FaultRule rule);
  void Remove(int id);
  void Clear();
  // How many times the rule has fired.
  int Fired(int id) const;

  // The error of the first rule that matches one of the probes (each operation asks once,
  // so a rule fires at most once per operation), or kSuccess.
  ErrorCode Check(std::span<const FaultProbe> probes);
  ErrorCode Check(std::initializer_list<FaultProbe> probes) { return Check(std::span(probes.begin(), probes.size())); }
  ErrorCode Check(FaultOp op, std::string_view subject) { return Check({{op, subject}}); }
  // A write of `count` bytes to the file named by `subjects`: `allowed` is how many of them
  // go through before the returned error (all on success).
  ErrorCode CheckWrite(std::span<const std::string> subjects, size_t count, size_t& allowed);

 private:
  struct Entry {
    int id;
    FaultRule rule;
    int seen = 0;   // matching operations so far
    int fired = 0;
    uint64_t bytes = 0;  // written under a size limit so far
  };
  bool Fires(Entry& e);

  mutable std::mutex mutex_;
  std::vector<Entry> rules_;
  int nextId_ = 1;
};

// "*" wildcard match without regard to letter case.
bool WildcardMatch(std::string_view pattern, std::string_view text);

}  // namespace qv::platform::sim
