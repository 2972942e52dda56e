#include "script/command_table.h"

#include <stdexcept>

namespace qv::script {

void CommandTable::Add(std::string_view name, CommandHandler handler) {
  if (!handlers_.emplace(std::string(name), handler).second)
    throw std::logic_error("two handlers for the command \"" + std::string(name) + "\"");
}

CommandHandler CommandTable::Find(std::string_view name) const {
  auto it = handlers_.find(std::string(name));
  return it == handlers_.end() ? nullptr : it->second;
}

}  // namespace qv::script
