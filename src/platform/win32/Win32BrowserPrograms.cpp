#include "platform/win32/Win32BrowserPrograms.h"

#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

constexpr wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::wstring AsWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The default value of `key_path` as text, with REG_EXPAND_SZ expanded and
// surrounding quotes taken off; empty when there is none.
std::wstring RegisteredPath(HKEY hive, const std::wstring& key_path, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(hive, key_path.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
    return {};
  }
  RegistryKey key(opened);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  if (type == REG_EXPAND_SZ) {
    std::wstring expanded(ExpandEnvironmentStringsW(value.c_str(), nullptr, 0), L'\0');
    const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
    expanded.resize(length > 0 ? length - 1 : 0);
    value = std::move(expanded);
  }
  if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The system's text for `error` about `program` ("%1 is not a valid Win32
// application"), cut of trailing blanks and dots.
std::string SystemText(DWORD error, const std::wstring& program) {
  std::wstring text = SystemMessage(error);
  const std::size_t insert = text.find(L"%1");
  if (insert != std::wstring::npos) text.replace(insert, 2, program);
  return TrimTrailingBlanksAndDots(NarrowCp932(text));
}

}  // namespace

std::optional<Path> Win32BrowserPrograms::Registered(std::string_view exe_name) {
  const std::wstring key_path = kAppPaths + WidenCp932(exe_name);
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      const std::wstring path = RegisteredPath(hive, key_path, view);
      if (!path.empty()) return Path(path.begin(), path.end());
    }
  }
  return std::nullopt;
}

void Win32BrowserPrograms::Start(const Path& program, const std::vector<std::string>& arguments) {
  std::vector<std::u16string> wide_arguments;
  for (const std::string& argument : arguments) {
    const std::wstring wide = WidenCp932(argument);
    wide_arguments.emplace_back(wide.begin(), wide.end());
  }
  // The program is named on its own too, so that its path is never searched
  // for or split at a blank.
  std::wstring command_line = AsWide(CommandLineFor(program, wide_arguments));
  const std::wstring program_path = AsWide(program);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &started)) {
    const DWORD error = GetLastError();
    const std::string name = NarrowCp932(program_path);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME) {
      throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotFound, name));
    }
    throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotStarted, name) + ": " +
                        SystemText(error, program_path));
  }
  // Not followed: a browser already running takes the request over from the
  // process started here, which then ends at once.
  KernelObject process(started.hProcess);
  KernelObject thread(started.hThread);
}

}  // namespace vimbrel::win32
