#include "platform/win32/win32_user_interface.h"

#include <windows.h>

namespace qv::platform::win32 {

int Win32UserInterface::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                       uint32_t style) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

void Win32UserInterface::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace qv::platform::win32
