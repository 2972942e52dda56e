#include "script/variable_commands.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::script {
namespace {

TEST(VariableCommands, SetVariableNameCarriesItsSaveOptionAfterTheMarker) {
  struct Case {
    const char* parameter;
    const char* name;
    bool save;
  } cases[] = {
      {"NAME", "NAME", false},
      {"$NAME$", "NAME", false},
      {"NAME$KORV$KORV$TRUE", "NAME", true},
      {"$NAME$$KORV$KORV$TRUE", "NAME", true},
      {"NAME$KORV$KORV$FALSE", "NAME", false},
      {"NAME$KORV$KORV$true", "NAME", false},  // exactly "TRUE"
      {"NAME$KORV$KORV$", "NAME", false},
  };
  for (const auto& c : cases) {
    SetVariableName parsed = ParseSetVariableName(c.parameter);
    EXPECT_EQ(parsed.name, c.name) << c.parameter;
    EXPECT_EQ(parsed.save, c.save) << c.parameter;
  }
}

class VariableCommandsTest : public ::testing::Test {
 protected:
  VariableCommandsTest() { RegisterVariableCommands(f.table); }
  void Set(const std::string& name, const std::string& value) { f.Run("Set Variable", {name, value}); }
  testing::CommandFixture f;
};

TEST_F(VariableCommandsTest, SetVariableExpandsItsValueAndCreatesTheNameInUpperCase) {
  f.store.Set("TITLE", "Demo");
  Set("caption", "$TITLE$ Setup");
  f.store.Set("MixedCase", "old");
  Set("$mixedcase$", "new");
  std::vector<std::string> list;
  f.store.ListAll(list);
  EXPECT_EQ(list, (std::vector<std::string>{"TITLE", "Demo", "CAPTION", "Demo Setup", "MixedCase", "new"}));
}

TEST_F(VariableCommandsTest, SaveMarkerAddsTheNameToTheSavedVariablesOnce) {
  Set("INSTALLTYPE$KORV$KORV$TRUE", "Full");
  Set("installtype$KORV$KORV$TRUE", "Minimal");
  Set("OTHER$KORV$KORV$FALSE", "x");
  EXPECT_EQ(f.store.Get("INSTALLTYPE"), "Minimal");
  EXPECT_EQ(f.store.Get("OTHER"), "x");
  EXPECT_FALSE(f.store.Exists("INSTALLTYPE$KORV$KORV$TRUE"));
  EXPECT_EQ(f.run.savedVariables, std::vector<std::string>{"INSTALLTYPE"});
}

TEST_F(VariableCommandsTest, AbortIsMirroredIntoTheCancelState) {
  f.store.Set("KORV_IsCancelled", "FALSE");
  Set("ABORT", "TRUE");
  EXPECT_EQ(f.store.Get("KORV_IsCancelled"), "TRUE");
  Set("abort", "FALSE");
  EXPECT_EQ(f.store.Get("KORV_IsCancelled"), "FALSE");
}

TEST_F(VariableCommandsTest, TimeoutFollowsKorvTimeout) {
  struct Case {
    const char* value;
    int expect;
  } cases[] = {{"30", 30}, {"0", 0}, {"abc", 10}, {"", 10}, {"99999999999", 10}};
  for (const auto& c : cases) {
    f.run.timeoutSeconds = -1;
    Set("KORV_TIMEOUT", c.value);
    EXPECT_EQ(f.run.timeoutSeconds, c.expect) << c.value;
  }
}

TEST_F(VariableCommandsTest, SilentCommandLinePropertiesOutliveTheScriptsAssignments) {
  f.SetCommandLine("/s TARGETDIR=D:\\Cmd\\ KORV_TIMEOUT=45");
  Set("TARGETDIR", "C:\\Program Files\\Demo\\");
  EXPECT_EQ(f.store.Get("TARGETDIR"), "D:\\Cmd\\");
  // The engine's time-out follows the value the variable kept.
  Set("KORV_TIMEOUT", "5");
  EXPECT_EQ(f.store.Get("KORV_TIMEOUT"), "45");
  EXPECT_EQ(f.run.timeoutSeconds, 45);
  Set("UNRELATED", "set");
  EXPECT_EQ(f.store.Get("UNRELATED"), "set");
}

TEST_F(VariableCommandsTest, WithoutSilentModeTheScriptOverridesTheCommandLine) {
  f.SetCommandLine("TARGETDIR=D:\\Cmd\\");
  EXPECT_EQ(f.store.Get("TARGETDIR"), "D:\\Cmd\\");
  Set("TARGETDIR", "C:\\Program Files\\Demo\\");
  EXPECT_EQ(f.store.Get("TARGETDIR"), "C:\\Program Files\\Demo\\");
}

TEST_F(VariableCommandsTest, LocalizationVariableHasNoSpecialNamesAndNoMarker) {
  f.store.Set("KORV_IsCancelled", "FALSE");
  f.store.Set("PRODUCT", "Demo");
  f.Run("Localization Variable", {"$greeting$", "Welcome to $PRODUCT$"});
  EXPECT_EQ(f.store.Get("GREETING"), "Welcome to Demo");
  f.Run("Localization Variable", {"ABORT", "TRUE"});
  EXPECT_EQ(f.store.Get("KORV_IsCancelled"), "FALSE");
  f.Run("Localization Variable", {"KEPT$KORV$KORV$TRUE", "x"});
  EXPECT_TRUE(f.run.savedVariables.empty());
  EXPECT_FALSE(f.store.Exists("KEPT"));
}

}  // namespace
}  // namespace qv::script
