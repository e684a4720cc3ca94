// A DLL that a test plants beside the program under the name of one that the
// system loads: whatever process loads it leaves a marker beside it, named as
// the DLL with ".loaded" added, holding that process's path in UTF-16. It
// exports nothing, so a program that needs the real DLL's functions fails to
// start.
#include <windows.h>

#include <string>

namespace {

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const std::wstring marker = ModulePath(instance) + L".loaded";
  const std::wstring process = ModulePath(nullptr);
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, process.data(), static_cast<DWORD>(process.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
