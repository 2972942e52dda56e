#pragma once
// The condition record of "If", "Else If", "While" and "Until": parameter 1 the variable,
// 2 the operator code "0" to "6", 3 the comparison value, 4 "TRUE" to negate.
#include "script/command_context.h"

namespace qv::script {

// The condition of the context's line; a malformed version operand is a runtime error.
bool EvaluateCondition(CommandContext& context);

}  // namespace qv::script
