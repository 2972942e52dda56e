#pragma once
// Windows the engine shows. Handles are opaque numbers (0: no window).
#include <cstdint>
#include <string>

namespace qv::platform {

using WindowHandle = uintptr_t;

// Message box styles and answers, with the system's values.
namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kAbortRetryIgnore = 0x2;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kRetryCancel = 0x5;
inline constexpr uint32_t kIconError = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows a modal message box and returns the button pressed.
  virtual int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                             uint32_t style) = 0;
  // Handles the window messages waiting in the calling thread's queue, then returns.
  virtual void ProcessMessages() = 0;
};

}  // namespace qv::platform
