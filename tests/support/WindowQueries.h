#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace vimbrel::testing {

using namespace std::chrono_literals;

// Polls `done` until it holds or `timeout` has passed; tells which.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(20);
  }
}

// Windows of another process, read from outside as a tool for the blind or a
// test robot would: class names, rectangles and texts through messages, with
// a time limit on every message sent.

std::vector<HWND> TopLevelWindowsOf(DWORD process_id);
// The first top-level window of the process with that class; null if none.
HWND FindTopLevel(DWORD process_id, const std::wstring& class_name, bool visible_only);
// A child or grandchild with that control id and class; null if none.
HWND FindDescendant(HWND parent, int control_id, const std::wstring& class_name);
std::vector<HWND> ChildrenOf(HWND parent);

std::wstring ClassNameOf(HWND window);
// The window's text through WM_GETTEXT, which reaches into the other process.
std::wstring TextOf(HWND window);
// The same as the program's own bytes, in code page 932.
std::string Cp932TextOf(HWND window);

RECT WindowRectOf(HWND window);
// The window's rectangle relative to its parent's client area.
RECT RectInParent(HWND window);
SIZE ClientSizeOf(HWND window);
inline int WidthOf(const RECT& rect) { return rect.right - rect.left; }
inline int HeightOf(const RECT& rect) { return rect.bottom - rect.top; }

// Ids of the running processes whose program file has the name `file_name`.
std::vector<DWORD> ProcessesNamed(const std::wstring& file_name);

// A path of the build tree as Wine sees it: the Unix file system is Z:.
std::wstring WindowsPathOf(const char* build_path);

}  // namespace vimbrel::testing
