#include "Registry.h"

#include "TestBrowserSettings.h"

namespace vimbrel::testbrowser {

namespace {

// The merged class view of Wine 8 does not take HKEY_CURRENT_USER's classes
// into account: the ProgID is taken over where the system keeps it.
const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kProgIdClsidPath = kClasses + kProgId + L"\\CLSID";
const std::wstring kClassPath = kClasses + L"CLSID\\" + kClsid;
// Under the test browser's class key: the class the ProgID named before.
constexpr wchar_t kPreviousClsid[] = L"PreviousProgIdClsid";

}  // namespace

RegKey::~RegKey() {
  if (key_) RegCloseKey(key_);
}

bool RegKey::Open(HKEY parent, const std::wstring& path, REGSAM access) {
  return RegOpenKeyExW(parent, path.c_str(), 0, access, &key_) == ERROR_SUCCESS;
}

bool RegKey::Create(HKEY parent, const std::wstring& path) {
  return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                         nullptr) == ERROR_SUCCESS;
}

std::optional<std::wstring> RegKey::ReadString(const wchar_t* name) const {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

std::optional<DWORD> RegKey::ReadDword(const wchar_t* name) const {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

bool RegKey::WriteString(const wchar_t* name, const std::wstring& value) const {
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        size) == ERROR_SUCCESS;
}

Settings Settings::Read() {
  Settings settings;
  RegKey key;
  if (!key.Open(HKEY_CURRENT_USER, kSettingsKey)) return settings;
  settings.log_file = key.ReadString(kLogFile).value_or(L"");
  settings.log_times = key.ReadDword(kLogTimes).value_or(0) != 0;
  settings.refuse_close = key.ReadDword(kRefuseClose).value_or(0) != 0;
  settings.one_process = key.ReadDword(kOneProcess).value_or(0) != 0;
  settings.refuse_close_at = key.ReadString(kRefuseCloseAt).value_or(L"");
  settings.unknown_member = key.ReadString(kUnknownMember).value_or(L"");
  settings.fail_member = key.ReadString(kFailMember).value_or(L"");
  settings.hang_member = key.ReadString(kHangMember).value_or(L"");
  settings.fail_status =
      static_cast<HRESULT>(key.ReadDword(kFailStatus).value_or(DISP_E_EXCEPTION));
  settings.fail_scode = static_cast<HRESULT>(key.ReadDword(kFailScode).value_or(0));
  settings.fail_wcode = static_cast<WORD>(key.ReadDword(kFailWCode).value_or(0));
  settings.fail_description = key.ReadString(kFailDescription);
  settings.start_delay_ms = key.ReadDword(kStartDelayMs).value_or(0);
  settings.call_delay_ms = key.ReadDword(kCallDelayMs).value_or(0);
  settings.load_ms = key.ReadDword(kLoadMs).value_or(0);
  settings.accessible_hang_ms = key.ReadDword(kAccessibleHangMs).value_or(0);
  settings.no_page_window = key.ReadDword(kNoPageWindow).value_or(0) != 0;
  return settings;
}

bool Register(const std::wstring& exe_path) {
  RegKey class_key;
  RegKey server_key;
  RegKey prog_id_key;
  if (!class_key.Create(HKEY_LOCAL_MACHINE, kClassPath) ||
      !server_key.Create(HKEY_LOCAL_MACHINE, kClassPath + L"\\LocalServer32") ||
      !prog_id_key.Create(HKEY_LOCAL_MACHINE, kProgIdClsidPath)) {
    return false;
  }
  const std::optional<std::wstring> current = prog_id_key.ReadString(nullptr);
  if (current && *current != kClsid && !class_key.WriteString(kPreviousClsid, *current)) {
    return false;
  }
  return class_key.WriteString(nullptr, L"Vimbrel test browser") &&
         server_key.WriteString(nullptr, L"\"" + exe_path + L"\"") &&
         prog_id_key.WriteString(nullptr, kClsid);
}

bool Unregister() {
  // The ProgID is given back before the class key that remembers its class
  // goes, so that an interrupted run can be unregistered again.
  RegKey prog_id_key;
  if (prog_id_key.Open(HKEY_LOCAL_MACHINE, kProgIdClsidPath, KEY_READ | KEY_WRITE) &&
      prog_id_key.ReadString(nullptr) == std::wstring(kClsid)) {
    RegKey class_key;
    std::optional<std::wstring> previous;
    if (class_key.Open(HKEY_LOCAL_MACHINE, kClassPath))
      previous = class_key.ReadString(kPreviousClsid);
    if (previous) {
      if (!prog_id_key.WriteString(nullptr, *previous)) return false;
    } else if (RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + kProgId).c_str()) != ERROR_SUCCESS) {
      return false;
    }
  }
  const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassPath.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace vimbrel::testbrowser
