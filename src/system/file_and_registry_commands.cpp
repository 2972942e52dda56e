#include "system/file_and_registry_commands.h"

#include "system/file_queries.h"
#include "system/find_all_files.h"
#include "system/ini_file_command.h"
#include "system/registry_commands.h"
#include "system/text_file_commands.h"
#include "system/xml_file_command.h"

namespace qv::system {

void RegisterFileAndRegistryCommands(script::CommandTable& table) {
  RegisterRegistryCommands(table);
  RegisterFileQueries(table);
  RegisterFindAllFiles(table);
  RegisterIniFileCommand(table);
  RegisterXmlFileCommand(table);
  RegisterTextFileCommands(table);
}

}  // namespace qv::system
