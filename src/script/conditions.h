#pragma once
// The condition record of "If", "Else If", "While" and "Until": parameter 1 the variable,
// 2 the operator code "0" to "6", 3 the comparison value, 4 "TRUE" to negate.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/command_context.h"

namespace qv::script {

// The condition of the context's line; a malformed version operand is a runtime error.
bool EvaluateCondition(CommandContext& context);

// Operators "0" to "4" on prepared operands: compared as numbers when both convert to
// 32-bit integers, else as text (byte-wise, or without regard to letter case for "3" and
// "4"). Any other code is false.
bool CompareOperands(std::string_view code, std::string_view left, std::string_view right);

// A version operand of operator "6": up to four numbers separated by "."; a missing part
// is 0 and the last part is 0 when it is not a number. False, with the offending part,
// when a part that a "." follows is not a number.
using ConditionVersion = std::array<int64_t, 4>;
bool ParseConditionVersion(std::string_view text, ConditionVersion& version, std::string& badPart);

}  // namespace qv::script
