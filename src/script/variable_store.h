#pragma once
// The process-wide table of script variables: name to text value, names compared
// without regard to letter case, every operation under one lock. Worker threads use it
// concurrently with the main thread.
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv::script {

// The origin under which command-line properties are injected; the only origin that may
// overwrite a property in silent mode.
inline constexpr std::string_view kOriginCommandLine = "Inject Override Command Line";

// A variable name with its hash worked out once, for the names the engine reads and
// writes on every line. Only for plain ASCII names, whose hash no code page changes.
class VariableName {
 public:
  explicit VariableName(std::string_view name);
  std::string_view Text() const { return name_; }
  uint64_t Hash() const { return hash_; }

 private:
  std::string_view name_;
  uint64_t hash_;
};

class VariableStore {
 public:
  VariableStore();

  // Stores or replaces; an empty name is ignored.
  void Set(std::string_view name, std::string_view value);
  void Clear();
  bool Exists(std::string_view name) const;
  // The value, empty when absent.
  std::string Get(std::string_view name) const;
  // Name and value when present (one lookup under the lock).
  bool TryGet(std::string_view name, std::string& value) const;
  std::string Get(const VariableName& name) const;
  bool TryGet(const VariableName& name, std::string& value) const;
  // Several values in one operation (empty for those that do not exist), for the
  // per-line refresh.
  void GetAll(std::span<const VariableName* const> names, std::span<std::string> values) const;
  // name, value, name, value, ... in the order the variables were first stored.
  size_t ListAll(std::vector<std::string>& list) const;
  size_t Count() const;

  // The one assignment rule of the engine: a value that is a reference to the variable
  // itself stores empty text, and in silent mode a command-line property keeps its value
  // against every origin but the command line's own.
  void SetVariable(std::string_view name, std::string_view value, std::string_view origin);
  void SetVariable(const VariableName& name, std::string_view value, std::string_view origin);
  // Several assignments in one operation, each by the rule of SetVariable.
  void SetVariables(std::span<const VariableName* const> names, std::span<const std::string> values,
                    std::string_view origin);
  std::string GetVariable(std::string_view name) const;

  // Every reference ("$" name "$") to an existing variable replaced by its value, and the
  // inserted value scanned again. Other "$" text stays as it is.
  std::string ExpandVariables(std::string_view text) const;
  // The same with each inserted value in double quotes (its own double quotes doubled).
  std::string ExpandQuoted(std::string_view text) const;

  // What the override rule needs: the silent flag (refreshed before every line) and the
  // command-line properties as name, value, name, value, ... with upper-case names.
  void SetSilent(bool silent);
  bool Silent() const;
  void SetCommandLineProperties(std::vector<std::string> flatList);
  std::vector<std::string> CommandLineProperties() const;

  // Substitution stops following references after this many nested insertions at one
  // place, or after this many insertions in one text, so that a variable that refers to
  // itself through others cannot make it run without end.
  static constexpr int kMaxNesting = 32;
  static constexpr int kMaxInsertions = 100000;

 private:
  struct Entry {
    std::string name;
    std::string value;
    uint64_t hash;
  };
  int64_t FindLocked(std::string_view name, uint64_t hash) const;
  void SetLocked(std::string_view name, std::string_view value);
  void SetLocked(std::string_view name, uint64_t hash, std::string_view value);
  bool TryGetHashed(std::string_view name, uint64_t hash, std::string& value) const;
  void SetVariableHashed(std::string_view name, uint64_t hash, std::string_view value, std::string_view origin);
  void SetVariableLocked(std::string_view name, uint64_t hash, std::string_view value, std::string_view origin);
  void Rehash(size_t capacity);
  bool IsProtectedProperty(std::string_view name) const;
  std::string Expand(std::string_view text, bool quoted) const;

  mutable std::mutex lock_;
  std::vector<Entry> entries_;
  std::vector<int32_t> slots_;  // -1 empty, else index into entries_
  bool silent_ = false;
  std::vector<std::string> properties_;
};

// NAME for a text of the form "$NAME$" (its only other "$" is the last character), else empty.
std::string StripReference(std::string_view text);
// The expanded value of the variable a text names (as a reference or bare); empty when
// there is no such variable, or "$KORVNX$" with `markMissing`.
std::string ResolveReference(const VariableStore& store, std::string_view text, bool markMissing = false);
inline constexpr std::string_view kMissingMarker = "$KORVNX$";
// True for "TRUE" in any letter case and for exactly "-1".
bool IsTrue(std::string_view text);

}  // namespace qv::script
