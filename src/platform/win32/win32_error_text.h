#pragma once
#include <string>

#include "platform/errors.h"

namespace qv::platform::win32 {

// The system's text for an error number in the user's language, without the trailing
// period and line break; the standard English text when the system has none.
std::string SystemErrorText(ErrorCode code);

}  // namespace qv::platform::win32
