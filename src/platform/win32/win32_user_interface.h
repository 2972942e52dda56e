#pragma once
// Windows the engine shows through the system's own ANSI window functions.
#include "platform/user_interface.h"

namespace qv::platform::win32 {

class Win32UserInterface final : public UserInterface {
 public:
  // 0 when the system could not show the box.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t style) override;
};

}  // namespace qv::platform::win32
