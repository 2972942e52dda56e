#include "platform/win32/win32_error_text.h"

#include <windows.h>

namespace qv::platform::win32 {

std::string SystemErrorText(ErrorCode code) {
  char* buffer = nullptr;
  // Language 0: the thread's, then the user's, then the system's language.
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (n && buffer) text.assign(buffer, n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? StandardErrorText(code) : text;
}

}  // namespace qv::platform::win32
