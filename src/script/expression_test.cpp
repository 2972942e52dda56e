#include "script/expression.h"

#include <gtest/gtest.h>

namespace qv::script {
namespace {

TEST(Expression, ParsesAndEvaluatesFromLeftToRight) {
  struct Case {
    const char* text;
    const char* expect;
  } cases[] = {
      {R"x("a"="a")x", "TRUE"},
      {R"x("a"="b")x", "FALSE"},
      {R"x(  "a"  =  "a"  )x", "TRUE"},
      // No precedence: (T or F) and F, then (F and F) or T.
      {R"x("1"="1" or "1"="2" and "1"="2")x", "FALSE"},
      {R"x("1"="2" and "1"="2" or "1"="1")x", "TRUE"},
      {R"x("1"="1" or ("1"="2" and "1"="2"))x", "TRUE"},
      // Every operator, on numbers and on texts.
      {R"x("a"<>"b")x", "TRUE"},
      {R"x("a"<="a")x", "TRUE"},
      {R"x("b">="c")x", "FALSE"},
      {R"x("10">"9")x", "TRUE"},
      {R"x("10">"9a")x", "FALSE"},
      {R"x("-5"<"+3")x", "TRUE"},
      {R"x("007"="7")x", "TRUE"},
      {R"x("-0"="+0")x", "TRUE"},
      {R"x("99999999999999999999999">"1")x", "TRUE"},
      {R"x("-99999999999999999999999"<"-1")x", "TRUE"},
      {R"x("1.5">"1")x", "TRUE"},
      {R"x("a"<"B")x", "FALSE"},
      {R"x("")x", ""},
      {R"x(""="")x", "TRUE"},
      // A doubled quote inside a quoted text is one quote.
      {R"x("say ""hi"""="say ""hi""")x", "TRUE"},
      {R"x("a""b"="ab")x", "FALSE"},
      // Nested parentheses.
      {R"x((("1"="1") and ("2"="2")))x", "TRUE"},
      {R"x(("1"="2" or ("3"="3" and ("4"="4"))))x", "TRUE"},
      {R"x(((("1"="2"))))x", "FALSE"},
      // Malformed input: text left over is "ERROR", a failure that used up the text is empty.
      {R"x("a"=>"b")x", "ERROR"},
      {R"x("a"=="b")x", "ERROR"},
      {R"x("1"="1" xor "1"="1")x", "ERROR"},
      {R"x("1"="1" AND "1"="1")x", "ERROR"},
      {R"x("1"="1" "1"="1")x", "ERROR"},
      {R"x("1"="1"))x", "ERROR"},
      {R"x(a="a")x", "ERROR"},
      {R"x(("1"="1")x", ""},
      {R"x("abc)x", ""},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateExpression(c.text), c.expect) << c.text;
}

TEST(Expression, DeepNestingFailsInsteadOfExhaustingTheStack) {
  std::string deep = std::string(100000, '(') + R"x("a"="a")x" + std::string(100000, ')');
  EXPECT_EQ(EvaluateExpression(deep), "ERROR");
  std::string fine = std::string(50, '(') + R"x("a"="a")x" + std::string(50, ')');
  EXPECT_EQ(EvaluateExpression(fine), "TRUE");
}

TEST(Expression, SyntaxCheckTakesDollarSignsAsQuotes) {
  EXPECT_TRUE(ExpressionSyntaxValid(R"x($NAME$="x")x"));
  EXPECT_TRUE(ExpressionSyntaxValid(R"x($A$=$B$ and ($C$<>"1"))x"));
  EXPECT_TRUE(ExpressionSyntaxValid(""));
  EXPECT_FALSE(ExpressionSyntaxValid(R"x($NAME$=>"x")x"));
  EXPECT_FALSE(ExpressionSyntaxValid(R"x($NAME$="x" AND $B$="y")x"));
}

}  // namespace
}  // namespace qv::script
