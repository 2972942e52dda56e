#include "platform/win32/win32_user_interface.h"

#include <windows.h>

namespace qv::platform::win32 {

int Win32UserInterface::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                       uint32_t style) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace qv::platform::win32
