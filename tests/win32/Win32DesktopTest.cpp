#include "platform/win32/Win32Desktop.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace vimbrel::win32 {
namespace {

// A frame whose class was registered in another letter case is found by the
// search, and so must pass the check before keys are sent to it.
TEST(Win32Desktop, TellsAFrameClassWithoutRegardToCase) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"ieframe";
  ASSERT_NE(RegisterClassW(&window_class), 0);
  HWND frame = CreateWindowW(L"ieframe", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             window_class.hInstance, nullptr);
  ASSERT_NE(frame, nullptr);
  Win32Desktop desktop({});
  const auto handle = reinterpret_cast<WindowHandle>(frame);
  EXPECT_EQ(desktop.FindTopLevelWindow("IEFrame"), handle);
  EXPECT_TRUE(desktop.HasClass(handle, "IEFrame"));
  EXPECT_FALSE(desktop.HasClass(handle, "IEFrame2"));
  DestroyWindow(frame);
}

}  // namespace
}  // namespace vimbrel::win32
