#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vimbrel::testbrowser {

// An open registry key, closed with the object.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey();

  // False when the key does not exist or cannot be opened.
  bool Open(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ);
  bool Create(HKEY parent, const std::wstring& path);

  std::optional<std::wstring> ReadString(const wchar_t* name) const;
  std::optional<DWORD> ReadDword(const wchar_t* name) const;
  bool WriteString(const wchar_t* name, const std::wstring& value) const;

 private:
  HKEY key_ = nullptr;
};

// How one browser process behaves, as the test set it before the process
// started.
struct Settings {
  std::wstring log_file;
  bool log_times = false;
  bool refuse_close = false;
  bool one_process = false;
  std::wstring refuse_close_at;
  std::wstring unknown_member;
  std::wstring fail_member;
  std::wstring hang_member;
  HRESULT fail_status = DISP_E_EXCEPTION;
  HRESULT fail_scode = 0;
  WORD fail_wcode = 0;
  std::optional<std::wstring> fail_description;
  DWORD start_delay_ms = 0;
  DWORD call_delay_ms = 0;
  DWORD load_ms = 0;
  DWORD accessible_hang_ms = 0;
  bool no_page_window = false;

  static Settings Read();
};

// Makes "InternetExplorer.Application" name the test browser at `exe_path`,
// keeping the class it named before so that Unregister can give it back.
// Registering again over a registration left behind keeps that first class.
bool Register(const std::wstring& exe_path);
bool Unregister();

}  // namespace vimbrel::testbrowser
