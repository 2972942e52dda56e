#include "zel/name_safety.h"

#include <array>

namespace zel {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Windows opens the device for these names with any extension ("nul.txt") and ignores
// trailing blanks and dots, so "CON .txt" is the console too.
bool IsDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.remove_suffix(1);
  static const std::array<std::string_view, 6> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (auto device : kPlain)
    if (EqualsAsciiNoCase(base, device)) return true;
  if (base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
      (EqualsAsciiNoCase(base.substr(0, 3), "COM") || EqualsAsciiNoCase(base.substr(0, 3), "LPT")))
    return true;
  return false;
}

bool OnlyDotsAndBlanks(std::string_view component) {
  return component.find_first_not_of(". ") == std::string_view::npos;
}

bool Refuse(std::string* reason, const char* why) {
  if (reason) *reason = why;
  return false;
}

}  // namespace

bool SafeRelativePath(std::string_view name, std::string& relative, std::string* reason) {
  relative.clear();
  if (!name.empty() && IsSeparator(name.front())) return Refuse(reason, "it is an absolute path");
  if (name.find(':') != std::string_view::npos) return Refuse(reason, "it holds a drive letter or a ':'");
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && !IsSeparator(name[i])) continue;
    std::string_view component = name.substr(start, i - start);
    start = i + 1;
    if (component.empty() || component == ".") continue;
    if (OnlyDotsAndBlanks(component)) return Refuse(reason, "it has a \"..\" component");
    if (IsDeviceName(component)) return Refuse(reason, "it names a device");
    if (!relative.empty()) relative.push_back('\\');
    relative.append(component);
  }
  if (relative.empty()) return Refuse(reason, "it has no file name");
  return true;
}

std::string UnsafeNameText(std::string_view name, std::string_view reason) {
  return "The archive entry " + std::string(name) +
         " is refused because it would be written outside the destination folder: " + std::string(reason);
}

}  // namespace zel
