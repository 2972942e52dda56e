#pragma once
// Windows the engine shows through the system's own ANSI window functions.
#include "platform/user_interface.h"

namespace qv::platform::win32 {

class Win32UserInterface final : public UserInterface {
 public:
  // 0 when the system could not show the box.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t style) override;
  // PeekMessageA / TranslateMessage / DispatchMessageA until the queue is empty. A quit
  // request met on the way is posted again and ends the pumping, so that the loop that
  // owns the queue still sees it.
  void ProcessMessages() override;
};

}  // namespace qv::platform::win32
