#pragma once
// The commands of the setup language: every command name the engine dispatches, with its
// parameters in the order the script stores them. The compiler, the decompiler, the
// build-time checks and the reference page all read this one table.
#include <string>
#include <string_view>
#include <vector>

namespace qv::authoring {

// What a parameter holds; the builder checks bare words against it.
enum class Kind {
  Text,      // any text; variable references are expanded where the command says so
  Path,      // a file or folder path (variables expanded, doubled backslashes collapsed)
  Flag,      // TRUE or FALSE
  Variable,  // a variable name, bare or as $NAME$
  Number,    // a decimal integer (or a reference that gives one)
};

// For variable parameters: whether the command assigns the variable. Validation counts
// such a variable as defined from that line on.
enum class Role {
  None,
  Result,          // the result variable; validation requires a name
  OptionalResult,  // the result variable; may be left empty
};

// How a statement of the command is written in the source beyond plain positions.
enum class Form {
  Plain,        // parameters by position
  Condition,    // If / Else If / While / Until: [not] VARIABLE OPERATOR [VALUE]
  SetVariable,  // NAME VALUE [save|nosave]
  Free,         // any number of text lines (Comment, Ignore)
};

enum class Group {
  ControlFlow,
  Expressions,
  Variables,
  Dialogs,
  Messages,
  Components,
  WebMedia,
  Programs,
  SystemChanges,
  InstallFiles,
  ApplyChanges,
  PlugIns,
  SystemSettings,
  Queries,
  Accounts,
  WebServer,
  Services,
  Shell,
};

struct ParameterInfo {
  std::string_view name;
  std::string_view meaning;
  Kind kind = Kind::Text;
  Role role = Role::None;
};

struct CommandInfo {
  std::string_view name;  // exactly as the engine compares it
  Group group;
  std::string_view summary;
  Form form = Form::Plain;
  std::vector<ParameterInfo> parameters;
  // The number of parameter lines the builder writes for the command.
  size_t ParameterCount() const { return parameters.size(); }
};

// Every command of the language, grouped as the reference page shows them.
const std::vector<CommandInfo>& Commands();
// The command with exactly this name, or null.
const CommandInfo* FindCommand(std::string_view name);

// The parameters a plug-in line carries (commands named in the script's plug-in list).
const std::vector<ParameterInfo>& PlugInParameters();

std::string_view GroupTitle(Group group);
std::string_view KindName(Kind kind);

// The condition operators of If / Else If / While / Until, by stored code "0" to "6".
struct ConditionOperator {
  std::string_view code;
  std::string_view word;  // the readable name in the source
  std::string_view meaning;
  bool takesValue;
};
const std::vector<ConditionOperator>& ConditionOperators();
const ConditionOperator* OperatorByWord(std::string_view word);
const ConditionOperator* OperatorByCode(std::string_view code);

// The marker inside a Set Variable name that carries its save option.
inline constexpr std::string_view kSaveMarker = "$KORV$KORV$";

}  // namespace qv::authoring
