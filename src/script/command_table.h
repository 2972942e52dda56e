#pragma once
// The dispatch table: one handler per command name, found by exact name (letter case
// significant). Each subsystem registers its commands with a Register... function;
// start-up puts them all into the one table the interpreter uses.
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/command_context.h"

namespace qv::script {

class CommandTable {
 public:
  // A second handler for the same name is a programming error and throws.
  void Add(std::string_view name, CommandHandler handler);
  // Null when the name has no handler.
  CommandHandler Find(std::string_view name) const;
  size_t Size() const { return handlers_.size(); }

 private:
  std::unordered_map<std::string, CommandHandler> handlers_;
};

}  // namespace qv::script
