#include "support/WindowQueries.h"

#include <tlhelp32.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win32/Handle.h"
#include "platform/win32/Wide.h"

namespace vimbrel::testing {

namespace {

// A program that does not answer within this is hung, and the case fails.
constexpr UINT kMessageTimeoutMs = 3000;

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &result)) {
    throw std::runtime_error("the window did not answer a message in time");
  }
  return static_cast<LRESULT>(result);
}

struct TopLevelSearch {
  DWORD process_id;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<TopLevelSearch*>(search_address);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process_id) search.found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM found_address) {
  reinterpret_cast<std::vector<HWND>*>(found_address)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD process_id) {
  TopLevelSearch search{process_id, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopLevel(DWORD process_id, const std::wstring& class_name, bool visible_only) {
  for (HWND window : TopLevelWindowsOf(process_id)) {
    if (visible_only && !IsWindowVisible(window)) continue;
    if (ClassNameOf(window) == class_name) return window;
  }
  return nullptr;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindDescendant(HWND parent, int control_id, const std::wstring& class_name) {
  for (HWND child : ChildrenOf(parent)) {
    if (GetDlgCtrlID(child) == control_id && ClassNameOf(child) == class_name) return child;
  }
  return nullptr;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring TextOf(HWND window) {
  const auto length = static_cast<std::size_t>(SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      SendWithTimeout(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, length));
  return text;
}

std::string Cp932TextOf(HWND window) { return win32::NarrowCp932(TextOf(window)); }

RECT WindowRectOf(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) throw std::runtime_error("the window is gone");
  return rect;
}

RECT RectInParent(HWND window) {
  RECT rect = WindowRectOf(window);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE ClientSizeOf(HWND window) {
  RECT rect{};
  if (!GetClientRect(window, &rect)) throw std::runtime_error("the window is gone");
  return {rect.right, rect.bottom};
}

std::vector<DWORD> ProcessesNamed(const std::wstring& file_name) {
  std::vector<DWORD> processes;
  const HANDLE snapshot_handle = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot_handle == INVALID_HANDLE_VALUE) return processes;
  win32::KernelObject snapshot(snapshot_handle);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, file_name.c_str()) == 0) processes.push_back(entry.th32ProcessID);
  }
  return processes;
}

std::wstring WindowsPathOf(const char* build_path) {
  std::string path(build_path);
  std::wstring wide(path.begin(), path.end());
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return (!path.empty() && path[0] == '/') ? L"Z:" + wide : wide;
}

}  // namespace vimbrel::testing
