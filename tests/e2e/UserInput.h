#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

namespace vimbrel::e2e {

// Input as the user gives it: through the system's input queue, so it reaches
// whatever window is under the mouse or has the keyboard focus, as the
// hardware's would.

// Moves the mouse to `point` (screen coordinates).
void MoveMouse(POINT point);
// Moves the mouse to `point` and clicks the left button.
void ClickAt(POINT point);
// Clicks the middle of a window's rectangle on the screen.
void ClickCentreOf(HWND window);
// Presses the left button at `from`, moves to `to` in small steps and lets go.
void DragMouse(POINT from, POINT to);

// Presses and releases one key while `modifiers` (VK_SHIFT, VK_CONTROL,
// VK_MENU) are held down.
void PressKey(WORD virtual_key, std::initializer_list<WORD> modifiers = {});
// Types printable ASCII text key by key, with Shift where the keyboard layout
// needs it.
void TypeText(std::string_view text);

}  // namespace vimbrel::e2e
