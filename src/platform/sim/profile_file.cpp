#include "platform/sim/profile_file.h"

#include "common/codepage1252.h"
#include "common/text.h"

namespace qv::platform::sim {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// UTF-16 text (with its byte order mark) in code page 1252; characters it lacks become "?".
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned char a = bytes[i], b = bytes[i + 1];
    char16_t unit = bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    int c = cp1252::FromUtf16(unit);
    out.push_back(c < 0 ? '?' : char(c));
  }
  return out;
}

}  // namespace

bool FindProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key, std::string& value) {
  value.clear();
  std::string converted;
  if (fileBytes.size() >= 2 && uint8_t(fileBytes[0]) == 0xFF && uint8_t(fileBytes[1]) == 0xFE) {
    converted = FromUtf16(fileBytes, false);
    fileBytes = converted;
  } else if (fileBytes.size() >= 2 && uint8_t(fileBytes[0]) == 0xFE && uint8_t(fileBytes[1]) == 0xFF) {
    converted = FromUtf16(fileBytes, true);
    fileBytes = converted;
  }
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  bool inSection = false;
  for (const std::string& raw : text::SplitLines(fileBytes)) {
    std::string_view line = TrimBlanks(raw);
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        // Only the first section of the name counts.
        if (inSection) return false;
        inSection = text::EqualsNoCase(TrimBlanks(line.substr(1, close - 1)), section);
        continue;
      }
    }
    if (!inSection) continue;
    size_t equals = line.find('=');
    std::string_view name = TrimBlanks(line.substr(0, equals));
    if (!text::EqualsNoCase(name, key)) continue;
    std::string_view v = equals == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(equals + 1));
    if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    value = std::string(v);
    return true;
  }
  return false;
}

}  // namespace qv::platform::sim
