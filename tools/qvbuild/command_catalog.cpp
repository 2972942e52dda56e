#include "tools/qvbuild/command_catalog.h"

#include <algorithm>
#include <unordered_map>

namespace qv::authoring {
namespace {

// One helper per parameter kind keeps the rows short.
ParameterInfo Txt(std::string_view name, std::string_view meaning) { return {name, meaning, Kind::Text}; }
ParameterInfo Pth(std::string_view name, std::string_view meaning) { return {name, meaning, Kind::Path}; }
ParameterInfo Flg(std::string_view name, std::string_view meaning) { return {name, meaning, Kind::Flag}; }
ParameterInfo Num(std::string_view name, std::string_view meaning) { return {name, meaning, Kind::Number}; }
ParameterInfo Var(std::string_view name, std::string_view meaning) { return {name, meaning, Kind::Variable}; }
ParameterInfo Res(std::string_view name, std::string_view meaning) {
  return {name, meaning, Kind::Variable, Role::Result};
}
ParameterInfo Opt(std::string_view name, std::string_view meaning) {
  return {name, meaning, Kind::Variable, Role::OptionalResult};
}
ParameterInfo Unread(std::string_view name) { return {name, "not read by the engine", Kind::Text}; }

std::vector<ParameterInfo> ConditionParameters() {
  return {Var("variable", "the variable to test, bare or as $NAME$"),
          Num("operator", "operator code 0 to 6 (written as its name in the source)"),
          Txt("value", "the comparison value; may hold variable references"),
          Flg("negate", "TRUE negates the result (written as \"not\" in the source)")};
}

std::vector<ParameterInfo> FileTypeParameters() {
  return {Txt("type name", "the file type's registry name"),
          Pth("application", "the program that opens the files"),
          Txt("description", "the file type's description"),
          Pth("icon file", "the file that holds the icon; may be empty"),
          Num("icon index", "index of the icon in the icon file; may be empty"),
          Txt("extensions", "comma list of file extensions"),
          Txt("verbs",
              "comma text of verbs, each a comma text: verb, arguments, DDE command, DDE application, DDE topic")};
}

std::vector<ParameterInfo> ShortcutParameters() {
  return {Pth("target", "the file the shortcut starts"),
          Txt("name", "shortcut name, without \".lnk\""),
          Pth("folder", "folder that receives the shortcut"),
          Txt("description", "the shortcut's description"),
          Txt("arguments", "command-line arguments"),
          Pth("working folder", "the program's working folder"),
          Pth("icon file", "the file that holds the icon"),
          Txt("icon index", "icon index, optionally followed by \"|\" and an application user model id"),
          Txt("show", "0 normal, 1 maximised, 2 minimised; optionally followed by \"|\" and pin flags (X Start "
                      "menu, 7 taskbar)")};
}

std::vector<ParameterInfo> RegistryReadParameters() {
  return {Res("result", "receives the value"),
          Num("root", "0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS, 4 "
                      "HKEY_CURRENT_CONFIG"),
          Pth("key", "key path"), Txt("value name", "name of the value; empty for the default value")};
}

std::vector<ParameterInfo> IisPropertyParameters(ParameterInfo last) {
  return {Flg("site level", "TRUE addresses the site, FALSE a virtual folder"),
          Unread("unused"),
          Txt("site", "site number, optionally followed by \"|\" and the extended-library flag"),
          Txt("virtual folder", "path below the site's root; empty for the root"),
          Txt("property", "property name"),
          last};
}

std::vector<ParameterInfo> PlugInLine() {
  return {Txt("settings", "the plug-in's parameter text, passed to it unchanged"),
          Txt("library", "the library folder in the media and the run-time library name, separated by a backslash")};
}

std::vector<CommandInfo> BuildCommands() {
  using G = Group;
  return {
      // Control flow.
      {"If", G::ControlFlow, "Runs the following lines up to its Else If, Else or End when the condition holds.",
       Form::Condition, ConditionParameters()},
      {"Else If", G::ControlFlow, "A further condition of an If block, tested when no earlier branch ran.",
       Form::Condition, ConditionParameters()},
      {"Else", G::ControlFlow, "The branch of an If block that runs when no condition held.", Form::Plain, {}},
      {"End", G::ControlFlow, "Closes an If block or a Wizard Loop.", Form::Plain, {}},
      {"While", G::ControlFlow, "Repeats the lines up to its Wend while the condition holds.", Form::Condition,
       ConditionParameters()},
      {"Wend", G::ControlFlow, "Closes a While loop.", Form::Plain, {}},
      {"Repeat", G::ControlFlow,
       "Repeats the lines up to its Until until the condition holds; runs them at least once.", Form::Plain, {}},
      {"Until", G::ControlFlow, "Closes a Repeat loop; the loop ends when the condition holds.", Form::Condition,
       ConditionParameters()},
      {"Break", G::ControlFlow, "Leaves the innermost While or Repeat loop.", Form::Plain, {}},
      {"Continue", G::ControlFlow, "Starts the next pass of the innermost loop without testing its condition.",
       Form::Plain, {}},
      {"Label", G::ControlFlow, "A place GoTo Label can jump to; not allowed inside blocks.", Form::Plain,
       {Txt("name", "label name, compared without regard to letter case")}},
      {"GoTo Label", G::ControlFlow, "Continues at the Label of that name.", Form::Plain,
       {Txt("label", "name of the label")}},
      {"Wizard Loop", G::ControlFlow,
       "Steps through the Display Dialog lines up to its End with Next, Back and Cancel.", Form::Plain, {}},
      {"Comment", G::ControlFlow, "A note in the script; does nothing. A commented-out command keeps its parameters.",
       Form::Free, {Txt("text", "the note")}},
      {"Ignore", G::ControlFlow, "A line the engine passes over; invisible to every block scan.", Form::Free,
       {Txt("text", "not read by the engine")}},
      {"Code Folding Region", G::ControlFlow, "Opens or closes a folding region of the project; does nothing.",
       Form::Plain,
       {Flg("opens", "TRUE where the region opens, FALSE where it closes"),
        Txt("title", "the region's title where it opens, empty where it closes")}},
      {"Compiler Variable End", G::ControlFlow, "Structure of the project; does nothing.", Form::Plain, {}},
      {"Terminate Install", G::ControlFlow, "Ends the script run.", Form::Plain, {}},
      {"Terminate with Exit Code", G::ControlFlow, "Ends the script run with an exit code.", Form::Plain,
       {Num("exit code", "the process exit code; a text that is not a number gives 0")}},

      // Conditions and expressions.
      {"Evaluate Expression", G::Expressions,
       "Evaluates comparisons of quoted texts joined by and / or; stores TRUE, FALSE or ERROR.", Form::Plain,
       {Txt("expression", "the expression, with variable references"), Res("result", "receives the outcome")}},
      {"Mathematics", G::Expressions,
       "64-bit integer arithmetic, bit operations, character codes and a random generator.", Form::Plain,
       {Txt("operand A", "first operand (a number, or a text for code 11)"),
        Txt("operand B", "second operand, for codes below 10 and 13"),
        Num("operation", "0 +, 1 -, 2 *, 3 div, 4 mod, 5 and, 6 or, 7 xor, 8 shl, 9 shr, 10 not, 11 character code, 12 "
                         "character, 13 seed generator, 14 set state, 15 random"),
        Res("result", "receives the result; not needed for codes 13 and 14")}},

      // Variables and text.
      {"Set Variable", G::Variables, "Assigns a value to a variable, optionally saving it for maintenance runs.",
       Form::SetVariable,
       {Res("name", "the variable, bare or as $NAME$ (the save option is written after it)"),
        Txt("value", "the value; variable references are expanded")}},
      {"Localization Variable", G::Variables, "Assigns a value that the language tables may translate.", Form::Plain,
       {Res("name", "the variable, bare or as $NAME$"), Txt("value", "the value")}},
      {"Convert Path", G::Variables, "Converts the path in a variable to its short or long form.", Form::Plain,
       {Var("variable", "the variable that holds the path; must be defined"),
        Flg("short", "TRUE for the short (8.3) form, FALSE for the long form")}},
      {"Convert Case", G::Variables, "Converts the text in a variable to upper or lower case.", Form::Plain,
       {Var("variable", "the variable to convert; must be defined"),
        Flg("upper", "TRUE for upper case, FALSE for lower case")}},
      {"Replace String", G::Variables, "Replaces text inside a variable.", Form::Plain,
       {Var("variable", "the variable to change; must be defined"), Txt("find", "the text to find"),
        Txt("replacement", "the replacement"), Flg("ignore case", "TRUE compares without regard to letter case"),
        Flg("all", "TRUE replaces every occurrence, FALSE only the first")}},
      {"Extract Path", G::Variables, "Replaces the path in a variable by one of its parts.", Form::Plain,
       {Var("variable", "the variable that holds the path; must be defined"),
        Num("mode", "0 file name, 1 name without extension, 2 extension, 3 folder, 4 parent folder, 5 drive, 6 "
                    "doubled backslashes collapsed")}},
      {"Parse String", G::Variables, "Splits a text into two parts.", Form::Plain,
       {Txt("source", "the text to split"), Txt("delimiter", "the delimiter, or a count for modes 2 and 3"),
        Opt("first part", "receives the part before the split; may be empty"),
        Opt("second part", "receives the part after the split; may be empty"),
        Num("mode", "0 first delimiter, 1 last delimiter, 2 first N characters, 3 last N characters"),
        Flg("trim", "TRUE trims both parts"), Flg("ignore case", "TRUE searches without regard to letter case")}},

      // Wizard dialogs.
      {"Display Dialog", G::Dialogs, "Shows a wizard dialog and stores the button that ended it.", Form::Plain,
       {Txt("dialog", "dialog name (its support file without \".dfm\")"),
        Opt("result", "receives NEXT, BACK, CANCEL, a control name or NOTMODAL; may be empty"),
        Flg("modal", "TRUE waits for the dialog (always so inside a Wizard Loop)"),
        Var("skip variable", "variable of the skip condition, bare or as $NAME$; may be empty"),
        Unread("unused"), Flg("skip value", "the dialog is skipped when the skip variable has this truth value")}},
      {"Hide Dialog", G::Dialogs, "Hides the dialog shown without waiting.", Form::Plain, {}},

      // Message boxes, balloons and tray.
      {"MessageBox", G::Messages, "Shows a message box and stores the answer.", Form::Plain,
       {Txt("caption", "the caption"), Txt("text", "the message"),
        Num("icon", "0 information, 1 question, 2 warning, 3 error"),
        Num("buttons", "0 Abort/Retry/Ignore, 1 OK, 2 OK/Cancel, 3 Retry/Cancel, 4 Yes/No, 5 Yes/No/Cancel"),
        Opt("result", "receives OK, CANCEL, ABORT, RETRY, IGNORE, YES or NO; may be empty")}},
      {"MessageBalloon", G::Messages, "Shows a balloon at the tray icon.", Form::Plain,
       {Txt("title", "the balloon's title"), Txt("text", "the balloon's text"),
        Num("icon", "0 information, 1 warning, 2 error"), Num("seconds", "display time, 10 to 30 seconds")}},
      {"System Tray", G::Messages, "Puts the wizard into the notification area and back.", Form::Plain,
       {Flg("minimise", "TRUE minimises the wizard to the tray"), Flg("show icon", "TRUE shows the tray icon"),
        Flg("restore", "TRUE restores the wizard"), Flg("remove icon", "TRUE removes the tray icon")}},

      // Components.
      {"Define Component", G::Components, "Defines a component (feature) of the setup.", Form::Plain,
       {Txt("name", "component name"), Flg("selected", "TRUE selects it at first"),
        Txt("description", "the component's description")}},
      {"Get Component State", G::Components, "Stores whether a component is selected.", Form::Plain,
       {Txt("name", "component name"), Res("result", "receives TRUE or FALSE")}},
      {"Set Component State", G::Components, "Selects or deselects a component.", Form::Plain,
       {Txt("name", "component name"), Flg("selected", "TRUE selects the component")}},
      {"Get Component Space", G::Components, "Stores the size of a component or the space the selection needs.",
       Form::Plain,
       {Txt("name", "component name; empty for the space the whole selection needs"),
        Res("result", "receives the size in bytes")}},
      {"Set Component Space", G::Components, "Sets the size of a component.", Form::Plain,
       {Txt("name", "component name"), Num("size", "size in bytes")}},
      {"Set Component Choice", G::Components, "Lets the user change a component's state, or locks it.", Form::Plain,
       {Txt("name", "component name"), Flg("choosable", "TRUE unlocks the component, FALSE locks it")}},
      {"Set Component Visibility", G::Components, "Shows or hides a component in the feature tree.", Form::Plain,
       {Txt("name", "component name"), Flg("visible", "TRUE shows the component, FALSE hides it")}},
      {"Delete Component", G::Components, "Removes a component from the model.", Form::Plain,
       {Txt("name", "component name")}},
      {"Save Feature Selections", G::Components, "Writes the component states to a file.", Form::Plain,
       {Pth("file", "the selections file")}},
      {"Load Feature Selections", G::Components, "Merges the component states of a file, when it exists.",
       Form::Plain, {Pth("file", "the selections file")}},

      // Web media.
      {"Web Media Block", G::WebMedia, "Names the web archive that carries the files of the following lines.",
       Form::Plain,
       {Txt("name", "media block name, a legal file name"),
        Txt("locations", "download locations, one per line ($NEWLINE$ between them); tried in order"),
        Unread("unused")}},

      // Running programs.
      {"Run Program", G::Programs, "Starts a program or document through the shell.", Form::Plain,
       {Pth("program", "program or document"), Flg("hidden", "TRUE starts it hidden"),
        Txt("arguments", "command-line arguments"), Flg("wait", "TRUE waits for it to end"),
        Opt("exit code", "receives the exit code; may be empty")}},
      {"Run Program As", G::Programs, "Starts a program under another account or with the desktop user's rights.",
       Form::Plain,
       {Pth("program", "the program"), Pth("working folder", "working folder; may be empty"),
        Txt("arguments", "command-line arguments"),
        Num("show", "0 shown, 1 hidden, 2 maximised, 3 minimised, 4 minimised without activation"),
        Txt("user", "user name, or $KORV_UAC$ for the desktop user's ordinary rights"), Txt("password", "password"),
        Txt("domain", "domain"), Opt("exit code", "receives the exit code; may be empty"),
        Flg("wait", "TRUE waits for it to end"),
        Txt("environment", "environment block, one NAME=VALUE per line; empty inherits the setup's")}},
      {"Run Light Mode Setup", G::Programs, "Runs a setup package without an engine of its own.", Form::Plain,
       {Pth("package", "the setup package file"), Opt("exit code", "receives the exit code; may be empty"),
        Txt("arguments", "command-line arguments"), Flg("wait", "TRUE waits for it to end")}},
      {"Extract 7Zip Archive", G::Programs, "Extracts an archive into a folder.", Form::Plain,
       {Pth("archive", "the archive"), Pth("destination", "destination folder"),
        Opt("result", "receives SUCCESS or the archive component's error text; may be empty"),
        Txt("password", "archive password"), Flg("overwrite", "the overwrite answer"),
        Flg("mode", "the extraction mode flag")}},
      {"Register Library", G::Programs, "Registers or unregisters a COM library, type library or COM server.",
       Form::Plain,
       {Pth("file", "the library, type library (.tlb) or program (.exe)"),
        Flg("register", "TRUE registers, FALSE unregisters"), Opt("result", "receives TRUE or FALSE; may be empty")}},

      // System changes (Windows Installer properties or native change records).
      {"Write Registry", G::SystemChanges, "Writes a registry value.", Form::Plain,
       {Num("log option", "10 writes the value without an uninstall entry"),
        Num("root", "0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS, 4 per user or "
                    "per machine by ALLUSERS"),
        Pth("key", "key path"), Txt("value name", "name of the value"), Txt("data", "the data"),
        Flg("string", "TRUE writes a text value"),
        Txt("type", "TRUE writes an integer; otherwise a type name: EXPANDSTRING, APPEND, PREPEND or BINARY")}},
      {"Create File Type", G::SystemChanges, "Registers a file type with its extensions and verbs.", Form::Plain,
       FileTypeParameters()},
      {"Advertised File Type", G::SystemChanges, "A file type the Installer package advertises.", Form::Plain,
       FileTypeParameters()},
      {"Create Folder", G::SystemChanges, "Creates a folder and its missing parents.", Form::Plain,
       {Pth("folder", "the folder")}},
      {"Create Shortcut", G::SystemChanges, "Creates a shortcut.", Form::Plain, ShortcutParameters()},
      {"Advertised Shortcut", G::SystemChanges, "A shortcut the Installer package advertises.", Form::Plain,
       ShortcutParameters()},
      {"Copy/Move Local Files", G::SystemChanges, "Copies or moves files of the target machine.", Form::Plain,
       {Pth("source folder", "folder of the files"), Txt("mask", "file mask"),
        Pth("target folder", "destination folder"),
        Txt("new name", "new file name; ignored when the mask or the name holds a wildcard"),
        Flg("copy", "TRUE copies, FALSE moves"),
        Txt("recurse", "text followed by \"|\" and TRUE to include subfolders")}},
      {"Delete Files", G::SystemChanges, "Deletes the files of a folder that match a mask.", Form::Plain,
       {Pth("folder", "the folder"), Txt("mask", "file mask"),
        Flg("first delete mode", "one of the two delete modes; at least one must be TRUE"),
        Flg("second delete mode", "the other delete mode")}},
      {"Edit INI File", G::SystemChanges, "Writes or removes an entry of an INI file.", Form::Plain,
       {Pth("folder", "folder of the file"), Txt("file name", "the file's name"),
        Num("operation", "0 write, 1 write when the key has no value yet, 2 delete the key, 3 add in front of a "
                         "comma list, 4 remove from a comma list"),
        Txt("section", "section name"), Txt("key", "key name"), Txt("value", "the value")}},
      {"Set Environment", G::SystemChanges, "Sets, extends or deletes an environment variable.", Form::Plain,
       {Txt("name", "the environment variable"), Txt("value", "the value"),
        Num("operation", "1 only when the variable does not exist yet, 2 delete it, other values write"),
        Num("position", "0 in front of the old value, 2 replaces it, other values after it"),
        Flg("log", "TRUE records an uninstall entry"),
        Flg("system", "TRUE for the machine's environment, FALSE for the user's")}},
      {"Install Assembly", G::SystemChanges, "Installs the assemblies of the line's file group.", Form::Plain,
       {Unread("unused"), Flg("global cache", "TRUE installs into the global assembly cache"),
        Pth("target folder", "destination folder")}},
      {"Install Service", G::SystemChanges, "Installs the files of the line's file group and creates a service.",
       Form::Plain,
       {Unread("unused"), Pth("target folder", "destination folder"), Unread("unused"), Txt("name", "service name"),
        Txt("display name", "display name"), Txt("description", "description"),
        Num("process type", "0 own process, other values a shared process"),
        Flg("interactive", "TRUE lets the service interact with the desktop"),
        Txt("reserved", "carried but not used"),
        Txt("dependencies", "services and +load order groups, separated by [~]"),
        Num("start", "0 automatic, 1 on demand, other values disabled"),
        Num("error control", "0 ignore, 1 normal, other values severe"),
        Txt("account", "account; empty for the system account"),
        Txt("password", "the account's password"), Txt("arguments", "arguments of the service program")}},
      {"Control Service", G::SystemChanges, "Starts, stops or deletes a service.", Form::Plain,
       {Txt("service", "service name"), Txt("arguments", "start argument"),
        Num("operation", "0 start, 1 stop, 2 stop and delete"), Flg("wait", "TRUE waits until the change is done")}},
      {"Create ODBC DSN", G::SystemChanges, "Creates an ODBC data source.", Form::Plain,
       {Txt("name", "data source name"), Txt("driver", "driver name"),
        Flg("system", "TRUE for a system data source, FALSE for a user data source"),
        Txt("attributes", "attributes, one per line; [NAME] stands for a variable reference")}},
      {"Install ODBC Driver", G::SystemChanges, "Installs the files of the line's file group as an ODBC driver.",
       Form::Plain,
       {Txt("driver", "driver name"), Unread("unused"), Unread("unused"), Pth("target folder", "destination folder"),
        Unread("unused"),
        Txt("attributes", "NAME=VALUE attributes separated by $NEWLINE$; [NAME] stands for a variable reference")}},
      {"Is MSI Setup Installed", G::SystemChanges, "Stores whether an Installer product is installed.", Form::Plain,
       {Txt("product code", "the product code"), Res("result", "receives TRUE or FALSE")}},
      {"Terminate Program", G::SystemChanges, "Asks the windows of a program to close.", Form::Plain,
       {Txt("caption", "part of the window caption; empty matches every caption"),
        Txt("class", "part of the window class name; empty matches every class")}},
      {"Generate Native Images", G::SystemChanges, "Runs the .NET native image generator for an assembly.",
       Form::Plain, {Txt("assembly", "assembly path, optionally followed by \"|\" and the install flag")}},
      {"Run .NET Installer Class", G::SystemChanges, "Runs the installer classes of a .NET assembly.", Form::Plain,
       {Pth("assembly", "assembly path"), Flg("install", "TRUE installs, FALSE uninstalls")}},
      {"Register Assembly", G::SystemChanges, "Registers a .NET assembly for COM.", Form::Plain,
       {Txt("assembly", "assembly path or display name, optionally followed by \"|\" register flag \"|\" codebase "
                        "flag")}},
      {"Transform Instance", G::SystemChanges, "Makes this run a new instance of the product.", Form::Plain, {}},
      {"Edit XML File", G::SystemChanges, "Changes elements and attributes of an XML file at once.", Form::Plain,
       {Pth("file", "the XML file"), Txt("encoding", "encoding of a new document"),
        Num("output format", "output format number of the XML writer; 0 as loaded"),
        Pth("element path", "element names separated by backslashes, from the document element down"),
        Txt("element text", "text of the element"),
        Txt("attributes", "comma text of attribute items, each a comma text: name, value"),
        Num("operation", "1 change existing, 2 add an element, 3 delete elements, 4 remove attributes, other values "
                         "find or create"),
        Flg("all matches", "TRUE changes every matching element"), Flg("keep white space", "TRUE keeps white space"),
        Flg("backup", "TRUE copies the file first")}},

      // Install Files.
      {"Install Files", G::InstallFiles, "Installs the payload files of the line's file group.", Form::Plain,
       {Unread("unused"), Unread("unused"),
        Pth("target folder", "destination folder; $TARGETDIR$ is the folder the user chose"),
        Flg("read-only", "TRUE marks the files read-only"), Flg("hidden", "TRUE marks the files hidden"),
        Flg("system", "TRUE marks the files as system files"),
        Flg("stop on failure", "TRUE fails the command at the first file that is not placed"), Unread("unused"),
        Flg("self-register", "TRUE registers each file with regsvr32"),
        Flg("shared", "TRUE counts the files as shared"),
        Flg("permanent", "TRUE keeps the files at uninstall"),
        Flg("skip existing", "TRUE leaves files that already exist alone")}},

      // Apply Changes, patches and reboot.
      {"Apply Changes", G::ApplyChanges, "Carries out the collected changes and records or removes the installation.",
       Form::Plain,
       {Txt("progress dialog", "name of the progress dialog"),
        Opt("result", "receives COMPLETE, REBOOT, CANCEL or ERROR; may be empty"),
        Flg("install", "TRUE installs"), Flg("uninstall", "TRUE uninstalls")}},
      {"Apply Patch", G::ApplyChanges, "Applies the setup's Installer patch to the installed product.", Form::Plain,
       {Opt("result", "receives the outcome; may be empty")}},
      {"Remove Assemblies", G::ApplyChanges, "Removes the package's .NET assemblies from the global assembly cache.",
       Form::Plain, {}},
      {"Reboot Computer", G::ApplyChanges, "Restarts Windows and ends the run.", Form::Plain, {}},
      {"Reboot and Resume", G::ApplyChanges, "Restarts Windows and runs the setup once more after the restart.",
       Form::Plain, {}},
      {"Reboot and Login", G::ApplyChanges, "Restarts Windows and runs the setup at every logon.", Form::Plain, {}},

      // Plug-in commands.
      {"(Un)Install MSI Setup", G::PlugIns, "Installs or removes another Installer package (a plug-in).", Form::Plain,
       PlugInLine()},
      {"File Bag", G::PlugIns, "A plug-in that carries files.", Form::Plain, PlugInLine()},
      {"Windows Installer", G::PlugIns, "A plug-in that runs a Windows Installer action.", Form::Plain, PlugInLine()},

      // System settings and folders.
      {"Get System Settings", G::SystemSettings, "Stores one of the numbered system settings or tests.", Form::Plain,
       {Res("result", "receives the setting"), Num("setting", "setting number, 0 to 85")}},
      {"Get OS or SP Level", G::SystemSettings, "Stores the operating-system level or the service-pack number.",
       Form::Plain,
       {Res("result", "receives the level"),
        Flg("level", "TRUE for the operating-system level, FALSE for the service-pack number")}},
      {"Get Folder Location", G::SystemSettings, "Stores one of the numbered system folders.", Form::Plain,
       {Res("result", "receives the folder, with a trailing backslash"), Num("folder", "folder number, 0 to 28"),
        Flg("all users", "TRUE for the all-users folder")}},
      {"Get Environment", G::SystemSettings, "Stores an environment variable of the setup process.", Form::Plain,
       {Txt("name", "the environment variable"), Res("result", "receives the value")}},
      {"Get Temporary File", G::SystemSettings, "Creates a new empty temporary file and stores its path.",
       Form::Plain, {Res("result", "receives the file's path")}},
      {"Set 64 Bit Mode", G::SystemSettings, "Chooses the platform later commands address.", Form::Plain,
       {Flg("32-bit", "TRUE selects Win32"), Flg("ia64", "TRUE selects ia64"), Flg("x64", "TRUE selects x64")}},

      // Registry, file and text queries.
      {"Read Registry", G::Queries, "Stores a registry value; empty when it cannot be read.", Form::Plain,
       RegistryReadParameters()},
      {"Check Registry", G::Queries, "Stores a registry value or a marker such as NO$KEY.", Form::Plain,
       RegistryReadParameters()},
      {"Delete Registry", G::Queries, "Deletes a registry value or key at once.", Form::Plain,
       {Num("root", "0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS, 4 "
                    "HKEY_CURRENT_CONFIG"),
        Pth("key", "key path"), Txt("value name", "name of the value"),
        Flg("delete key", "TRUE deletes the whole key")}},
      {"Get File Version", G::Queries, "Stores the version of a file.", Form::Plain,
       {Pth("file", "the file"), Res("result", "receives major.minor.build.revision")}},
      {"Check File Version", G::Queries, "Compares the version of a file with another file or a version.",
       Form::Plain,
       {Res("result", "receives TRUE or FALSE"), Pth("file", "the file"),
        Flg("compare with file", "TRUE compares with the reference file, FALSE with the reference version"),
        Pth("reference file", "the file to compare with"), Txt("reference version", "the version to compare with")}},
      {"Does File/Folder Exist", G::Queries, "Stores whether a file or folder exists.", Form::Plain,
       {Res("result", "receives TRUE or FALSE"), Pth("path", "the file or folder"),
        Flg("file", "TRUE looks for a file, FALSE for a folder")}},
      {"Check Disk Space", G::Queries, "Stores the free or total size of a disk.", Form::Plain,
       {Res("result", "receives the byte count"), Pth("path", "a path on the disk"),
        Flg("free", "TRUE for the free bytes, FALSE for the total bytes")}},
      {"Delete Files Recursive", G::Queries, "Deletes matching files and folders at once.", Form::Plain,
       {Pth("path", "folder and file mask")}},
      {"Find All Files", G::Queries, "Stores the paths of the matching files.", Form::Plain,
       {Pth("path", "folder and file mask"), Flg("recurse", "TRUE searches subfolders"),
        Flg("folders", "TRUE lists folders too"), Res("result", "receives the paths separated by \"|\"")}},
      {"Get INI File Settings", G::Queries, "Stores a value of an INI file.", Form::Plain,
       {Res("result", "receives the value"), Pth("file", "the INI file"), Txt("section", "section name"),
        Txt("key", "key name")}},
      {"Get XML File Settings", G::Queries, "Stores a text or attribute of an XML file.", Form::Plain,
       {Res("result", "receives the text"), Pth("file", "the XML file"),
        Txt("element path", "element names separated by backslashes"),
        Txt("attribute", "attribute name; empty for the element's text")}},
      {"Read from Text File", G::Queries, "Reads the next line (or the whole file) of a text file.", Form::Plain,
       {Pth("file", "the file, optionally prefixed #READALL\\ to read it whole"),
        Res("result", "receives the line or the text"),
        Opt("end of file", "receives TRUE at the end of the file; may be empty")}},
      {"Write to Text File", G::Queries, "Writes a line to a text file.", Form::Plain,
       {Pth("file", "the file"), Txt("text", "the text"), Flg("at top", "TRUE inserts the text at the top")}},

      // Accounts, groups, shares and access control.
      {"Create Group", G::Accounts, "Creates a local group.", Form::Plain,
       {Txt("group", "group name"), Txt("description", "description"),
        Txt("server", "server; empty for this machine")}},
      {"Create User", G::Accounts, "Creates a user account.", Form::Plain,
       {Txt("user", "user name"), Txt("full name", "full name"), Txt("description", "description"),
        Txt("password", "password"), Flg("cannot change password", "TRUE: the user cannot change the password"),
        Flg("password never expires", "TRUE: the password never expires"),
        Flg("disabled", "TRUE creates the account disabled"), Txt("server", "server; empty for this machine"),
        Txt("groups", "groups to join, comma text; quote names with spaces")}},
      {"Delete User", G::Accounts, "Deletes a user account.", Form::Plain,
       {Txt("user", "user name"), Txt("server", "server; empty for this machine")}},
      {"Delete Group", G::Accounts, "Deletes a local group.", Form::Plain,
       {Txt("group", "group name"), Txt("server", "server; empty for this machine")}},
      {"Create Share", G::Accounts, "Shares a folder on the network.", Form::Plain,
       {Pth("folder", "the folder, optionally followed by \"|\" and a server"), Txt("share", "share name"),
        Txt("remark", "remark")}},
      {"Delete Share", G::Accounts, "Removes a network share.", Form::Plain,
       {Txt("share", "share name, optionally followed by \"|\" and a server")}},
      {"Set Access Control", G::Accounts, "Changes the access list of a file, folder, share, key, service or printer.",
       Form::Plain,
       {Txt("object", "name of the object"), Flg("everyone", "TRUE grants to everyone"),
        Flg("current user", "TRUE grants to the current user"),
        Flg("authenticated users", "TRUE grants to authenticated users"),
        Flg("named account", "TRUE grants to the account below"), Txt("account", "account name or identifier"),
        Flg("read", "TRUE grants read access"), Flg("full", "TRUE grants full access"),
        Flg("modify entries", "TRUE changes the existing entries"), Flg("deny all", "TRUE removes every entry"),
        Flg("allow all", "TRUE removes the access list"), Flg("file or folder", "the object is a file or folder"),
        Flg("share", "the object is a share"), Flg("registry key", "the object is a registry key"),
        Flg("service", "the object is a service"), Flg("printer", "the object is a printer")}},

      // Web server administration.
      {"Get IIS Site List", G::WebServer, "Stores the names of the web sites.", Form::Plain,
       {Res("result", "receives the site names separated by $NEWLINE$")}},
      {"Get IIS Site Index", G::WebServer, "Stores the number of a web site.", Form::Plain,
       {Txt("site name", "the site's name"), Res("result", "receives the site number, 0 when not found")}},
      {"Get IIS Property", G::WebServer, "Stores a property of a site or virtual folder.", Form::Plain,
       IisPropertyParameters(Res("result", "receives the property value"))},
      {"Set IIS Property", G::WebServer, "Sets a property of a site or virtual folder.", Form::Plain,
       IisPropertyParameters(Txt("value", "the new value"))},
      {"Create IIS Site", G::WebServer, "Creates a web site.", Form::Plain,
       {Txt("site name", "the site's name"),
        Txt("site number", "site number; a text that is not a number takes the lowest free one"),
        Txt("address", "IP address"), Txt("host header", "host header"), Num("port", "TCP port"),
        Num("SSL port", "SSL port"), Num("timeout", "connection timeout in seconds"),
        Flg("keep alive", "TRUE keeps connections alive"), Flg("logging", "TRUE turns logging on"),
        Flg("ASP", "TRUE enables the ASP web service extension"), Flg("allow programs", "TRUE allows *.exe files"),
        Flg("unlimited connections", "TRUE allows any number of connections"),
        Flg("library flag", "passed to the administration library only"),
        Num("maximum connections", "maximum number of connections"), Num("server size", "server size")}},
      {"Create Virtual Folder", G::WebServer, "Creates a virtual folder of a web site.", Form::Plain,
       {Txt("path", "virtual folder path"), Pth("physical folder", "the folder it maps to"),
        Flg("source access", "TRUE grants source access"), Flg("read", "TRUE grants read access"),
        Flg("write", "TRUE grants write access"), Flg("browsing", "TRUE allows directory browsing"),
        Flg("logging", "TRUE turns logging on"), Flg("index", "TRUE indexes the content"),
        Txt("protection", "application protection number, optionally followed by \"|\" and an application pool"),
        Txt("script permission", "script permission level, optionally followed by \"|\" and an ASP.NET version code"),
        Flg("default documents on", "TRUE enables default documents"), Txt("default documents", "default documents"),
        Txt("footer", "document footer"), Flg("anonymous", "TRUE allows anonymous access"),
        Flg("integrated", "TRUE allows integrated Windows authentication"),
        Flg("basic", "TRUE allows basic authentication"), Txt("MIME map", "comma text of extension=type entries"),
        Num("site", "site number")}},
      {"Delete IIS Site", G::WebServer, "Deletes a web site.", Form::Plain, {Num("site", "site number")}},
      {"Delete Virtual Folder", G::WebServer, "Deletes a virtual folder.", Form::Plain,
       {Num("site", "site number"), Txt("path", "virtual folder path")}},
      {"Control IIS Site", G::WebServer, "Starts, stops, pauses or continues a web site.", Form::Plain,
       {Num("site", "site number"), Num("action", "0 start, 1 stop, 2 pause, 3 continue")}},
      {"IIS Anonymous User", G::WebServer, "Stores the web server's anonymous user account.", Form::Plain,
       {Res("result", "receives the account name")}},

      // Services, processes, restore points and scheduled tasks.
      {"Check Process", G::Services, "Stores whether a process with that program name runs.", Form::Plain,
       {Txt("program", "executable file name"), Res("result", "receives TRUE or FALSE")}},
      {"Terminate Process", G::Services, "Ends the processes of a program.", Form::Plain,
       {Txt("program", "executable file name"),
        Opt("result", "receives TRUE when no such process runs afterwards; may be empty")}},
      {"Check Service", G::Services, "Stores the state of a service.", Form::Plain,
       {Txt("service", "service name"), Txt("computer", "computer; empty for this machine"),
        Res("result", "receives the state")}},
      {"System Restore", G::Services, "Begins or ends a system restore point.", Form::Plain,
       {Flg("begin", "TRUE begins a restore point, FALSE ends one"), Unread("unused"),
        Res("result", "receives the sequence number or a status (when beginning)"),
        Txt("description", "description (when beginning)"), Num("type", "restore point type (when beginning)"),
        Num("sequence", "sequence number (when ending)"), Flg("remove", "TRUE removes the point (when ending)")}},
      {"Schedule Task", G::Services, "Creates a scheduled task.", Form::Plain,
       {Txt("task", "task name"), Txt("computer", "computer; empty for this machine"),
        Flg("at start", "TRUE runs at system start"), Flg("at logon", "TRUE runs at logon"),
        Flg("timed", "TRUE runs at the time below"), Txt("days", "day names"), Txt("start time", "start time"),
        Flg("internet", "TRUE runs when connected to the Internet"),
        Txt("interactive", "interactive flag and logged-on flag separated by \"|\""), Pth("program", "the program"),
        Pth("working folder", "working folder"), Txt("arguments", "program arguments"), Txt("account", "account"),
        Txt("password", "password")}},
      {"Delete Scheduled Task", G::Services, "Deletes a scheduled task.", Form::Plain,
       {Txt("task", "task name"), Txt("computer", "computer; empty for this machine")}},

      // Shell integration.
      {"Create Games Explorer", G::Shell, "Adds a game to the Games Explorer.", Form::Plain,
       {Pth("definition", "the file that carries the game definition"), Pth("install folder", "the game's folder")}},
      {"Delete Games Explorer", G::Shell, "Removes a game from the Games Explorer.", Form::Plain,
       {Pth("definition", "the file that carries the game definition")}},
      {"Create Media Center", G::Shell, "Adds a program to the Media Center start menu.", Form::Plain,
       {Pth("program", "the program to run"), Txt("context", "context; may be empty"),
        Pth("image", "image location; may be empty"), Txt("application id", "application id"),
        Txt("title", "title")}},
      {"Delete Media Center", G::Shell, "Removes a program from the Media Center.", Form::Plain,
       {Txt("application id", "application id")}},
  };
}

}  // namespace

const std::vector<CommandInfo>& Commands() {
  static const std::vector<CommandInfo> commands = BuildCommands();
  return commands;
}

const CommandInfo* FindCommand(std::string_view name) {
  static const auto byName = [] {
    std::unordered_map<std::string_view, const CommandInfo*> map;
    for (const auto& c : Commands()) map.emplace(c.name, &c);
    return map;
  }();
  auto it = byName.find(name);
  return it == byName.end() ? nullptr : it->second;
}

const std::vector<ParameterInfo>& PlugInParameters() {
  static const std::vector<ParameterInfo> parameters = PlugInLine();
  return parameters;
}

std::string_view GroupTitle(Group group) {
  switch (group) {
    case Group::ControlFlow: return "Control flow";
    case Group::Expressions: return "Conditions and expressions";
    case Group::Variables: return "Variables and text";
    case Group::Dialogs: return "Wizard dialogs";
    case Group::Messages: return "Message boxes, balloons and tray";
    case Group::Components: return "Components and feature selection";
    case Group::WebMedia: return "Web media";
    case Group::Programs: return "Running programs";
    case Group::SystemChanges: return "System changes";
    case Group::InstallFiles: return "Install Files";
    case Group::ApplyChanges: return "Apply Changes, patches and reboot";
    case Group::PlugIns: return "Plug-in commands";
    case Group::SystemSettings: return "System settings and folders";
    case Group::Queries: return "Registry, file and text queries";
    case Group::Accounts: return "Accounts, groups, shares and access control";
    case Group::WebServer: return "Web server administration";
    case Group::Services: return "Services, processes, restore points and scheduled tasks";
    case Group::Shell: return "Shell integration";
  }
  return {};
}

std::string_view KindName(Kind kind) {
  switch (kind) {
    case Kind::Text: return "text";
    case Kind::Path: return "path";
    case Kind::Flag: return "flag";
    case Kind::Variable: return "variable";
    case Kind::Number: return "number";
  }
  return {};
}

const std::vector<ConditionOperator>& ConditionOperators() {
  static const std::vector<ConditionOperator> operators = {
      {"0", "equals", "equal; texts compared with letter case", true},
      {"1", "contains", "the variable's value contains the text, letter case significant (numbers: equal)", true},
      {"2", "greater-than", "greater than (numbers as numbers, texts by byte order)", true},
      {"3", "contains-any-case", "contains the text, letter case ignored (numbers: equal)", true},
      {"4", "equals-any-case", "equal, letter case ignored", true},
      {"5", "defined", "a variable of that name exists", false},
      {"6", "version-greater-than", "the four-part version is greater", true},
  };
  return operators;
}

const ConditionOperator* OperatorByWord(std::string_view word) {
  for (const auto& o : ConditionOperators())
    if (o.word == word) return &o;
  return nullptr;
}

const ConditionOperator* OperatorByCode(std::string_view code) {
  for (const auto& o : ConditionOperators())
    if (o.code == code) return &o;
  return nullptr;
}

}  // namespace qv::authoring
