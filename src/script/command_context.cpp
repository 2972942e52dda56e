#include "script/command_context.h"

#include "common/text.h"

namespace qv::script {

CommandContext::CommandContext(EngineContext& engine, RunState& run, size_t line)
    : engine_(engine), run_(run), line_(line) {}

std::string CommandContext::Param(int k) const {
  if (!recordFound_) {
    record_ = engine_.script.FindRecord(Id());
    recordFound_ = true;
  }
  return engine_.script.GetParameter(record_, Id(), k);
}

std::string CommandContext::Localized(int k, int slot) const {
  // Script texts are translated here once the translation tables exist.
  (void)slot;
  return Param(k);
}

std::string CommandContext::Expanded(int k) const { return engine_.store.ExpandVariables(Param(k)); }

std::string CommandContext::Normalized(int k) const { return NormalizeText(engine_.store, Param(k)); }

std::string CommandContext::Origin() const { return Name() + " Action"; }

void CommandContext::EnsureVariable(std::string_view nameParameter) {
  std::string name = ResultName(nameParameter);
  if (name.empty() || engine_.store.Exists(name)) return;
  engine_.store.SetVariable(text::UpperCase(name), "", Origin());
}

void CommandContext::SetResult(std::string_view nameParameter, std::string_view value) {
  std::string name = ResultName(nameParameter);
  if (name.empty()) return;
  if (!engine_.store.Exists(name)) name = text::UpperCase(name);
  engine_.store.SetVariable(name, value, Origin());
}

void CommandContext::Fail(const std::string& message) const { throw EngineError(message); }

std::string NormalizeText(const VariableStore& store, std::string_view input) {
  std::string expanded = store.ExpandVariables(input);
  std::string out = text::ReplaceAll(expanded, "\\\\", "\\");
  if (expanded.size() >= 2 && expanded[0] == '\\' && expanded[1] == '\\') out.insert(out.begin(), '\\');
  return out;
}

std::string ResultName(std::string_view parameter) {
  std::string name = StripReference(parameter);
  return name.empty() ? std::string(parameter) : name;
}

int64_t IntegerOrFail(const CommandContext& context, std::string_view value, std::string_view what) {
  int64_t n = 0;
  if (!text::ParseInt64(value, n))
    context.Fail("'" + std::string(value) + "' is not a valid integer value (" + std::string(what) + ")");
  return n;
}

}  // namespace qv::script
