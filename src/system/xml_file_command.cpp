#include "system/xml_file_command.h"

#include <algorithm>
#include <unordered_map>

#include "common/text.h"
#include "common/utf8.h"
#include "script/system_command_scope.h"

namespace qv::system {
namespace {

// Texts between the system's ANSI code page and UTF-8. Characters the code page lacks
// become "?", as the system's own conversion makes them.
class AnsiText {
 public:
  explicit AnsiText(platform::System& system) : system_(system) {
    for (int b = 1; b < 256; ++b) {
      const std::u16string unit = system.AnsiToUtf16(std::string(1, char(b)));
      if (unit.size() == 1 && (unit[0] != u'?' || b == '?') && unit[0] != 0xFFFD) fromUnit_.emplace(unit[0], char(b));
    }
  }

  std::string ToUtf8(std::string_view ansi) const { return utf8::FromUtf16(system_.AnsiToUtf16(ansi)); }

  std::string FromUtf8(std::string_view text) const {
    std::string out;
    for (char16_t unit : utf8::ToUtf16(text)) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // a pair gave its "?" with its first half
      auto it = fromUnit_.find(unit);
      out.push_back(it != fromUnit_.end() ? it->second : '?');
    }
    return out;
  }

  // A document in the system's own code page ("windows-1250" on a central European system).
  bool Decode(std::string_view encoding, std::string_view bytes, std::u16string& text) const {
    const std::string acp = std::to_string(system_.AnsiCodePage());
    if (encoding != "windows-" + acp && encoding != "cp" + acp) return false;
    text = system_.AnsiToUtf16(bytes);
    return true;
  }

 private:
  platform::System& system_;
  std::unordered_map<char16_t, char> fromUnit_;
};

std::vector<std::string> ElementNames(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

void GetXmlFileSettingsCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  const std::string file = c.Normalized(2);
  const std::string elementPath = c.Normalized(3);
  const std::string attribute = c.Expanded(4);
  std::string result;
  {
    script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                     script::ScopeSteps::kRedirectionOnly);
    platform::FileSystem& files = c.Machine().Files();
    const AnsiText ansi(c.Machine().Sys());
    std::string bytes;
    xml::Document document;
    auto decode = [&ansi](std::string_view encoding, std::string_view data, std::u16string& text) {
      return ansi.Decode(encoding, data, text);
    };
    if (files.FileExists(file) && files.ReadWholeFile(file, bytes) == platform::kSuccess &&
        document.Parse(bytes, nullptr, decode)) {
      std::vector<std::string> names;
      for (const auto& name : ElementNames(elementPath)) names.push_back(ansi.ToUtf8(name));
      std::vector<std::string> values = XmlSettings(document, names, ansi.ToUtf8(attribute));
      for (auto& value : values) value = ansi.FromUtf8(value);
      result = text::JoinLines(values, text::kNewlineToken);
    }
  }
  c.SetResult(c.Param(1), result);
}

}  // namespace

std::vector<std::string> XmlSettings(const xml::Document& document, const std::vector<std::string>& path,
                                     const std::string& attribute) {
  if (path.empty() || document.Size() == 0 || document.At(document.Root()).name != path[0]) return {};
  size_t node = document.Root();
  std::vector<size_t> matches;
  if (path.size() == 1) {
    matches.push_back(node);
  } else {
    for (size_t level = 1; level + 1 < path.size(); ++level) {
      const auto& children = document.At(node).children;
      auto it = std::find_if(children.begin(), children.end(),
                             [&](size_t child) { return document.At(child).name == path[level]; });
      if (it == children.end()) return {};
      node = *it;
    }
    const auto& children = document.At(node).children;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if (document.At(*it).name == path.back()) matches.push_back(*it);
  }
  std::vector<std::string> values;
  for (size_t element : matches) {
    if (attribute.empty()) {
      values.push_back(text::ReplaceAll(document.Text(element), "\n", text::kNewlineToken));
    } else if (const std::string* value = document.Attribute(element, attribute)) {
      values.push_back(*value);
    }
  }
  return values;
}

void RegisterXmlFileCommand(script::CommandTable& table) {
  table.Add("Get XML File Settings", GetXmlFileSettingsCommand);
}

}  // namespace qv::system
