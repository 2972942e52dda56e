#include "script/conditions.h"

#include "common/text.h"

namespace qv::script {

namespace {

// The engine's text search finds no empty text, as in every other search of a script.
bool Contains(std::string_view haystack, std::string_view needle, bool ignoreCase) {
  if (needle.empty()) return false;
  return ignoreCase ? text::ContainsNoCase(haystack, needle) : haystack.find(needle) != std::string_view::npos;
}

bool CompareNumbers(std::string_view code, int32_t left, int32_t right) {
  if (code == "2") return left > right;
  return code == "0" || code == "1" || code == "3" || code == "4" ? left == right : false;
}

bool CompareTexts(std::string_view code, std::string_view left, std::string_view right) {
  if (code == "0") return left == right;
  if (code == "1") return Contains(left, right, false);
  // std::string_view compares bytes as unsigned characters.
  if (code == "2") return left.compare(right) > 0;
  if (code == "3") return Contains(left, right, true);
  if (code == "4") return text::EqualsNoCase(left, right);
  return false;
}

}  // namespace

bool CompareOperands(std::string_view code, std::string_view left, std::string_view right) {
  int32_t l = 0, r = 0;
  if (text::ParseInt32(left, l) && text::ParseInt32(right, r)) return CompareNumbers(code, l, r);
  return CompareTexts(code, left, right);
}

bool ParseConditionVersion(std::string_view text, ConditionVersion& version, std::string& badPart) {
  version.fill(0);
  for (int64_t& part : version) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
      if (!text::ParseInt64(text, part)) part = 0;
      break;
    }
    std::string_view piece = text.substr(0, dot);
    if (!text::ParseInt64(piece, part)) {
      badPart = std::string(piece);
      return false;
    }
    text.remove_prefix(dot + 1);
  }
  return true;
}

static ConditionVersion VersionOrFail(const CommandContext& context, std::string_view operand) {
  ConditionVersion version;
  std::string bad;
  if (!ParseConditionVersion(operand, version, bad))
    context.Fail("'" + bad + "' is not a valid integer value (version part of '" + std::string(operand) + "')");
  return version;
}

bool EvaluateCondition(CommandContext& context) {
  const std::string name = context.Localized(1, 1);
  const std::string value = context.Localized(3, 2);
  const std::string code = context.Param(2);
  const bool negate = IsTrue(context.Param(4));

  bool result;
  if (code == "5") {
    // Defined-ness tests the name exactly as written: "$X$" names a variable "$X$".
    result = context.Store().Exists(name);
  } else {
    VariableStore& store = context.Store();
    const std::string left = ResolveReference(store, name);
    const std::string right = store.ExpandVariables(value);
    if (code == "6")
      result = VersionOrFail(context, left) > VersionOrFail(context, right);
    else
      result = CompareOperands(code, left, right);
  }
  return result != negate;
}

}  // namespace qv::script
