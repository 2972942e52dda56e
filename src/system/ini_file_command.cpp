#include "system/ini_file_command.h"

#include "script/system_command_scope.h"

namespace qv::system {
namespace {

// The buffer the value is read into; longer values are cut to one byte less.
constexpr size_t kValueBuffer = 26000;

void GetIniFileSettingsCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  const std::string file = c.Normalized(2);
  const std::string section = c.Normalized(3);
  const std::string key = c.Normalized(4);
  std::string value;
  if (!section.empty() && !key.empty()) {
    script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                     script::ScopeSteps::kRedirectionOnly);
    value = c.Machine().Files().ProfileString(file, section, key, kValueBuffer);
  }
  c.SetResult(c.Param(1), value);
}

}  // namespace

void RegisterIniFileCommand(script::CommandTable& table) {
  table.Add("Get INI File Settings", GetIniFileSettingsCommand);
}

}  // namespace qv::system
