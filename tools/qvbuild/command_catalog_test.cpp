#include "tools/qvbuild/command_catalog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "script/validator.h"
#include "support/script_builder.h"
#include "tools/qvbuild/reference_page.h"

namespace qv::authoring {
namespace {

namespace fs = std::filesystem;

// Every command name the engine dispatches, by the area of the engine that handles it.
const std::vector<std::string> kLanguage = {
    // interpreter
    "Break",
    "Code Folding Region",
    "Comment",
    "Compiler Variable End",
    "Continue",
    "Else",
    "Else If",
    "End",
    "GoTo Label",
    "If",
    "Ignore",
    "Label",
    "Repeat",
    "Terminate Install",
    "Terminate with Exit Code",
    "Until",
    "Wend",
    "While",
    "Wizard Loop",
    // expressions, variables and text
    "Evaluate Expression",
    "Mathematics",
    "Convert Case",
    "Convert Path",
    "Extract Path",
    "Localization Variable",
    "Parse String",
    "Replace String",
    "Set Variable",
    // dialogs, messages, components
    "Display Dialog",
    "Hide Dialog",
    "MessageBalloon",
    "MessageBox",
    "System Tray",
    "Define Component",
    "Delete Component",
    "Get Component Space",
    "Get Component State",
    "Load Feature Selections",
    "Save Feature Selections",
    "Set Component Choice",
    "Set Component Space",
    "Set Component State",
    "Set Component Visibility",
    // media and programs
    "Web Media Block",
    "Extract 7Zip Archive",
    "Register Library",
    "Run Light Mode Setup",
    "Run Program",
    "Run Program As",
    // install engine
    "Advertised File Type",
    "Advertised Shortcut",
    "Control Service",
    "Copy/Move Local Files",
    "Create File Type",
    "Create Folder",
    "Create ODBC DSN",
    "Create Shortcut",
    "Delete Files",
    "Edit INI File",
    "Edit XML File",
    "Generate Native Images",
    "Install Assembly",
    "Install ODBC Driver",
    "Install Service",
    "Is MSI Setup Installed",
    "Register Assembly",
    "Run .NET Installer Class",
    "Set Environment",
    "Terminate Program",
    "Transform Instance",
    "Write Registry",
    "Install Files",
    "Apply Changes",
    "Apply Patch",
    "Reboot Computer",
    "Reboot and Login",
    "Reboot and Resume",
    "Remove Assemblies",
    "(Un)Install MSI Setup",
    "File Bag",
    "Windows Installer",
    // system queries and integration
    "Get Environment",
    "Get Folder Location",
    "Get OS or SP Level",
    "Get System Settings",
    "Get Temporary File",
    "Set 64 Bit Mode",
    "Check Disk Space",
    "Check File Version",
    "Check Registry",
    "Delete Files Recursive",
    "Delete Registry",
    "Does File/Folder Exist",
    "Find All Files",
    "Get File Version",
    "Get INI File Settings",
    "Get XML File Settings",
    "Read Registry",
    "Read from Text File",
    "Write to Text File",
    "Create Group",
    "Create Share",
    "Create User",
    "Delete Group",
    "Delete Share",
    "Delete User",
    "Set Access Control",
    "Control IIS Site",
    "Create IIS Site",
    "Create Virtual Folder",
    "Delete IIS Site",
    "Delete Virtual Folder",
    "Get IIS Property",
    "Get IIS Site Index",
    "Get IIS Site List",
    "IIS Anonymous User",
    "Set IIS Property",
    "Check Process",
    "Check Service",
    "Delete Scheduled Task",
    "Schedule Task",
    "System Restore",
    "Terminate Process",
    "Create Games Explorer",
    "Create Media Center",
    "Delete Games Explorer",
    "Delete Media Center",
};

TEST(CommandCatalog, HoldsEveryCommandOfTheLanguageOnce) {
  std::multiset<std::string> catalog;
  for (const auto& c : Commands()) catalog.insert(std::string(c.name));
  EXPECT_EQ(catalog, std::multiset<std::string>(kLanguage.begin(), kLanguage.end()));
  for (const auto& name : kLanguage) EXPECT_NE(FindCommand(name), nullptr) << name;
  EXPECT_EQ(FindCommand("set variable"), nullptr) << "names are compared exactly";
}

TEST(CommandCatalog, WritesTheParameterCountsTheScriptFormatFixes) {
  const std::map<std::string, size_t> counts = {
      {"Comment", 1},
      {"Label", 1},
      {"Code Folding Region", 2},
      {"GoTo Label", 1},
      {"If", 4},
      {"Set Variable", 2},
      {"MessageBox", 5},
      {"Display Dialog", 6},
      {"Get System Settings", 2},
      {"Get Folder Location", 3},
      {"Install Files", 12},
      {"Web Media Block", 3},
      {"Apply Changes", 4},
      {"Create Shortcut", 9},
      {"Run Program", 5},
      {"Read Registry", 4},
      {"Set 64 Bit Mode", 3},
      {"Define Component", 3},
      {"Set Component State", 2},
      {"Get Component State", 2},
      {"Create Folder", 1},
      {"Windows Installer", 2},
      {"File Bag", 2},
      {"(Un)Install MSI Setup", 2},
      {"End", 0},
      {"Else", 0},
      {"Terminate Install", 0},
  };
  for (const auto& [name, count] : counts) EXPECT_EQ(FindCommand(name)->ParameterCount(), count) << name;
  EXPECT_EQ(PlugInParameters().size(), 2u);
}

// The catalog says which parameter names a result variable; the engine's validation
// counts such a variable as defined from that line on, and requires it unless it may be
// empty. Both are checked against the validation itself, parameter by parameter.
bool Defines(const CommandInfo& c, size_t k) {
  std::vector<std::string> params(c.ParameterCount());
  params[k] = "ZZRESULT";
  if (c.name == "System Restore" && k != 0) params[0] = "TRUE";
  script::ScriptSections s =
      testing::BuildScript({{std::string(c.name), params}, {"Convert Case", {"ZZRESULT", "TRUE"}}});
  script::VariableStore store;
  auto result = script::ValidateScript(script::Script(s), store, false);
  for (const auto& f : result.failures)
    if (f.line == 1) return false;
  return true;
}

bool Requires(const CommandInfo& c, size_t k) {
  std::vector<std::string> params(c.ParameterCount());
  for (size_t other = 0; other < params.size(); ++other)
    if (other != k && c.parameters[other].role != Role::None) params[other] = "OTHER" + std::to_string(other);
  if (c.name == "System Restore") params[0] = "TRUE";
  script::ScriptSections s = testing::BuildScript({{std::string(c.name), params}});
  script::VariableStore store;
  auto result = script::ValidateScript(script::Script(s), store, false);
  for (const auto& f : result.failures)
    if (f.message == "Variable required") return true;
  return false;
}

TEST(CommandCatalog, ResultVariablesAgreeWithTheEngineValidation) {
  for (const auto& c : Commands()) {
    for (size_t k = 0; k < c.ParameterCount(); ++k) {
      SCOPED_TRACE(std::string(c.name) + ", parameter " + std::to_string(k + 1));
      bool result = c.parameters[k].role != Role::None;
      EXPECT_EQ(Defines(c, k), result);
      if (result) {
        EXPECT_EQ(Requires(c, k), c.parameters[k].role == Role::Result);
        EXPECT_EQ(c.parameters[k].kind, Kind::Variable);
      }
    }
  }
}

TEST(CommandCatalog, TheReferencePageInDocsIsTheOneTheTableGives) {
  fs::path page = fs::path(__FILE__).parent_path().parent_path().parent_path() / "docs" / "commands.md";
  std::ifstream in(page, std::ios::binary);
  ASSERT_TRUE(in) << page;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(text == CommandReferencePage())
      << "docs/commands.md is out of date: regenerate it with qvbuild commands -o docs/commands.md";
}

}  // namespace
}  // namespace qv::authoring
