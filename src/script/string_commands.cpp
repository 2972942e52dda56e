#include "script/string_commands.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "common/win_path.h"
#include "script/system_command_scope.h"

namespace qv::script {

namespace {

// Start positions of the line-break tokens of a text.
std::vector<size_t> NewlineTokens(std::string_view s) {
  std::vector<size_t> starts;
  const size_t n = text::kNewlineToken.size();
  for (size_t p = text::FindNoCase(s, text::kNewlineToken); p != std::string_view::npos;
       p = text::FindNoCase(s, text::kNewlineToken, p + n))
    starts.push_back(p);
  return starts;
}

// Whether [start, end) takes part of a token without all of it.
bool CutsToken(const std::vector<size_t>& tokens, size_t start, size_t end) {
  const size_t n = text::kNewlineToken.size();
  auto t = std::lower_bound(tokens.begin(), tokens.end(), start >= n ? start - n + 1 : 0);
  for (; t != tokens.end() && *t < end; ++t)
    if (*t < start || *t + n > end) return true;
  return false;
}

}  // namespace

std::string ReplaceText(std::string_view subject, std::string_view find, std::string_view replacement, bool ignoreCase,
                        bool all) {
  if (find.empty() || find.size() > subject.size()) return std::string(subject);
  const std::vector<size_t> tokens = NewlineTokens(subject);
  std::string out;
  size_t pos = 0;
  for (size_t from = 0;;) {
    size_t hit = ignoreCase ? text::FindNoCase(subject, find, from) : subject.find(find, from);
    if (hit == std::string_view::npos) break;
    if (CutsToken(tokens, hit, hit + find.size())) {
      from = hit + 1;
      continue;
    }
    out.append(subject.substr(pos, hit - pos)).append(replacement);
    pos = from = hit + find.size();
    if (!all) break;
  }
  out.append(subject.substr(pos));
  return out;
}

std::string PathDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return {};
  // "\\server\share": the leading pair and the next two components.
  size_t server = path.find('\\', 2);
  if (server == std::string_view::npos) return std::string(path);
  size_t share = path.find('\\', server + 1);
  return std::string(share == std::string_view::npos ? path : path.substr(0, share));
}

namespace {

std::string WithTrailingBackslash(const std::string& folder) {
  return folder.empty() ? folder : winpath::IncludeTrailingBackslash(folder);
}

}  // namespace

std::string ExtractPathPart(std::string_view path, int64_t mode) {
  switch (mode) {
    case 0: return winpath::ExtractFileName(path);
    case 1: return winpath::BaseName(path);
    case 2: {
      std::string extension = winpath::ExtractFileExt(path);
      return extension.empty() ? extension : extension.substr(1);
    }
    case 3: return WithTrailingBackslash(winpath::ExtractFilePath(path));
    case 4: {
      std::string folder = winpath::ExtractFilePath(path);
      return WithTrailingBackslash(winpath::ExtractFilePath(winpath::ExcludeTrailingBackslash(folder)));
    }
    case 5: return WithTrailingBackslash(PathDrive(path));
    case 6: return text::ReplaceAll(path, "\\\\", "\\");
  }
  return std::string(path);
}

ParsedParts SplitText(std::string_view s, std::string_view delimiter, int64_t count, int64_t mode, bool ignoreCase) {
  const std::string hay = ignoreCase ? text::LowerCase(s) : std::string(s);
  const std::string needle = ignoreCase ? text::LowerCase(delimiter) : std::string(delimiter);
  const int64_t length = int64_t(s.size());
  // Counts beyond either end give the same parts as the nearest value outside; keeping
  // them there keeps the position arithmetic inside 64 bits.
  count = std::clamp<int64_t>(count, -1, length + 1);

  // P: the split position (1-based), K: characters removed there, B: taken off the first part.
  int64_t p = 0, k = 1, b = 1;
  switch (mode) {
    case 0: {
      size_t at = needle.empty() ? std::string::npos : hay.find(needle);
      p = at == std::string::npos ? length + 1 : int64_t(at) + 1;
      k = int64_t(needle.size());
      break;
    }
    case 1: {
      size_t at = needle.empty() ? std::string::npos : hay.rfind(needle);
      p = at == std::string::npos ? 1 : int64_t(at) + 1;
      k = at == std::string::npos ? 0 : int64_t(needle.size());
      break;
    }
    case 2:
      b = 0;
      p = count;
      if (count == 0) {
        p = 1;
        b = 1;
        k = -1;
      }
      break;
    case 3:
      b = 0;
      p = length - count;
      break;
    default:
      return {};
  }
  if (p == 0) return {};
  ParsedParts parts;
  int64_t firstLength = std::min(p - b, length);
  if (firstLength > 0) parts.first = std::string(s.substr(0, size_t(firstLength)));
  int64_t from = std::max<int64_t>(p + k, 1);
  if (from <= length) parts.second = std::string(s.substr(size_t(from - 1)));
  return parts;
}

namespace {

// The variable a command transforms in place (parameter 1, bare or as a reference).
std::string TargetName(const CommandContext& c) { return ResultName(c.Param(1)); }

std::string NormalizedValueOf(CommandContext& c, const std::string& name) {
  return NormalizeText(c.Store(), c.Store().GetVariable(name));
}

// The path with each existing component in the spelling the file system stores; from
// the first component that does not exist on, the path stays as written. A drive or
// network share, separators, "." and ".." stay as written too.
std::string LongPathName(platform::FileSystem& files, const std::string& path) {
  std::string out = PathDrive(path);
  size_t pos = out.size();
  while (pos < path.size()) {
    size_t name = path.find_first_not_of('\\', pos);
    out.append(path, pos, (name == std::string::npos ? path.size() : name) - pos);
    if (name == std::string::npos) break;
    size_t end = std::min(path.find('\\', name), path.size());
    const std::string component = path.substr(name, end - name);
    std::string stored;
    if (component == "." || component == "..") {
      stored = component;
    } else if (!files.StoredName(out + component, stored)) {
      out.append(path, name);
      break;
    }
    out += stored;
    pos = end;
  }
  return out;
}

void ConvertPathCommand(CommandContext& c) {
  const std::string name = TargetName(c);
  const std::string path = NormalizedValueOf(c, name);
  platform::FileSystem& files = c.Machine().Files();
  std::string converted;
  {
    SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView);
    if (IsTrue(c.Param(2))) {
      // A path the system has no short form of (a missing file) stays as it is.
      converted = files.ShortPathName(path);
      if (converted.empty()) converted = path;
    } else {
      converted = LongPathName(files, path);
    }
  }
  c.SetResult(name, converted);
}

void ConvertCaseCommand(CommandContext& c) {
  const std::string name = TargetName(c);
  const std::string value = NormalizedValueOf(c, name);
  c.SetResult(name, IsTrue(c.Param(2)) ? text::UpperCase(value) : text::LowerCase(value));
}

void ReplaceStringCommand(CommandContext& c) {
  const std::string name = TargetName(c);
  const std::string subject = text::NewlinesToToken(c.Store().GetVariable(name));
  const std::string find = text::NewlinesToToken(c.Expanded(2));
  const std::string replacement = text::NewlinesToToken(c.Expanded(3));
  c.SetResult(name, ReplaceText(subject, find, replacement, IsTrue(c.Param(4)), IsTrue(c.Param(5))));
}

void ExtractPathCommand(CommandContext& c) {
  const std::string name = TargetName(c);
  const std::string value = NormalizedValueOf(c, name);
  const int64_t mode = IntegerOrFail(c, c.Param(2), "Extract Path mode");
  c.SetResult(name, ExtractPathPart(value, mode));
}

void ParseStringCommand(CommandContext& c) {
  const std::string s = NormalizeText(c.Store(), c.Expanded(1));
  const std::string d = NormalizeText(c.Store(), c.Expanded(2));
  const int64_t mode = IntegerOrFail(c, c.Param(5), "Parse String mode");
  const int64_t count = mode == 2 || mode == 3 ? IntegerOrFail(c, d, "Parse String count") : 0;
  ParsedParts parts = SplitText(s, d, count, mode, IsTrue(c.Param(7)));
  if (IsTrue(c.Param(6))) {
    parts.first = std::string(text::Trim(parts.first));
    parts.second = std::string(text::Trim(parts.second));
  }
  c.SetResult(c.Param(3), parts.first);
  c.SetResult(c.Param(4), parts.second);
}

}  // namespace

void RegisterStringCommands(CommandTable& table) {
  table.Add("Convert Path", ConvertPathCommand);
  table.Add("Convert Case", ConvertCaseCommand);
  table.Add("Replace String", ReplaceStringCommand);
  table.Add("Extract Path", ExtractPathCommand);
  table.Add("Parse String", ParseStringCommand);
}

}  // namespace qv::script
