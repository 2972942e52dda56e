#include "platform/win32/win32_user_interface.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

namespace qv::platform::win32 {
namespace {

// Shows a real message box and answers it from another thread, the way a user would.
TEST(Win32UserInterfaceTest, ShowsTheMessageBoxWithItsOwnerTextAndButtons) {
  HWND owner = CreateWindowExA(0, "STATIC", "qv owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (!owner) GTEST_SKIP() << "no windows without a display";
  const std::string caption = "qv message box " + std::to_string(GetCurrentProcessId());
  std::atomic<bool> found{false};
  HWND seenOwner = nullptr;
  char seenText[256] = "";
  std::thread answer([&] {
    for (int i = 0; i < 500 && !found; ++i) {
      HWND box = FindWindowA("#32770", caption.c_str());
      if (box && IsWindowVisible(box)) {
        seenOwner = GetWindow(box, GW_OWNER);
        GetDlgItemTextA(box, 0xFFFF, seenText, sizeof seenText);  // the text of a message box
        found = true;
        PostMessageA(box, WM_COMMAND, IDNO, 0);
      }
      Sleep(20);
    }
  });
  Win32UserInterface ui;
  int pressed = ui.ShowMessageBox(reinterpret_cast<WindowHandle>(owner), "Go on?", caption,
                                  mb::kYesNo | mb::kIconQuestion);
  answer.join();
  DestroyWindow(owner);
  if (pressed == 0 && !found) GTEST_SKIP() << "the system could not show the box";
  ASSERT_TRUE(found);
  EXPECT_EQ(pressed, mb::kIdNo);
  EXPECT_EQ(seenOwner, owner);
  EXPECT_STREQ(seenText, "Go on?");
}

}  // namespace
}  // namespace qv::platform::win32
