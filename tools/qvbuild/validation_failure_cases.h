#pragma once
// Small sources, one per failure kind of the engine's validation (and a few that must
// pass), with the failures the builder reports for them. Shared by the builder's unit
// tests and the end-to-end test that runs the engine on each of them (exit code 314).
#include <string>
#include <vector>

namespace qv::authoring::testdata {

// The body of each source starts on line 5 of setup.qvs.
inline const std::string kValidationHeader =
    "Setup\n"
    "  ProductCode {11111111-2222-4333-8444-555555555555}\n"
    "  Title Demo\n"
    "End Setup\n";

struct ValidationCase {
  std::string what;
  std::string body;
  std::vector<std::string> failures;  // "file:line: message"; empty: the source passes
};

inline std::vector<ValidationCase> ValidationCases() {
  const std::string wizard = "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP";
  return {
      {"an If without End", "If X defined\nSet Variable X 1\n", {"setup.qvs:6: Insufficient END statements"}},
      {"an End too many", "Set Variable X 1\nEnd\n", {"setup.qvs:6: Too many END statements"}},
      {"a While without Wend", "While X defined\n", {"setup.qvs:5: Insufficient WEND statements"}},
      {"a Wend too many", "Wend\n", {"setup.qvs:5: Too many WEND statements"}},
      {"a Repeat without Until", "Repeat\n", {"setup.qvs:5: Insufficient UNTIL statements"}},
      {"an Until too many", "Until X defined\n", {"setup.qvs:5: Too many UNTIL statements"}},
      {"an If closed outside its loop",
       "If X defined\nWhile X defined\nEnd\nWend\n",
       {"setup.qvs:7: IF conditional closed outside of LOOP scope",
        "setup.qvs:8: WHILE loop closed outside of CONDITIONAL or REPEAT loop scope"}},
      {"a Repeat closed outside its condition",
       "Repeat\nIf X defined\nUntil X defined\nEnd\n",
       {"setup.qvs:7: REPEAT loop closed outside of CONDITIONAL or WHILE loop scope",
        "setup.qvs:8: IF conditional closed outside of LOOP scope"}},
      {"Break outside a loop", "Break\n", {"setup.qvs:5: Break not allowed outside of LOOP scope"}},
      {"Continue outside a loop",
       "If X defined\nContinue\nEnd\n",
       {"setup.qvs:6: Continue not allowed outside of LOOP scope"}},
      {"a Label inside a block",
       "If X defined\nLabel Inside\nEnd\n",
       {"setup.qvs:6: LABEL statements cannot be nested inside loops/conditionals"}},
      {"a label defined twice", "Label Start\nLabel START\n", {"setup.qvs:6: LABEL re-defined: START"}},
      {"a GoTo to no label", "GoTo Label Nowhere\n", {"setup.qvs:5: LABEL undefined: Nowhere"}},
      {"a variable defined only by a later line",
       "Convert Path LATER FALSE\nSet Variable LATER C:\\x\n",
       {"setup.qvs:5: Variable not defined: LATER"}},
      {"the same variable defined by an earlier line", "Set Variable LATER C:\\x\nConvert Path LATER FALSE\n", {}},
      {"the same variable saved by a later Set Variable",
       "Convert Path LATER FALSE\nSet Variable LATER C:\\x save\n",
       {}},
      {"a condition on an engine variable no line assigns",
       "If KORV_IsCancelled equals TRUE\nEnd\n",
       {"setup.qvs:5: Variable not defined: KORV_IsCancelled"}},
      {"a defined-test on any name", "If KORV_IsCancelled defined\nEnd\n", {}},
      {"a condition whose value names no variable",
       "If OSLEVEL equals $NOPE$\nEnd\n",
       {"setup.qvs:5: Variable not defined: $NOPE$"}},
      {"a result variable left empty", "Set Variable \"\" value\n", {"setup.qvs:5: Variable required"}},
      {"a condition without a variable", "While \"\" equals x\nWend\n", {"setup.qvs:5: Variable required"}},
      {"a dialog without a name", "Display Dialog \"\" RESULT\n", {"setup.qvs:5: Dialog name not specified"}},
      {"a dialog skip variable no line defines",
       "Display Dialog welcome RESULT TRUE SKIPIT\n",
       {"setup.qvs:5: Variable not defined: SKIPIT"}},
      {"an assignment inside a Wizard Loop",
       "Wizard Loop\nDisplay Dialog welcome WIZARD\nSet Variable X 1\nEnd\n",
       {"setup.qvs:7: " + wizard}},
      {"a folding region inside a Wizard Loop",
       "Wizard Loop\nCode Folding Region TRUE Pages\nEnd\n",
       {"setup.qvs:6: " + wizard}},
      {"a Wizard Loop of dialogs, comments and switched-off lines",
       "Wizard Loop\nDisplay Dialog welcome WIZARD\nComment \"the pages\"\noff: Set Variable X 1\nEnd\n",
       {}},
      {"a web media block name that is no file name",
       "Web Media Block \"Disk|1\" http://example.com/d1.7zip\n",
       {"setup.qvs:5: Web Media Block name must be a legal file name"}},
      {"a web media block without a download location",
       "Web Media Block Disk1\n",
       {"setup.qvs:5: Web Media Block must have at least one download URL"}},
      {"a web media block with a folder and a location",
       "Web Media Block C:\\media\\Disk1 http://example.com/d1\n",
       {}},
      {"Delete Files with no delete mode",
       "Delete Files $TARGETDIR$ *.tmp FALSE FALSE\n",
       {"setup.qvs:5: At least one delete mode must be selected"}},
      {"Install Files without a target folder",
       "Install Files\n",
       {"setup.qvs:5: A target folder must be specified for files that are being installed.\rThe value $TARGETDIR$ "
        "represents the destination folder chosen by the user."}},
      {"an expression with an unknown operator",
       "Evaluate Expression \"$A$ => $B$\" RESULT\n",
       {"setup.qvs:5: Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the "
        "correct syntax."}},
      {"a well-formed expression", "Evaluate Expression \"$A$ = $B$ and $C$ <> \"\"x\"\"\" RESULT\n", {}},
  };
}

}  // namespace qv::authoring::testdata
