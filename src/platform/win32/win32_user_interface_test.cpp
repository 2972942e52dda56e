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

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The pump empties the queue; a quit request in it stays for the loop that owns the queue.
TEST(Win32UserInterfaceTest, ProcessesWaitingMessagesAndKeepsAQuitRequest) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "qv pump test";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "qv pump test", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  int handled = 0;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));

  Win32UserInterface ui;
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP + 1, 0, 0);
  ui.ProcessMessages();
  EXPECT_EQ(handled, 3);
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));

  PostMessageA(window, WM_APP + 1, 0, 0);
  PostQuitMessage(7);
  ui.ProcessMessages();
  EXPECT_EQ(handled, 4);
  ASSERT_TRUE(PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(left.message, UINT(WM_QUIT));
  EXPECT_EQ(left.wParam, 7u);
  DestroyWindow(window);
  UnregisterClassA("qv pump test", GetModuleHandleA(nullptr));
}

}  // namespace
}  // namespace qv::platform::win32
