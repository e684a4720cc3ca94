#include "UserInput.h"

#include <iterator>
#include <stdexcept>
#include <vector>

namespace vimbrel::e2e {

namespace {

// A short pause between the events of one gesture, as a hand makes: the
// receiving program sees a press and a release as separate messages.
constexpr DWORD kGesturePauseMs = 30;

void Send(std::vector<INPUT> events) {
  const UINT count = static_cast<UINT>(events.size());
  if (SendInput(count, events.data(), sizeof(INPUT)) != count) {
    throw std::runtime_error("the system refused synthetic input");
  }
}

// Every mouse event carries its position, so that no event is taken at a
// position that a later move has not reached yet.
INPUT MouseAt(POINT point, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  // Absolute positions run from 0 to 65536 across the screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (point.x * 65536 + width / 2) / width;
  input.mi.dy = (point.y * 65536 + height / 2) / height;
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

bool IsExtendedKey(WORD virtual_key) {
  switch (virtual_key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

INPUT Key(WORD virtual_key, bool release) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtual_key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags =
      (release ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(virtual_key) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

}  // namespace

void MoveMouse(POINT point) {
  Send({MouseAt(point, 0)});
  Sleep(kGesturePauseMs);
}

void ClickAt(POINT point) {
  MoveMouse(point);
  Send({MouseAt(point, MOUSEEVENTF_LEFTDOWN)});
  Sleep(kGesturePauseMs);
  Send({MouseAt(point, MOUSEEVENTF_LEFTUP)});
  Sleep(kGesturePauseMs);
}

void ClickCentreOf(HWND window) {
  RECT bounds{};
  if (!GetWindowRect(window, &bounds)) throw std::runtime_error("no such window to click");
  ClickAt({(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2});
}

void DragMouse(POINT from, POINT to) {
  MoveMouse(from);
  Send({MouseAt(from, MOUSEEVENTF_LEFTDOWN)});
  Sleep(kGesturePauseMs);
  constexpr int kSteps = 10;
  for (int step = 1; step <= kSteps; ++step) {
    MoveMouse({from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps});
  }
  Send({MouseAt(to, MOUSEEVENTF_LEFTUP)});
  Sleep(kGesturePauseMs);
}

void PressKey(WORD virtual_key, std::initializer_list<WORD> modifiers) {
  for (WORD modifier : modifiers) Send({Key(modifier, false)});
  Send({Key(virtual_key, false)});
  Sleep(kGesturePauseMs);
  Send({Key(virtual_key, true)});
  for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier) {
    Send({Key(*modifier, true)});
  }
  Sleep(kGesturePauseMs);
}

void TypeText(std::string_view text) {
  for (char character : text) {
    SHORT key = VkKeyScanW(static_cast<wchar_t>(static_cast<unsigned char>(character)));
    if (key == -1) throw std::runtime_error("no key on this keyboard types that character");
    const WORD virtual_key = LOBYTE(key);
    if (HIBYTE(key) & 1) {
      PressKey(virtual_key, {VK_SHIFT});
    } else {
      PressKey(virtual_key);
    }
  }
}

}  // namespace vimbrel::e2e
