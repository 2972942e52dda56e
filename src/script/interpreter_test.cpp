#include "script/interpreter.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "engine/product_bootstrap.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "script/expression_commands.h"
#include "script/string_commands.h"
#include "script/variable_commands.h"
#include "support/run_trace.h"
#include "support/script_builder.h"

namespace qv::script {
namespace {

using testing::ScriptLine;

// Test commands: Record appends its expanded parameter to LOG; Increment adds one to
// the variable it names; Fail raises a runtime error; Display Dialog takes its result
// from the front of ANSWERS ("N" next, "B" back, "C" cancel, "H" not shown).
void Record(CommandContext& c) {
  std::string log = c.Store().Get("LOG");
  c.Store().SetVariable("LOG", log.empty() ? c.Expanded(1) : log + "," + c.Expanded(1), c.Origin());
}
void Increment(CommandContext& c) {
  int64_t n = 0;
  text::ParseInt64(c.Store().Get(c.Param(1)), n);
  c.Store().SetVariable(c.Param(1), std::to_string(n + 1), c.Origin());
}
void Fail(CommandContext& c) { c.Fail(c.Expanded(1)); }
void Dialog(CommandContext& c) {
  std::string answers = c.Store().Get("ANSWERS");
  char a = answers.empty() ? 'N' : answers[0];
  c.Store().SetVariable("ANSWERS", answers.empty() ? "" : answers.substr(1), c.Origin());
  Record(c);
  if (a == 'N') c.Run().wizardDirection = 1;
  if (a == 'B') c.Run().wizardDirection = -1;
  if (a == 'C') c.Run().wizardDirection = 0;
}

class InterpreterTest : public ::testing::Test {
 protected:
  InterpreterTest() : machine(root.Path()), trace(machine.Files(), machine.Sys()) {
    RegisterVariableCommands(table);
    RegisterExpressionCommands(table);
    RegisterStringCommands(table);
    table.Add("Record", Record);
    table.Add("Increment", Increment);
    table.Add("Fail", Fail);
    table.Add("Display Dialog", Dialog);
    values.exePath = "C:\\Setup\\demo.exe";
    values.exeFolder = "C:\\Setup\\";
    values.exeBaseName = "demo";
    values.tempFolder = machine.Sys().TempFolder();
    values.supportFolder = values.tempFolder + "zel1\\";
    values.dataFolder = "C:\\Setup\\data\\";
    values.msiPath = values.supportFolder + "demo.msi";
    machine.Files().CreateFolderTree("C:\\Setup");
    machine.Files().CreateFolderTree(values.tempFolder);
  }

  int Run(const std::vector<ScriptLine>& lines, const std::string& arguments = "/l=C:\\trace.log") {
    values.commandLine = startup::ParseCommandLine("\"C:\\Setup\\demo.exe\" " + arguments);
    store.SetSilent(values.commandLine.silent);
    store.SetCommandLineProperties(values.commandLine.properties);
    trace.SetTarget(values.commandLine.logFile);
    script = std::make_unique<Script>(testing::BuildScript(lines));
    EngineContext engine{machine, store, *script, trace, messages, values};
    Interpreter interpreter(engine, table, bootstrap);
    interpreter.Run();
    return interpreter.ExitCode();
  }
  std::string Log() { return store.Get("LOG"); }
  std::vector<std::string> Trace() {
    std::string bytes;
    machine.Files().ReadWholeFile("C:\\trace.log", bytes);
    return testing::TraceLines(bytes);
  }

  platform::sim::testing::TempRoot root;
  platform::sim::SimPlatform machine;
  VariableStore store;
  startup::EngineMessages messages;
  startup::TraceLog trace;
  startup::StartupValues values;
  std::unique_ptr<Script> script;
  CommandTable table;
  engine::ProductBootstrapStep bootstrap;
};

ScriptLine Set(const std::string& name, const std::string& value) { return {"Set Variable", {name, value}}; }
ScriptLine IfEq(const std::string& name, const std::string& value, const std::string& command = "If") {
  return {command, {name, "0", value, "FALSE"}};
}
ScriptLine Rec(const std::string& what) { return {"Record", {what}}; }
ScriptLine Line(const std::string& name) { return {name}; }

TEST_F(InterpreterTest, ExactlyOneBranchOfAnIfChainRuns) {
  struct Case {
    const char* x;
    const char* expect;
  } cases[] = {{"1", "A,after"}, {"2", "B,after"}, {"3", "C,after"}};
  for (const auto& c : cases) {
    store.Clear();
    Run({Set("X", c.x), IfEq("X", "1"), Rec("A"), IfEq("X", "2", "Else If"), Rec("B"), Line("Else"), Rec("C"),
         Line("End"), Rec("after")});
    EXPECT_EQ(Log(), c.expect) << c.x;
  }
}

TEST_F(InterpreterTest, SkippedBranchesSkipTheirNestedBlocksWhole) {
  // The nested block of the skipped branch holds an Else If that must not be taken as
  // the outer block's next branch.
  Run({Set("X", "2"), Set("Y", "1"), IfEq("X", "1"), IfEq("Y", "1"), Rec("wrong1"), IfEq("Y", "1", "Else If"),
       Rec("wrong2"), Line("End"), IfEq("X", "2", "Else If"), Rec("right"), Line("End")});
  EXPECT_EQ(Log(), "right");
}

TEST_F(InterpreterTest, NestedChainsInTakenBranchesStillTestTheirElseIf) {
  Run({Set("X", "1"), Set("Y", "2"), IfEq("X", "1"), IfEq("X", "1"), IfEq("Y", "1"), Rec("no"),
       IfEq("Y", "2", "Else If"), Rec("inner"), Line("End"), Line("End"), Line("Else"), Rec("no2"), Line("End")});
  EXPECT_EQ(Log(), "inner");
}

TEST_F(InterpreterTest, WhileAndRepeatLoops) {
  Run({Set("N", "0"), {"While", {"N", "2", "0", "FALSE"}}, Rec("never"), Line("Wend"), Line("Repeat"), Rec("once"),
       {"Until", {"N", "0", "0", "FALSE"}}, {"While", {"N", "2", "3", "TRUE"}}, {"Increment", {"N"}}, Rec("$N$"),
       Line("Wend")});
  EXPECT_EQ(Log(), "once,1,2,3,4");
}

TEST_F(InterpreterTest, BreakAndContinue) {
  // A Repeat loop that ran and ended inside the While leaves no trace on its loop stack,
  // so the Break that follows still leaves the While.
  Run({Set("N", "0"), Set("M", "0"), {"While", {"N", "2", "9", "TRUE"}}, {"Increment", {"N"}},
       IfEq("N", "2"), Line("Continue"), Line("End"), Line("Repeat"), {"Increment", {"M"}},
       {"Until", {"M", "2", "1", "FALSE"}}, IfEq("N", "4"), Line("Break"), Line("End"), Rec("$N$"), Line("Wend"),
       Rec("out$N$")});
  EXPECT_EQ(Log(), "1,3,out4");
}

TEST_F(InterpreterTest, SwitchedOffLinesNeverRunAndDoNotCountForMatching) {
  Run({Set("X", "1"), IfEq("X", "2"), {"End", {}, true}, Rec("skipped"), {"Record", {"off"}, true}, Line("End"),
       Rec("after")});
  EXPECT_EQ(Log(), "after");
}

TEST_F(InterpreterTest, GoToFindsLabelsWithoutRegardToCase) {
  Run({{"GoTo Label", {"later"}}, Rec("skipped"), {"Label", {"LATER"}}, Rec("here")});
  EXPECT_EQ(Log(), "here");
}

TEST_F(InterpreterTest, TerminateCommandsAndExitCodes) {
  struct Case {
    const char* code;
    int expect;
  } cases[] = {{"42", 42}, {"-3", -3}, {"abc", 0}, {"", 0}};
  for (const auto& c : cases) {
    store.Clear();
    EXPECT_EQ(Run({Set("CODE", c.code), {"Terminate with Exit Code", {"$CODE$"}}, Rec("no")}), c.expect) << c.code;
    EXPECT_EQ(Log(), "");
  }
  store.Clear();
  EXPECT_EQ(Run({Rec("a"), Line("Terminate Install"), Rec("b")}), 0);
  EXPECT_EQ(Log(), "a");
  std::vector<std::string> t = Trace();
  EXPECT_EQ(std::vector<std::string>(t.end() - 3, t.end()),
            (std::vector<std::string>{"    </korv>", "    <ExitScript>", "    </ExitScript>"}));
}

TEST_F(InterpreterTest, WizardLoopWalksItsDialogs) {
  struct Case {
    const char* answers;
    const char* expect;
  } cases[] = {
      {"NNN", "one,two,three,after"},
      {"NBB", "one,two,one,after"},    // back on the first dialog leaves at the End
      {"NC", "one,two,after"},         // cancel leaves at once
      {"NNBNN", "one,two,three,two,three,after"},
  };
  for (const auto& c : cases) {
    store.Clear();
    // A dialog line has six parameters; the first names the dialog.
    auto dialog = [](const char* name, bool off = false) {
      return ScriptLine{"Display Dialog", {name, "", "", "", "", ""}, off};
    };
    Run({Set("ANSWERS", c.answers), Line("Wizard Loop"), dialog("one"), Line("Comment"), dialog("two"),
         dialog("skipped", true), dialog("three"), Line("End"), Rec("after")});
    EXPECT_EQ(Log(), c.expect) << c.answers;
  }
}

TEST_F(InterpreterTest, ARuntimeErrorShowsItsSourceLineAndEndsTheRun) {
  EXPECT_EQ(Run({Rec("a"), {"Fail", {"it broke"}}, Rec("b")}, "/l=C:\\trace.log"), 0);
  EXPECT_EQ(Log(), "a");
  auto log = machine.SimUi().Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "Runtime error in setup script:\r\rSource File: test\rLine Number: 2\r\rit broke");
  EXPECT_EQ(log[0].caption, "Demo - Quorvane Wizard");
  EXPECT_EQ(Trace().back(), "    <korv>");
  // Silent: the same error ends the run without a window.
  machine.SimUi().ClearLog();
  store.Clear();
  Run({{"Fail", {"again"}}}, "/s");
  EXPECT_TRUE(machine.SimUi().Log().empty());
}

TEST_F(InterpreterTest, AScriptThatFailsValidationEndsTheProcessWith314) {
  try {
    Run({{"Convert Case", {"NOT_DEFINED", "TRUE"}}});
    FAIL() << "ran";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.ExitCode(), 314);
  }
  EXPECT_EQ(Trace().back(), "    <CompileScript>");
}

TEST_F(InterpreterTest, TheFullTraceOfARun) {
  Run({Rec("a")});
  EXPECT_EQ(Trace(), (std::vector<std::string>{"    <Variables>", "    </Variables>", "    <CompileScript>",
                                               "    </CompileScript>", "    <BootStrap>", "    </BootStrap>",
                                               "    <korv>", "    </korv>", "    <ExitScript>", "    </ExitScript>"}));
}

TEST_F(InterpreterTest, ASingleInstanceSetupDoesNotRunTwice) {
  auto lines = std::vector<ScriptLine>{Rec("ran")};
  auto sections = testing::BuildScript(lines);
  sections.compilerVariables = {"SINGLEINSTANCE", "true"};
  const std::string marker = values.tempFolder + sections.revisionCode + ".zel";
  auto runWith = [&] {
    values.commandLine = startup::ParseCommandLine("demo.exe");
    script = std::make_unique<Script>(sections);
    EngineContext engine{machine, store, *script, trace, messages, values};
    Interpreter interpreter(engine, table, bootstrap);
    interpreter.Run();
  };
  runWith();
  EXPECT_EQ(Log(), "ran");
  EXPECT_FALSE(machine.Files().FileExists(marker));  // deleted at the exit stage
  machine.Files().WriteWholeFile(marker, "");       // another run holds it
  store.Clear();
  runWith();
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(machine.Files().FileExists(marker));
}

TEST_F(InterpreterTest, CommandLinePropertiesWinOverTheScriptWhenSilent) {
  Run({Set("TARGETDIR", "C:\\Script\\"), Rec("$TARGETDIR$")}, "/s TARGETDIR=D:\\Cmd\\");
  EXPECT_EQ(Log(), "D:\\Cmd\\");
  store.Clear();
  Run({Set("TARGETDIR", "C:\\Script\\"), Rec("$TARGETDIR$")}, "TARGETDIR=D:\\Cmd\\");
  EXPECT_EQ(Log(), "C:\\Script\\");
}

TEST_F(InterpreterTest, PredefinedVariablesOfAFirstInstallation) {
  Run({Rec("$TARGETDIR$|$STARTMENU$|$ALLUSERS$|$MAINTENANCE$|$NEEDSUPGRADE$|$SUPPORTDIR$|$EXEDIR$|$SETUPPATH$")});
  EXPECT_EQ(Log(), "C:\\Program Files (x86)\\Demo\\|Demo|TRUE|FALSE|FALSE|" + values.supportFolder +
                       "|C:\\Setup\\|C:\\Setup\\");
  EXPECT_EQ(store.Get("ENGINECACHE"), "C:\\ProgramData\\{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\\");
  EXPECT_EQ(store.Get("UNINSTALLLINK"), "C:\\ProgramData\\{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\\demo.exe");
  EXPECT_EQ(store.Get("NEWLINE"), "\r\n");
}

TEST_F(InterpreterTest, TheResumeEntriesOfThisProductAreRemoved) {
  auto& reg = machine.Reg();
  const std::string runOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
  reg.CreateKey(platform::RegRoot::CurrentUser, runOnce, platform::RegView::Default);
  reg.WriteValue(platform::RegRoot::CurrentUser, runOnce, "11111111", platform::RegValue::String("resume"),
                 platform::RegView::Default);
  reg.WriteValue(platform::RegRoot::CurrentUser, runOnce, "other", platform::RegValue::String("keep"),
                 platform::RegView::Default);
  Run({Rec("a")});
  platform::RegValue v;
  EXPECT_NE(reg.ReadValue(platform::RegRoot::CurrentUser, runOnce, "11111111", v, platform::RegView::Default),
            platform::kSuccess);
  EXPECT_EQ(reg.ReadValue(platform::RegRoot::CurrentUser, runOnce, "other", v, platform::RegView::Default),
            platform::kSuccess);
}

TEST_F(InterpreterTest, TheTraceFollowsLogged) {
  machine.Files().CreateFolder("C:\\Logs");
  Run({Rec("a"), Set("LOGGED", "C:\\Logs\\second.log"), Rec("b")});
  std::string bytes;
  machine.Files().ReadWholeFile("C:\\Logs\\second.log", bytes);
  EXPECT_EQ(bytes.substr(0, 2), std::string(" \0", 2));
  EXPECT_EQ(Trace().back(), "    <korv>");
}

TEST_F(InterpreterTest, WindowMessagesArePumpedAtMostEvery315Milliseconds) {
  auto& clock = machine.SimSys().Clock();
  clock.Freeze();
  std::vector<ScriptLine> lines(50, Rec("x"));
  Run(lines);
  const int frozen = machine.SimUi().MessagePumps();
  EXPECT_LE(frozen, 1);
}

}  // namespace
}  // namespace qv::script
