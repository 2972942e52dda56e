#include "script/script.h"

#include <algorithm>

#include "common/text.h"
#include "common/win_path.h"

namespace qv::script {

// ---- ParameterTable ----------------------------------------------------------------

ParameterTable::ParameterTable(std::vector<std::string> lines) : owned_(std::move(lines)), lines_(owned_) { Index(); }

ParameterTable::ParameterTable(std::span<const std::string> lines) : lines_(lines) { Index(); }

void ParameterTable::Index() {
  size_t capacity = 16;
  while (capacity < lines_.size() * 2) capacity <<= 1;
  slots_.assign(capacity, Slot{0, 0});
  const size_t mask = capacity - 1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const uint64_t hash = text::HashNoCase(lines_[i]);
    const uint32_t tag = uint32_t(hash >> 32);
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      Slot& s = slots_[slot];
      if (s.position == 0) {
        s = Slot{static_cast<uint32_t>(i + 1), tag};
        break;
      }
      if (s.hash == tag && text::EqualsNoCase(lines_[s.position - 1], lines_[i])) break;  // keep the first
    }
  }
}

int64_t ParameterTable::IndexOf(std::string_view text) const {
  const size_t mask = slots_.size() - 1;
  const uint64_t hash = text::HashNoCase(text);
  const uint32_t tag = uint32_t(hash >> 32);
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& s = slots_[slot];
    if (s.position == 0) return -1;
    if (s.hash == tag && text::EqualsNoCase(lines_[s.position - 1], text)) return int64_t(s.position) - 1;
  }
}

// ---- Script --------------------------------------------------------------------------

Script::Script(ScriptSections sections) : s_(std::move(sections)) {
  tables_.push_back(std::make_unique<ParameterTable>(std::span<const std::string>(s_.parameterLines)));
}

const std::string& Script::At(const std::vector<std::string>& list, size_t i) {
  static const std::string empty;
  return i < list.size() ? list[i] : empty;
}

ParameterRecord Script::FindRecord(std::string_view id) const {
  for (const auto& table : tables_) {
    int64_t p = table->IndexOf(id);
    if (p >= 0) return ParameterRecord{table.get(), p};
  }
  return {};
}

std::string Script::GetParameter(const ParameterRecord& record, std::string_view id, int k) const {
  if (!record.table) return {};
  const int64_t at = record.position + k;
  if (k < 0 || at >= int64_t(record.table->Lines().size()))
    throw EngineError("List index out of bounds (" + std::to_string(at) + "): the setup script has no parameter " +
                      std::to_string(k) + " for the command " + std::string(id));
  return record.table->Lines()[size_t(at)];
}

std::string Script::GetParameter(std::string_view id, int k) const { return GetParameter(FindRecord(id), id, k); }

void Script::AddParameterTable(std::vector<std::string> lines) {
  tables_.push_back(std::make_unique<ParameterTable>(std::move(lines)));
}

std::string Script::ExpandCompilerVariables(std::string_view input) const {
  std::string text(input);
  // A chain of compiler variables that keeps producing new "#" references is cut off
  // after so many passes, or once it has grown out of all proportion, instead of running
  // without end.
  constexpr int kMaxPasses = 64;
  const size_t maxSize = std::max<size_t>(input.size() * 16, 1 << 20);
  for (int pass = 0; pass < kMaxPasses && text.find('#') != std::string::npos && text.size() <= maxSize; ++pass) {
    std::string before = text;
    const auto& vars = s_.compilerVariables;
    for (size_t i = 0; i + 1 < vars.size(); i += 2)
      text = text::ReplaceAllNoCase(text, "#" + vars[i] + "#", vars[i + 1]);
    if (text == before || text.find('#') == std::string::npos) break;
  }
  return text;
}

std::string Script::GetHeaderId(size_t line, bool nativeEngine, bool seeding) const {
  if (nativeEngine) {
    const std::string& name = CommandName(line);
    if (name != "Install Files" && name != "Install Assembly" && name != "Install Service" &&
        name != "Install ODBC Driver")
      return {};
  }
  // The map holds (header id, line index) pairs; only the index positions are searched,
  // so a header id that happens to look like a line number never matches.
  const std::string index = std::to_string(line);
  const auto& map = s_.commandHeaderMap;
  std::string id;
  for (size_t i = 1; i < map.size(); i += 2) {
    if (map[i] == index) {
      id = map[i - 1];
      break;
    }
  }
  if (id.empty() && !seeding) throw EngineError("Unable to obtain command headers. Please rebuild your project.");
  return id;
}

int64_t Script::GetComponentSize(std::string_view name) const {
  const auto& sizes = s_.componentSizes;
  for (size_t i = 0; i + 1 < sizes.size(); i += 2) {
    if (!text::EqualsNoCase(sizes[i], name)) continue;
    int64_t v = 0;
    return text::ParseInt64(sizes[i + 1], v) ? v : 0;
  }
  return 0;
}

std::string Script::GetWebMediaPassword(std::string_view blockName) const {
  const auto& pairs = s_.webMediaPasswords;
  auto lookup = [&](std::string_view name) -> std::string {
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
      if (text::EqualsNoCase(pairs[i], name)) return pairs[i + 1];
    return {};
  };
  std::string stored = lookup(blockName);
  if (stored.empty()) stored = lookup("offline");
  return UnscramblePassword(stored);
}

std::string Script::SourceFileOf(size_t line) const {
  const std::string& entry = At(s_.sourcePositions, line);
  size_t star = entry.find('*');
  if (star == std::string::npos) return {};
  return winpath::BaseName(entry.substr(0, star));
}

int64_t Script::SourceLineOf(size_t line) const {
  const std::string& entry = At(s_.sourcePositions, line);
  size_t star = entry.find('*');
  int64_t n = 0;
  if (star == std::string::npos || !text::ParseInt64(std::string_view(entry).substr(star + 1), n)) n = 0;
  return n + 1;
}

void Script::ReplaceIdentity(const std::string& productCode, const std::string& revisionCode,
                             const std::string& title) {
  s_.productCode = productCode;
  s_.revisionCode = revisionCode;
  s_.productTitle = title;
}

// ---- Passwords ------------------------------------------------------------------------

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string UnscramblePassword(std::string_view stored) {
  std::string hex(stored);
  for (size_t i = 0; i < hex.size(); ++i) hex[i] = static_cast<char>(static_cast<unsigned char>(hex[i]) ^ (i & 0xFF));
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    // Each pair holds the low digit first, then the high one.
    int low = HexValue(hex[i]), high = HexValue(hex[i + 1]);
    if (low < 0 || high < 0) continue;
    out.push_back(static_cast<char>(high * 16 + low));
  }
  return out;
}

std::string ScramblePassword(std::string_view password) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : password) {
    out.push_back(kDigits[c & 15]);
    out.push_back(kDigits[c >> 4]);
  }
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ (i & 0xFF));
  // The stored text is one script line: a password whose scrambled form holds a line
  // break, a zero or is a lone "$" cannot be written.
  if (out.find_first_of(std::string("\r\n\0", 3)) != std::string::npos || out == "$")
    throw EngineError("This password cannot be stored in a setup script; choose a shorter or different one");
  return out;
}

}  // namespace qv::script
