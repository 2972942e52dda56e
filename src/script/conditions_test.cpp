#include "script/conditions.h"

#include <gtest/gtest.h>

#include "support/command_fixture.h"

namespace qv::script {
namespace {

TEST(Conditions, OperatorsCompareAsNumbersOnlyWhenBothOperandsAre32BitIntegers) {
  struct Case {
    const char* code;
    const char* left;
    const char* right;
    bool expect;
  } cases[] = {
      {"0", "10", "010", true},    // both integers: equal
      {"0", "abc", "ABC", false},  // text: letter case counts
      {"4", "abc", "ABC", true},
      {"0", "-5", "-05", true},
      {"1", "10", "1", false},  // "contains" on two numbers is equality
      {"1", "a10", "1", true},
      {"1", "A10", "a", false},
      {"3", "A10", "a", true},
      {"3", "10", "1", false},
      {"1", "abc", "", false},  // an empty text is never found
      {"2", "10", "9", true},   // numbers
      {"2", "10", "9a", false}, // text: "1" sorts before "9"
      {"2", "a", "B", true},    // byte-wise: lower case sorts after upper case
      {"2", "\xE9", "z", true}, // bytes above 127 sort last
      {"2", "abc", "abc", false},
      {"4", "10", "010", true},
      // Outside 32 bits the operands are texts: "3000000000" sorts before "9".
      {"2", "3000000000", "9", false},
      {"0", "4294967296", "0", false},
      {"7", "x", "x", false},  // unknown codes are false
      {"", "x", "x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareOperands(c.code, c.left, c.right), c.expect) << c.code << " " << c.left << " " << c.right;
}

TEST(Conditions, VersionsCompareFourPartsFromTheLeft) {
  struct Case {
    const char* text;
    ConditionVersion expect;
  } cases[] = {
      {"2.0", {2, 0, 0, 0}},
      {"1.9.9.9", {1, 9, 9, 9}},
      {"1.2.3.4.5", {1, 2, 3, 4}},  // a fifth part is not read
      {"1.2.beta", {1, 2, 0, 0}},   // the last part reads 0 when it is not a number
      {"1.2.", {1, 2, 0, 0}},
      {"", {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    ConditionVersion v;
    std::string bad;
    ASSERT_TRUE(ParseConditionVersion(c.text, v, bad)) << c.text;
    EXPECT_EQ(v, c.expect) << c.text;
  }
  for (const char* malformed : {"1.x.3", "a.1", "1..2", "1.2.3.x.5"}) {
    ConditionVersion v;
    std::string bad = "unset";
    EXPECT_FALSE(ParseConditionVersion(malformed, v, bad)) << malformed;
    EXPECT_NE(bad, "unset");
  }
}

class ConditionTest : public ::testing::Test {
 protected:
  bool Evaluate(const std::string& variable, const std::string& code, const std::string& value,
                const std::string& negate = "") {
    f.SetScript({{"If", {variable, code, value, negate}}});
    CommandContext context(f.engine, f.run, 0);
    return EvaluateCondition(context);
  }
  testing::CommandFixture f;
};

TEST_F(ConditionTest, LeftOperandIsTheNamedVariablesExpandedValue) {
  f.store.Set("PATH", "$ROOT$\\app");
  f.store.Set("ROOT", "C:");
  f.store.Set("WANT", "C:\\APP");
  EXPECT_TRUE(Evaluate("PATH", "0", "C:\\app"));
  EXPECT_TRUE(Evaluate("$PATH$", "0", "C:\\app"));
  EXPECT_TRUE(Evaluate("path", "4", "$WANT$"));
  EXPECT_FALSE(Evaluate("PATH", "0", "$WANT$"));
  // An unknown variable reads as empty text.
  EXPECT_TRUE(Evaluate("MISSING", "0", ""));
}

TEST_F(ConditionTest, OperatorFiveTestsTheNameExactlyAsWritten) {
  f.store.Set("EMPTY", "");
  EXPECT_TRUE(Evaluate("EMPTY", "5", ""));
  EXPECT_TRUE(Evaluate("empty", "5", ""));
  EXPECT_FALSE(Evaluate("$EMPTY$", "5", ""));
  EXPECT_FALSE(Evaluate("ABSENT", "5", ""));
}

TEST_F(ConditionTest, ParameterFourNegatesByTheTruthTest) {
  f.store.Set("X", "1");
  EXPECT_FALSE(Evaluate("X", "0", "1", "TRUE"));
  EXPECT_FALSE(Evaluate("X", "0", "1", "true"));
  EXPECT_FALSE(Evaluate("X", "0", "1", "-1"));
  EXPECT_TRUE(Evaluate("X", "0", "1", "1"));
  EXPECT_TRUE(Evaluate("X", "0", "2", "TRUE"));
  EXPECT_TRUE(Evaluate("ABSENT", "5", "", "TRUE"));
}

TEST_F(ConditionTest, VersionGreater) {
  f.store.Set("V", "2.0");
  EXPECT_TRUE(Evaluate("V", "6", "1.9.9.9"));
  f.store.Set("V", "1.2");
  EXPECT_FALSE(Evaluate("V", "6", "1.2.0.0"));
  f.store.Set("V", "1.10");
  EXPECT_TRUE(Evaluate("V", "6", "1.9"));
  EXPECT_FALSE(Evaluate("V", "6", "1.9", "TRUE"));
  f.store.Set("V", "1.x.0");
  EXPECT_THROW(Evaluate("V", "6", "1.0"), EngineError);
  f.store.Set("V", "1.0");
  EXPECT_THROW(Evaluate("V", "6", "1.y.0"), EngineError);
}

}  // namespace
}  // namespace qv::script
