#include "common/win_path.h"

namespace qv::winpath {

bool IsDelimiter(char c) { return c == '\\' || c == ':'; }

std::string IncludeTrailingBackslash(std::string_view p) {
  std::string s(p);
  if (s.empty() || s.back() != '\\') s.push_back('\\');
  return s;
}

std::string ExcludeTrailingBackslash(std::string_view p) {
  std::string s(p);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

static size_t LastDelimiter(std::string_view p) {
  for (size_t i = p.size(); i-- > 0;)
    if (IsDelimiter(p[i])) return i;
  return std::string_view::npos;
}

std::string ExtractFilePath(std::string_view p) {
  size_t d = LastDelimiter(p);
  return d == std::string_view::npos ? std::string() : std::string(p.substr(0, d + 1));
}

std::string ExtractFileName(std::string_view p) {
  size_t d = LastDelimiter(p);
  return std::string(d == std::string_view::npos ? p : p.substr(d + 1));
}

std::string ExtractFileExt(std::string_view p) {
  std::string name = ExtractFileName(p);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view p, std::string_view ext) {
  size_t d = LastDelimiter(p);
  size_t dot = p.rfind('.');
  if (dot == std::string_view::npos || (d != std::string_view::npos && dot < d))
    return std::string(p) + std::string(ext);
  return std::string(p.substr(0, dot)) + std::string(ext);
}

std::string BaseName(std::string_view p) {
  std::string name = ExtractFileName(p);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Combine(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  return IncludeTrailingBackslash(folder) + std::string(name);
}

bool IsAbsolute(std::string_view p) {
  if (p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/')) return true;
  return p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/');
}

std::vector<std::string> Components(std::string_view p) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '\\' || p[i] == '/') {
      if (i > start) parts.emplace_back(p.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace qv::winpath
