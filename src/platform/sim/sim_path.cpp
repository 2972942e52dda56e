#include "platform/sim/sim_path.h"

#include <algorithm>

#include "common/text.h"

namespace qv::platform::sim {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The volume at the start of a full path and where the rest begins; empty when the path
// has none.
std::string_view VolumeOf(std::string_view p, size_t& rest) {
  if (p.size() >= 2 && IsLetter(p[0]) && p[1] == ':') {
    rest = 2;
    return p.substr(0, 2);
  }
  if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    // \\server\share
    size_t server = p.find_first_of("\\/", 2);
    if (server == std::string_view::npos || server == 2) return {};
    size_t share = p.find_first_of("\\/", server + 1);
    if (share == server + 1) return {};
    rest = share == std::string_view::npos ? p.size() : share;
    return p.substr(0, rest);
  }
  return {};
}

}  // namespace

std::string SplitPath::Text() const {
  std::string out = volume;
  out.push_back('\\');
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out.push_back('\\');
    out += names[i];
  }
  if (trailingSeparator && !names.empty()) out.push_back('\\');
  return out;
}

std::string FullPathOf(std::string_view input, std::string_view current) {
  if (input.empty()) return {};
  std::string p(input);
  for (auto& c : p)
    if (c == '/') c = '\\';
  // "\\?\" turns off the parsing of the Unicode calls; the result names the same path.
  if (p.rfind("\\\\?\\UNC\\", 0) == 0)
    p = "\\\\" + p.substr(8);
  else if (p.rfind("\\\\?\\", 0) == 0)
    p = p.substr(4);

  std::string combined;
  size_t rest = 0;
  std::string_view volume = VolumeOf(p, rest);
  // "\\server" without a share names no folder; it stays as it is.
  if (volume.empty() && p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return p;
  size_t currentRest = 0;
  std::string_view currentVolume = VolumeOf(current, currentRest);
  if (!volume.empty() && (volume.size() > 2 || (rest < p.size() && p[rest] == '\\'))) {
    combined = p;  // absolute
  } else if (!volume.empty()) {
    // "C:name": relative to the current folder when it is on that drive.
    if (text::EqualsNoCase(volume, currentVolume))
      combined = p.size() == 2 ? std::string(current) : std::string(current) + "\\" + p.substr(2);
    else
      combined = std::string(volume) + "\\" + p.substr(2);
  } else if (p[0] == '\\') {
    combined = std::string(currentVolume) + p;
  } else {
    combined = std::string(current) + "\\" + p;
  }

  rest = 0;
  volume = VolumeOf(combined, rest);
  if (volume.empty()) return {};
  SplitPath out;
  out.volume = std::string(volume);
  std::string_view tail = std::string_view(combined).substr(rest);
  size_t start = 0;
  for (size_t i = 0; i <= tail.size(); ++i) {
    if (i < tail.size() && tail[i] != '\\') continue;
    std::string name(tail.substr(start, i - start));
    start = i + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!out.names.empty()) out.names.pop_back();
      continue;
    }
    // A single trailing period goes ("name." is "name"; "name.." keeps its periods).
    if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') name.pop_back();
    out.names.push_back(std::move(name));
  }
  out.trailingSeparator = !tail.empty() && tail.back() == '\\';
  if (!out.trailingSeparator && !out.names.empty()) {
    std::string& last = out.names.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
    if (last.empty()) out.names.pop_back();
  }
  return out.Text();
}

bool Split(std::string_view full, SplitPath& out) {
  out = SplitPath{};
  size_t rest = 0;
  std::string_view volume = VolumeOf(full, rest);
  if (volume.empty()) return false;
  out.volume = std::string(volume);
  std::string_view tail = full.substr(rest);
  size_t start = 0;
  for (size_t i = 0; i <= tail.size(); ++i) {
    if (i < tail.size() && !IsSeparator(tail[i])) continue;
    if (i > start) out.names.emplace_back(tail.substr(start, i - start));
    start = i + 1;
  }
  out.trailingSeparator = !tail.empty() && IsSeparator(tail.back());
  return true;
}

ErrorCode CheckName(std::string_view name) {
  for (unsigned char c : name) {
    if (c < 32) return kErrorInvalidName;
    switch (c) {
      case '<': case '>': case ':': case '"': case '|': case '?': case '*':
        return kErrorInvalidName;
      default: break;
    }
  }
  return name.size() > kMaxNameLength ? kErrorFilenameExcedRange : kSuccess;
}

bool IsWithin(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  while (path.size() > folder.size() && path.back() == '\\') path.remove_suffix(1);
  if (!text::StartsWithNoCase(path, folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

namespace {

bool ShortNameChar(unsigned char c) {
  if (c <= ' ') return false;
  switch (c) {
    case '"': case '*': case '+': case ',': case '.': case '/': case ':': case ';':
    case '<': case '=': case '>': case '?': case '[': case '\\': case ']': case '|':
      return false;
    default: return true;
  }
}

// The characters of a long name a short name keeps, in upper case.
std::string ShortNameChars(std::string_view part) {
  std::string out;
  for (unsigned char c : part) {
    if (c == ' ' || c == '.') continue;
    switch (c) {
      case '+': case ',': case ';': case '=': case '[': case ']': out += '_'; break;
      default: out += char(text::UpperChar(c));
    }
  }
  return out;
}

}  // namespace

bool IsShortName(std::string_view name) {
  size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string_view::npos && ext.empty()) return false;
  for (unsigned char c : base)
    if (!ShortNameChar(c)) return false;
  for (unsigned char c : ext)
    if (!ShortNameChar(c)) return false;
  return true;
}

std::string MakeShortName(std::string_view longName, int number) {
  size_t dot = longName.rfind('.');
  std::string base = ShortNameChars(longName.substr(0, dot));
  std::string ext = dot == std::string_view::npos ? std::string() : ShortNameChars(longName.substr(dot + 1));
  // A name that is all extension (".profile") keeps it as its stem.
  if (base.empty()) base.swap(ext);
  std::string tail = "~" + std::to_string(number);
  std::string out = base.substr(0, 8 - std::min<size_t>(tail.size(), 7)) + tail;
  if (!ext.empty()) out += "." + ext.substr(0, 3);
  return out;
}

}  // namespace qv::platform::sim
