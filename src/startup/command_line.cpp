#include "startup/command_line.h"

#include "common/text.h"

namespace qv::startup {

std::vector<std::string> SplitArguments(std::string_view s) {
  std::vector<std::string> args;
  size_t i = 0;
  for (;;) {
    // Blanks and empty quote pairs before an argument are skipped.
    for (;;) {
      while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
      if (i + 1 < s.size() && s[i] == '"' && s[i + 1] == '"')
        i += 2;
      else
        break;
    }
    if (i >= s.size()) break;
    std::string arg;
    while (i < s.size() && static_cast<unsigned char>(s[i]) > ' ') {
      if (s[i] == '"') {
        ++i;
        while (i < s.size() && s[i] != '"') arg.push_back(s[i++]);
        if (i < s.size()) ++i;
      } else {
        arg.push_back(s[i++]);
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string CommandLineTail(std::string_view s) {
  if (!s.empty() && s[0] == '"') {
    size_t close = s.find('"', 1);
    if (close == std::string_view::npos) return {};
    // The closing quote and the one character after it go.
    size_t start = close + 2;
    return start < s.size() ? std::string(s.substr(start)) : std::string();
  }
  size_t space = s.find(' ');
  return space == std::string_view::npos ? std::string() : std::string(s.substr(space + 1));
}

namespace {

bool IsSwitch(std::string_view arg, std::string_view word) {
  return arg.size() == word.size() + 1 && (arg[0] == '/' || arg[0] == '-') &&
         text::EqualsNoCase(arg.substr(1), word);
}

// The first argument whose lower-case text contains one of the markers gives the value:
// that lower-case text without its first three characters.
std::string ValuedSwitch(const std::vector<std::string>& args, std::initializer_list<std::string_view> markers) {
  for (size_t i = 1; i < args.size(); ++i) {
    std::string lower = text::LowerCase(args[i]);
    for (auto marker : markers)
      if (lower.find(marker) != std::string::npos) return lower.size() > 3 ? lower.substr(3) : std::string();
  }
  return {};
}

}  // namespace

CommandLine ParseCommandLine(std::string_view commandLine) {
  CommandLine cl;
  cl.tail = CommandLineTail(commandLine);
  std::vector<std::string> args = SplitArguments(commandLine);
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsSwitch(a, "s") || IsSwitch(a, "qn")) cl.silent = true;
    if (IsSwitch(a, "update") || IsSwitch(a, "updatesetup")) cl.update = true;
    if (!a.empty() && a[0] != '/' && a[0] != '-') {
      size_t eq = a.find('=');
      if (eq != std::string::npos) {
        cl.properties.push_back(text::UpperCase(a.substr(0, eq)));
        cl.properties.push_back(a.substr(eq + 1));
      }
    }
  }
  cl.policyPath = ValuedSwitch(args, {"/g="});
  cl.sfxPath = ValuedSwitch(args, {"/m="});
  cl.logFile = ValuedSwitch(args, {"/l=", "-l="});
  cl.packagePath = ValuedSwitch(args, {"/p=", "-p="});
  return cl;
}

}  // namespace qv::startup
