#pragma once
// The expression language of "Evaluate Expression": comparisons of quoted texts joined
// by "and" / "or", evaluated from left to right.
#include <string>
#include <string_view>

namespace qv::script {

// Evaluates a text whose variable references were already replaced by quoted values:
// "TRUE" or "FALSE", "ERROR" when text is left over, empty when nothing matched.
std::string EvaluateExpression(std::string_view text);

// The build-time and start-up check of an expression parameter: with every "$" taken as
// a double quote, the expression must not give "ERROR".
bool ExpressionSyntaxValid(std::string_view expressionParameter);

// One comparison of the language: "=", "<>", "<", "<=", ">" or ">=" on two texts, as
// numbers when both are integers (sign and digits), else byte-wise. False for any other
// operator.
bool CompareExpressionTexts(std::string_view op, std::string_view left, std::string_view right);

}  // namespace qv::script
