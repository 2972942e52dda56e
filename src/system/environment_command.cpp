// "Get Environment": one variable of the process environment, or the whole block.
#include "common/text.h"
#include "system/system_settings_commands.h"

namespace qv::system {

void GetEnvironmentCommand(script::CommandContext& c) {
  const std::string name = c.Expanded(1);
  std::string value;
  {
    auto scope = CommandScope(c, script::ScopeSteps::kRedirectionOnly);
    platform::System& sys = c.Machine().Sys();
    if (!name.empty()) {
      // A name the environment does not hold comes back as it went in, between "%" signs.
      value = sys.ExpandEnvironment("%" + name + "%");
    } else {
      const std::vector<std::string> block = sys.EnvironmentBlock();
      for (size_t i = 0; i < block.size(); ++i) {
        if (i) value += text::kNewlineToken;
        value += block[i];
      }
    }
  }
  c.SetResult(c.Param(2), value);
}

}  // namespace qv::system
