#include "script/expression_commands.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::script {
namespace {

class ExpressionCommandsTest : public ::testing::Test {
 protected:
  ExpressionCommandsTest() { RegisterExpressionCommands(f.table); }
  std::string Math(const std::string& a, const std::string& b, const std::string& code) {
    f.Run("Mathematics", {a, b, code, "R"});
    return f.store.Get("R");
  }
  testing::CommandFixture f;
};

TEST_F(ExpressionCommandsTest, MathematicsCodes) {
  struct Case {
    const char* a;
    const char* b;
    const char* code;
    const char* expect;
  } cases[] = {
      {"2", "3", "0", "5"},
      {"2", "3", "1", "-1"},
      {"-4", "3", "2", "-12"},
      {"-7", "2", "3", "-3"},  // division truncates toward zero
      {"7", "-2", "3", "-3"},
      {"-7", "2", "4", "-1"},  // the remainder has the sign of A
      {"7", "-2", "4", "1"},
      {"12", "10", "5", "8"},
      {"12", "10", "6", "14"},
      {"12", "10", "7", "6"},
      {"1", "62", "8", "4611686018427387904"},
      {"-1", "60", "9", "15"},  // zeros come in from the left
      {"0", "not read", "10", "-1"},
      {"ABC", "", "11", "65"},
      {"\xE9", "", "11", "233"},
      {"65", "", "12", "A"},
      {"321", "", "12", "A"},  // the low 8 bits
      {"$N$", "$N$", "2", "25"},
      // 64-bit limits: sums wrap, and the one quotient that does not fit is itself.
      {"9223372036854775807", "1", "0", "-9223372036854775808"},
      {"-9223372036854775808", "-1", "3", "-9223372036854775808"},
      {"-9223372036854775808", "-1", "4", "0"},
      {"4294967296", "4294967296", "2", "0"},
      // Shifts by 64 or more, or by a negative count, shift every bit out.
      {"1", "63", "8", "-9223372036854775808"},
      {"1", "64", "8", "0"},
      {"1", "-1", "8", "0"},
      {"-1", "63", "9", "1"},
      {"-1", "64", "9", "0"},
      {"-1", "-3", "9", "0"},
  };
  f.store.Set("N", "5");
  for (const auto& c : cases) EXPECT_EQ(Math(c.a, c.b, c.code), c.expect) << c.a << " " << c.b << " " << c.code;
}

TEST_F(ExpressionCommandsTest, MathematicsRuntimeErrors) {
  struct Case {
    const char* a;
    const char* b;
    const char* code;
  } cases[] = {
      {"1", "1", "add"}, {"1", "1", "$CODE$"}, {"1", "1", "16"}, {"1", "1", "-1"}, {"abc", "1", "0"},
      {"1", "", "0"},    {"1", "x", "13"},    {"7", "0", "3"},  {"7", "0", "4"},  {"", "", "11"},
      {"0", "", "15"},   {"", "", "12"},
  };
  f.store.Set("CODE", "0");
  for (const auto& c : cases)
    EXPECT_NE(f.RunError("Mathematics", {c.a, c.b, c.code, "R"}), "") << c.a << " " << c.b << " " << c.code;
}

TEST_F(ExpressionCommandsTest, MathematicsResultVariable) {
  f.Run("Mathematics", {"1", "2", "0", "sum"});
  std::vector<std::string> list;
  f.store.ListAll(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], "SUM");  // created under its name in upper case
  EXPECT_EQ(list[1], "3");
  f.Run("Mathematics", {"2", "2", "0", "$sum$"});
  EXPECT_EQ(f.store.Get("SUM"), "4");
  f.Run("Mathematics", {"5", "5", "0", ""});
  EXPECT_EQ(f.store.Count(), 1u);
}

TEST_F(ExpressionCommandsTest, GeneratorFollowsItsSeedAndState) {
  ProcessMathGenerator().Reset();
  EXPECT_EQ(Math("1000", "", "15"), "0");  // unseeded
  EXPECT_EQ(Math("1103515245", "12345", "13"), "1103527590");
  EXPECT_EQ(Math("42", "", "14"), "42");
  // X = 1103515245 * state + 12345 in 32 bits; state = X mod 32767; R = X mod 1000.
  for (const char* expect : {"-621", "-510", "34", "555"}) EXPECT_EQ(Math("1000", "", "15"), expect);

  // A failing step leaves the sequence where it was.
  EXPECT_EQ(Math("42", "", "14"), "42");
  EXPECT_NE(f.RunError("Mathematics", {"0", "", "15", "R"}), "");
  EXPECT_EQ(Math("1000", "", "15"), "-621");

  // Seeds and states take the low 32 bits; the sum is of the full operands.
  EXPECT_EQ(Math("4294967297", "4294967301", "13"), "8589934598");
  EXPECT_EQ(Math("4294967298", "", "14"), "2");
  EXPECT_EQ(Math("1000", "", "15"), "7");  // 1 * 2 + 5
  ProcessMathGenerator().Reset();
}

TEST_F(ExpressionCommandsTest, EvaluateExpressionQuotesTheValuesOfItsReferences) {
  f.store.Set("NAME", "two words");
  f.store.Set("COUNT", "10");
  struct Case {
    const char* expression;
    const char* expect;
  } cases[] = {
      {R"x($NAME$="two words" and $COUNT$>"9")x", "TRUE"},
      {R"x($NAME$="two words" and ($COUNT$<"9" or $COUNT$="010"))x", "TRUE"},
      {R"x($MISSING$="x")x", "ERROR"},
      {"", ""},
  };
  for (const auto& c : cases) {
    f.Run("Evaluate Expression", {c.expression, "result"});
    EXPECT_EQ(f.store.Get("RESULT"), c.expect) << c.expression;
  }
  std::vector<std::string> list;
  f.store.ListAll(list);
  EXPECT_EQ(list[4], "RESULT");
}

}  // namespace
}  // namespace qv::script
