#include "script/validator.h"

#include <gtest/gtest.h>

#include "support/script_builder.h"

namespace qv::script {
namespace {

using testing::ScriptLine;

ScriptLine Set(const std::string& name) { return {"Set Variable", {name, "1"}}; }
ScriptLine If(const std::string& name, const std::string& op = "0", const std::string& value = "1") {
  return {"If", {name, op, value, "FALSE"}};
}
ScriptLine L(const char* name) { return {name}; }
ScriptLine Dialog(const std::string& name, const std::string& result = "", const std::string& condition = "") {
  return {"Display Dialog", {name, result, "", condition, "", ""}};
}

struct Case {
  const char* what;
  std::vector<ScriptLine> lines;
  const char* message;  // empty: passes
  size_t line;
};

TEST(Validator, FindsEachKindOfFault) {
  const Case cases[] = {
      {"balanced", {Set("X"), If("X"), L("End"), L("Repeat"), L("Break"), {"Until", {"X", "0", "1", ""}}}, "", 0},
      {"if closed inside a loop",
       {Set("X"), L("Repeat"), If("X"), {"Until", {"X", "0", "1", ""}}, L("End")},
       "REPEAT loop closed outside of CONDITIONAL or WHILE loop scope", 3},
      {"while closed inside an if",
       {Set("X"), {"While", {"X", "0", "1", ""}}, If("X"), L("Wend"), L("End")},
       "WHILE loop closed outside of CONDITIONAL or REPEAT loop scope", 3},
      {"end closes an if across a loop",
       {Set("X"), If("X"), {"While", {"X", "0", "1", ""}}, L("End"), L("Wend")},
       "IF conditional closed outside of LOOP scope", 3},
      {"break outside a loop", {L("Break")}, "Break not allowed outside of LOOP scope", 0},
      {"continue outside a loop", {Set("X"), If("X"), L("Continue"), L("End")},
       "Continue not allowed outside of LOOP scope", 2},
      {"nested label", {Set("X"), If("X"), {"Label", {"A"}}, L("End")},
       "LABEL statements cannot be nested inside loops/conditionals", 2},
      {"too few ends", {Set("X"), If("X")}, "Insufficient END statements", 1},
      {"too many wends", {L("Wend")}, "Too many WEND statements", 0},
      {"label twice (one switched off)", {{"Label", {"a"}}, {"Label", {"A"}, true}}, "LABEL re-defined: A", 1},
      {"unknown label", {{"GoTo Label", {"nowhere"}}}, "LABEL undefined: nowhere", 0},
      {"label found without regard to case", {{"GoTo Label", {"start"}}, {"Label", {"Start"}}}, "", 0},
      {"variable defined later", {{"Convert Case", {"LATER", "TRUE"}}, Set("LATER")}, "Variable not defined: LATER",
       0},
      {"variable defined earlier", {Set("EARLY"), {"Convert Case", {"EARLY", "TRUE"}}}, "", 0},
      {"saved anywhere counts", {{"Convert Case", {"KEPT", "TRUE"}}, {"Set Variable", {"KEPT$KORV$KORV$TRUE", "1"}}},
       "", 0},
      {"not saved does not", {{"Convert Case", {"KEPT", "TRUE"}}, {"Set Variable", {"KEPT$KORV$KORV$FALSE", "1"}}},
       "Variable not defined: KEPT", 0},
      {"worker variables are unknown", {If("KORV_IsCancelled", "4", "TRUE"), L("End")},
       "Variable not defined: KORV_IsCancelled", 0},
      {"operator 5 on any name", {If("ANYTHING", "5", ""), L("End")}, "", 0},
      {"right operand reference", {Set("X"), If("X", "0", "$NOPE$"), L("End")}, "Variable not defined: $NOPE$", 1},
      {"condition without a variable", {If("", "0", "1"), L("End")}, "Variable required", 0},
      {"set variable without a name", {{"Set Variable", {"", "1"}}}, "Variable required", 0},
      {"mathematics 13 needs no result", {{"Mathematics", {"1", "2", "13", ""}}}, "", 0},
      {"mathematics needs a result", {{"Mathematics", {"1", "2", "0", ""}}}, "Variable required", 0},
      {"parse string needs one part", {{"Parse String", {"a,b", ",", "", "", "0", "", ""}}}, "Variable required", 0},
      {"dialog without a name", {Dialog("")}, "Dialog name not specified", 0},
      {"dialog condition after its result", {Dialog("Welcome", "RES", "RES")}, "", 0},
      {"dialog condition undefined", {Dialog("Welcome", "", "NOPE")}, "Variable not defined: NOPE", 0},
      {"wizard loop holds only dialogs",
       {L("Wizard Loop"), Dialog("A"), {"Code Folding Region", {"TRUE", "x"}}, L("End")},
       "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP", 2},
      {"web media block name", {{"Web Media Block", {"bad|name", "http://x", ""}}},
       "Web Media Block name must be a legal file name", 0},
      {"web media block url", {{"Web Media Block", {"bad|name", "", ""}}},
       "Web Media Block must have at least one download URL", 0},
      {"delete files modes", {{"Delete Files", {"C:\\x", "*.*", "FALSE", "no"}}},
       "At least one delete mode must be selected", 0},
      {"install files target",
       {{"Install Files", {"", "", "", "", "", "", "", "", "", "", "", ""}}},
       "A target folder must be specified for files that are being installed.\rThe value $TARGETDIR$ represents the "
       "destination folder chosen by the user.",
       0},
      {"expression syntax", {{"Evaluate Expression", {"$A$ => \"1\"", "R"}}},
       "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.", 0},
      {"switched-off lines are left out", {{"Convert Case", {"NONE", "TRUE"}, true}, {"Break", {}, true}}, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Script script(testing::BuildScript(c.lines));
    VariableStore store;
    store.Set("LEFTOVER", "x");
    ValidationResult r = ValidateScript(script, store, true);
    EXPECT_EQ(store.Count(), 0u);  // the store is cleared afterwards
    if (std::string(c.message).empty()) {
      EXPECT_TRUE(r.Ok()) << (r.failures.empty() ? "" : r.failures[0].message);
      continue;
    }
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(r.failures[0].message, c.message);
    EXPECT_EQ(r.failures[0].line, c.line);
  }
}

TEST(Validator, ReportsEveryFaultWhenAsked) {
  Script script(testing::BuildScript({{"GoTo Label", {"a"}}, {"GoTo Label", {"b"}}, L("Break")}));
  VariableStore store;
  EXPECT_EQ(ValidateScript(script, store, true).failures.size(), 1u);
  EXPECT_EQ(ValidateScript(script, store, false).failures.size(), 3u);
}

TEST(Validator, MarksTheSystemChangingLines) {
  Script script(testing::BuildScript({{"Create Folder", {"C:\\x"}}, {"Create Folder", {"C:\\y"}, true}, Set("X")}));
  VariableStore store;
  EXPECT_EQ(ValidateScript(script, store).executedLineFlags, (std::vector<std::string>{"FALSE", "SKIP", "SKIP"}));
}

}  // namespace
}  // namespace qv::script
