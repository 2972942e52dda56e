#include "script/variable_store.h"

#include <gtest/gtest.h>

#include <thread>

namespace qv::script {
namespace {

TEST(VariableStore, NamesIgnoreLetterCaseAndKeepTheirSpelling) {
  VariableStore store;
  store.Set("TargetDir", "C:\\a\\");
  EXPECT_TRUE(store.Exists("TARGETDIR"));
  EXPECT_EQ(store.Get("targetdir"), "C:\\a\\");
  store.Set("TARGETDIR", "C:\\b\\");
  std::vector<std::string> list;
  EXPECT_EQ(store.ListAll(list), 2u);
  EXPECT_EQ(list[0], "TargetDir");
  EXPECT_EQ(list[1], "C:\\b\\");
  store.Set("", "ignored");
  EXPECT_EQ(store.Count(), 1u);
  // Empty and absent are different.
  store.Set("EMPTY", "");
  EXPECT_TRUE(store.Exists("EMPTY"));
  EXPECT_FALSE(store.Exists("ABSENT"));
  EXPECT_EQ(store.GetVariable("ABSENT"), "");
  store.Clear();
  EXPECT_EQ(store.Count(), 0u);
}

TEST(VariableStore, ManyVariablesKeepTheirValuesAcrossGrowth) {
  VariableStore store;
  for (int i = 0; i < 5000; ++i) store.Set("V" + std::to_string(i), std::to_string(i * 7));
  for (int i = 0; i < 5000; i += 97) EXPECT_EQ(store.Get("v" + std::to_string(i)), std::to_string(i * 7));
  std::vector<std::string> list;
  store.ListAll(list);
  EXPECT_EQ(list[2 * 4999], "V4999");
}

TEST(VariableStore, SetVariableNeverStoresASelfReference) {
  VariableStore store;
  store.SetVariable("TITLE", "$title$", "Set Variable Action");
  EXPECT_TRUE(store.Exists("TITLE"));
  EXPECT_EQ(store.Get("TITLE"), "");
  store.SetVariable("TITLE", "Demo", "Set Variable Action");
  store.SetVariable("TITLE", "$TITLE$", "Set Variable Action");
  EXPECT_EQ(store.Get("TITLE"), "");
  store.SetVariable("TITLE", "$TITLE$ 2", "Set Variable Action");
  EXPECT_EQ(store.Get("TITLE"), "$TITLE$ 2");
}

TEST(VariableStore, CommandLinePropertiesWinInSilentModeOnly) {
  struct Case {
    bool silent;
    const char* origin;
    const char* expect;
  } cases[] = {
      {true, "Set Variable Action", "D:\\Cmd\\"},
      {true, "Inject Override Command Line", "X:\\"},
      {false, "Set Variable Action", "X:\\"},
  };
  for (const auto& c : cases) {
    VariableStore store;
    store.SetSilent(c.silent);
    store.SetCommandLineProperties({"TARGETDIR", "D:\\Cmd\\", "OTHER", "TARGETDIR"});
    store.SetVariable("TARGETDIR", "D:\\Cmd\\", kOriginCommandLine);
    store.SetVariable("targetdir", "X:\\", c.origin);
    EXPECT_EQ(store.Get("TARGETDIR"), c.expect) << c.silent << " " << c.origin;
  }
  // A name that appears only as a property's value is not protected.
  VariableStore store;
  store.SetSilent(true);
  store.SetCommandLineProperties({"OTHER", "TARGETDIR"});
  store.Set("TARGETDIR", "a");
  store.SetVariable("TARGETDIR", "b", "Set Variable Action");
  EXPECT_EQ(store.Get("TARGETDIR"), "b");
  // A property that does not exist yet is created by any origin.
  store.SetCommandLineProperties({"NEWONE", "x"});
  store.SetVariable("NEWONE", "y", "Set Variable Action");
  EXPECT_EQ(store.Get("NEWONE"), "y");
}

class Expansion : public ::testing::Test {
 protected:
  void SetUp() override {
    store.Set("TITLE", "Demo");
    store.Set("EXEDIR", "C:\\Setup\\");
    store.Set("SETUPPATH", "$EXEDIR$");
    store.Set("EMPTY", "");
    store.Set("HALF", "x$TI");
    store.Set("DOLLAR", "$");
  }
  VariableStore store;
};

TEST_F(Expansion, Cases) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"no references", "no references"},
      {"$TITLE$", "Demo"},
      {"$title$ setup", "Demo setup"},
      {"Costs $5, see $TITLE$", "Costs $5, see Demo"},
      {"$$", "$$"},
      {"$", "$"},
      {"a $ b", "a $ b"},
      {"$UNKNOWN$", "$UNKNOWN$"},
      {"$UNKNOWN$TITLE$", "$UNKNOWNDemo"},
      {"$SETUPPATH$data", "C:\\Setup\\data"},
      {"[$EMPTY$]", "[]"},
      {"$HALF$TLE$", "xDemo"},   // an inserted "$" pairs with the text after it
      {"$DOLLAR$TITLE$", "Demo"},
      {"$TITLE$$TITLE$", "DemoDemo"},
      {"$$TITLE$", "$Demo"},
  };
  for (const auto& c : cases) EXPECT_EQ(store.ExpandVariables(c.in), c.out) << c.in;
}

TEST_F(Expansion, QuotedValues) {
  EXPECT_EQ(store.ExpandQuoted("$TITLE$ = \"Demo\""), "\"Demo\" = \"Demo\"");
  EXPECT_EQ(store.ExpandQuoted("$SETUPPATH$"), "\"\"C:\\Setup\\\"\"");
  EXPECT_EQ(store.ExpandQuoted("$UNKNOWN$"), "$UNKNOWN$");
  // A value with double quotes stays one quoted text.
  store.Set("NAME", "O\"Brien\" or \"1");
  EXPECT_EQ(store.ExpandQuoted("$NAME$"), "\"O\"\"Brien\"\" or \"\"1\"");
}

TEST_F(Expansion, SelfReferencingChainsEnd) {
  store.Set("A", "$B$");
  store.Set("B", "$A$");
  store.Set("GROW", "x$GROW$");
  store.Set("TWICE", "$TWICE$$TWICE$");
  EXPECT_EQ(store.ExpandVariables("[$A$]").front(), '[');
  std::string grown = store.ExpandVariables("$GROW$");
  EXPECT_EQ(grown, std::string(VariableStore::kMaxNesting, 'x') + "$GROW$");
  std::string twice = store.ExpandVariables("$TWICE$");
  EXPECT_LT(twice.size(), 10u * VariableStore::kMaxInsertions);
}

TEST(VariableStoreHelpers, References) {
  EXPECT_EQ(StripReference("$TITLE$"), "TITLE");
  EXPECT_EQ(StripReference("TITLE"), "");
  EXPECT_EQ(StripReference("$A$B$"), "");
  EXPECT_EQ(StripReference("$A"), "");
  VariableStore store;
  store.Set("A", "$B$!");
  store.Set("B", "b");
  EXPECT_EQ(ResolveReference(store, "$A$"), "b!");
  EXPECT_EQ(ResolveReference(store, "A"), "b!");
  EXPECT_EQ(ResolveReference(store, "$NONE$"), "");
  EXPECT_EQ(ResolveReference(store, "$NONE$", true), "$KORVNX$");
}

TEST(VariableStoreHelpers, IsTrue) {
  for (const char* t : {"TRUE", "true", "True", "-1"}) EXPECT_TRUE(IsTrue(t)) << t;
  for (const char* f : {"1", "FALSE", "", " TRUE", "yes", "-1 "}) EXPECT_FALSE(IsTrue(f)) << f;
}

TEST(VariableStore, WorkersAndTheMainThreadShareItSafely) {
  VariableStore store;
  store.Set("KORV_thProgress", "0");
  std::thread worker([&] {
    for (int i = 0; i < 20000; ++i) store.SetVariable("KORV_thProgress", std::to_string(i % 100), "Worker");
  });
  for (int i = 0; i < 20000; ++i) {
    std::string v = store.ExpandVariables("$KORV_thProgress$%");
    ASSERT_FALSE(v.empty());
    store.Set("MAIN" + std::to_string(i % 50), "x");
  }
  worker.join();
  EXPECT_EQ(store.Get("KORV_thProgress"), "99");
}

}  // namespace
}  // namespace qv::script
