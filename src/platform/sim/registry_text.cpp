#include "platform/sim/registry_text.h"

#include <cstdio>

#include "common/codepage1252.h"
#include "common/text.h"

namespace qv::platform::sim {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kLineWidth = 76;

std::string Quoted(std::string_view ansi) {
  std::string out = "\"";
  for (char c : cp1252::ToUtf8(ansi)) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A string value the quoted form gives back byte for byte.
bool QuotableString(const RegValue& v) {
  if (v.type != regtype::kSz || v.data.empty() || v.data.back() != '\0') return false;
  for (size_t i = 0; i + 1 < v.data.size(); ++i)
    if (static_cast<unsigned char>(v.data[i]) < 0x20) return false;
  return true;
}

void AppendHex(std::string& line, std::string_view bytes) {
  char hex[4];
  size_t lineStart = line.rfind('\n');
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
    line += hex;
    if (i + 1 == bytes.size()) break;
    line.push_back(',');
    if (line.size() - lineStart >= kLineWidth) {
      line += "\\\n  ";
      lineStart = line.size() - 2;
    }
  }
}

std::string FormatValue(const std::string& name, const RegValue& v) {
  std::string line = name.empty() ? "@" : Quoted(name);
  line.push_back('=');
  if (QuotableString(v)) {
    line += Quoted(std::string_view(v.data).substr(0, v.data.size() - 1));
  } else if (v.type == regtype::kDword && v.data.size() == 4) {
    char dword[16];
    std::snprintf(dword, sizeof dword, "dword:%08x", v.AsDword());
    line += dword;
  } else {
    if (v.type == regtype::kBinary) {
      line += "hex:";
    } else {
      char head[24];
      std::snprintf(head, sizeof head, "hex(%x):", v.type);
      line += head;
    }
    AppendHex(line, v.data);
  }
  return line;
}

// --- reading ---

struct Cursor {
  std::string_view s;
  size_t at = 0;
  bool Eat(char c) {
    if (at < s.size() && s[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
  bool Done() const { return at >= s.size(); }
  std::string_view Rest() const { return s.substr(at); }
};

// A quoted text with \\ and \" escapes, from UTF-8 to ANSI.
bool ReadQuoted(Cursor& c, std::string& out) {
  if (!c.Eat('"')) return false;
  std::string utf8;
  while (!c.Done()) {
    char ch = c.s[c.at++];
    if (ch == '"') {
      out = cp1252::FromUtf8(utf8);
      return true;
    }
    if (ch == '\\' && !c.Done()) ch = c.s[c.at++];
    utf8.push_back(ch);
  }
  return false;
}

bool ReadHexBytes(std::string_view text, std::string& bytes) {
  bytes.clear();
  text = text::Trim(text);
  if (text.empty()) return true;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != ',') continue;
    std::string_view part = text::Trim(text.substr(start, i - start));
    start = i + 1;
    if (part.size() != 2 || !isxdigit(static_cast<unsigned char>(part[0])) ||
        !isxdigit(static_cast<unsigned char>(part[1])))
      return false;
    bytes.push_back(static_cast<char>(std::stoul(std::string(part), nullptr, 16)));
  }
  return true;
}

bool ReadData(std::string_view text, RegValue& v) {
  Cursor c{text};
  if (text.size() && text[0] == '"') {
    std::string s;
    if (!ReadQuoted(c, s) || !text::Trim(c.Rest()).empty()) return false;
    v = RegValue::String(s);
    return true;
  }
  if (text::StartsWithNoCase(text, "dword:")) {
    std::string_view digits = text::Trim(text.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    for (char ch : digits)
      if (!isxdigit(static_cast<unsigned char>(ch))) return false;
    v = RegValue::Dword(uint32_t(std::stoul(std::string(digits), nullptr, 16)));
    return true;
  }
  if (text::StartsWithNoCase(text, "hex:")) {
    v.type = regtype::kBinary;
    return ReadHexBytes(text.substr(4), v.data);
  }
  if (text::StartsWithNoCase(text, "hex(")) {
    size_t close = text.find("):");
    if (close == std::string_view::npos || close == 4) return false;
    std::string_view digits = text.substr(4, close - 4);
    for (char ch : digits)
      if (!isxdigit(static_cast<unsigned char>(ch))) return false;
    v.type = uint32_t(std::stoul(std::string(digits), nullptr, 16));
    return ReadHexBytes(text.substr(close + 2), v.data);
  }
  return false;
}

bool Fail(std::string* error, size_t line, const char* why) {
  if (error) *error = "line " + std::to_string(line) + ": " + why;
  return false;
}

}  // namespace

std::string FormatRegistryText(const std::vector<RegTextKey>& keys) {
  std::string out(kHeader);
  out += "\n; simulated registry, UTF-8\n";
  for (const auto& key : keys) {
    out += "\n[" + cp1252::ToUtf8(key.path) + "]\n";
    for (const auto& [name, value] : key.values) out += FormatValue(name, value) + "\n";
  }
  return out;
}

bool ParseRegistryText(std::string_view text, std::vector<RegTextKey>& keys, std::string* error) {
  keys.clear();
  std::vector<std::string> lines = text::SplitLines(text);
  bool header = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t lineNumber = i + 1;
    std::string line(text::Trim(lines[i]));
    // A hex list goes on over lines that end with a backslash.
    while (!line.empty() && line[0] != '[' && line.back() == '\\' && i + 1 < lines.size()) {
      line.pop_back();
      line += text::Trim(lines[++i]);
    }
    if (line.empty() || line[0] == ';') continue;
    if (!header) {
      if (line != kHeader && line != "Windows Registry Editor Version 5.00")
        return Fail(error, lineNumber, "not a registry file");
      header = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return Fail(error, lineNumber, "bad key line");
      if (line[1] == '-') return Fail(error, lineNumber, "deleting keys is not supported");
      keys.push_back({cp1252::FromUtf8(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    if (keys.empty()) return Fail(error, lineNumber, "value before the first key");
    Cursor c{line};
    std::string name;
    if (!c.Eat('@') && !ReadQuoted(c, name)) return Fail(error, lineNumber, "bad value name");
    while (c.Eat(' ')) {
    }
    if (!c.Eat('=')) return Fail(error, lineNumber, "missing '='");
    RegValue value;
    if (!ReadData(text::Trim(c.Rest()), value)) return Fail(error, lineNumber, "bad value data");
    keys.back().values.emplace_back(std::move(name), std::move(value));
  }
  if (!header) return Fail(error, 1, "not a registry file");
  return true;
}

}  // namespace qv::platform::sim
