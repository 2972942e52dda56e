#include "script/expression.h"

#include <optional>

namespace qv::script {

namespace {

// An optional sign followed by at least one digit, nothing else.
bool IsIntegerText(std::string_view s) {
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IsComparisonOperator(std::string_view op) {
  return op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=";
}

// Compares two integer texts of any length: -1, 0 or 1.
int CompareIntegerTexts(std::string_view a, std::string_view b) {
  auto split = [](std::string_view s, bool& negative) {
    negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
    while (s.size() > 1 && s[0] == '0') s.remove_prefix(1);
    if (s == "0") negative = false;
    return s;
  };
  bool negA, negB;
  std::string_view digitsA = split(a, negA), digitsB = split(b, negB);
  if (negA != negB) return negA ? -1 : 1;
  // Without leading zeros the longer number is the larger; of equal length, the digits decide.
  int order = digitsA.size() != digitsB.size() ? (digitsA.size() < digitsB.size() ? -1 : 1) : digitsA.compare(digitsB);
  int magnitude = (order > 0) - (order < 0);
  return negA ? -magnitude : magnitude;
}

// A recursive-descent reader over the whole text. Every rule leaves the position where
// it stopped reading, so that the caller can tell leftover text from a complete parse.
class ExpressionParser {
 public:
  explicit ExpressionParser(std::string_view text) : s_(text) {}

  std::string Run() {
    std::optional<bool> value = Expression();
    SkipSpaces();
    if (pos_ < s_.size()) return "ERROR";
    if (!value) return "";
    return *value ? "TRUE" : "FALSE";
  }

 private:
  // term { ("and" | "or") term }, strictly left to right.
  std::optional<bool> Expression() {
    std::optional<bool> value = Term();
    while (value) {
      SkipSpaces();
      if (pos_ >= s_.size() || s_[pos_] == ')') break;
      std::string_view word = Word();
      bool isAnd = word == "and";
      if (!isAnd && word != "or") return std::nullopt;
      std::optional<bool> right = Term();
      if (!right) return std::nullopt;
      value = isAnd ? (*value && *right) : (*value || *right);
    }
    return value;
  }

  // "(" expression ")" | comparison. The ")" is taken even when the inside failed.
  std::optional<bool> Term() {
    SkipSpaces();
    if (pos_ < s_.size() && s_[pos_] == '(') {
      // Values inserted into the text can carry parentheses of their own; a limit on the
      // nesting keeps a hostile value from exhausting the stack.
      if (depth_ >= kMaxNesting) return std::nullopt;
      ++pos_;
      ++depth_;
      std::optional<bool> value = Expression();
      --depth_;
      SkipSpaces();
      if (pos_ < s_.size() && s_[pos_] == ')') {
        ++pos_;
        return value;
      }
      return std::nullopt;
    }
    return Comparison();
  }

  // quoted text, operator, quoted text.
  std::optional<bool> Comparison() {
    std::optional<std::string> left = Quoted();
    if (!left) return std::nullopt;
    SkipSpaces();
    std::string_view op = Word();
    if (!IsComparisonOperator(op)) return std::nullopt;
    std::optional<std::string> right = Quoted();
    if (!right) return std::nullopt;
    return CompareExpressionTexts(op, *left, *right);
  }

  // A text in double quotes; a doubled quote inside stands for one.
  std::optional<std::string> Quoted() {
    SkipSpaces();
    if (pos_ >= s_.size() || s_[pos_] != '"') return std::nullopt;
    ++pos_;
    std::string out;
    while (pos_ < s_.size()) {
      char c = s_[pos_++];
      if (c != '"') {
        out.push_back(c);
      } else if (pos_ < s_.size() && s_[pos_] == '"') {
        out.push_back('"');
        ++pos_;
      } else {
        return out;
      }
    }
    return std::nullopt;  // no closing quote
  }

  // The run of characters up to the next space or double quote.
  std::string_view Word() {
    size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] != ' ' && s_[pos_] != '"') ++pos_;
    return s_.substr(start, pos_ - start);
  }

  void SkipSpaces() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  static constexpr int kMaxNesting = 200;
  std::string_view s_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

bool CompareExpressionTexts(std::string_view op, std::string_view left, std::string_view right) {
  // std::string_view compares bytes as unsigned characters.
  int order = IsIntegerText(left) && IsIntegerText(right) ? CompareIntegerTexts(left, right) : left.compare(right);
  if (op == "=") return order == 0;
  if (op == "<>") return order != 0;
  if (op == "<") return order < 0;
  if (op == "<=") return order <= 0;
  if (op == ">") return order > 0;
  if (op == ">=") return order >= 0;
  return false;
}

std::string EvaluateExpression(std::string_view text) {
  std::string whole;
  whole.reserve(text.size() + 2);
  whole.append("(").append(text).append(")");
  return ExpressionParser(whole).Run();
}

bool ExpressionSyntaxValid(std::string_view expressionParameter) {
  std::string quoted(expressionParameter);
  for (char& c : quoted)
    if (c == '$') c = '"';
  return EvaluateExpression(quoted) != "ERROR";
}

}  // namespace qv::script
