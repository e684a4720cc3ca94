#include "BrowserTour.h"

#include <cstdio>

#include "UserInput.h"
#include "platform/Texts.h"

namespace vimbrel::e2e {

namespace {

constexpr wchar_t kLogName[] = L"browser.log";

std::wstring TestBrowserPath() { return WindowsPathOf(VIMBREL_TEST_BROWSER_PATH); }

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

std::string WithoutTime(const std::string& line) {
  if (line.empty() || line[0] != '@') return line;
  const std::size_t blank = line.find(' ');
  return blank == std::string::npos ? std::string() : line.substr(blank + 1);
}

bool StartsWithAny(const std::string& line, std::initializer_list<const char*> kinds) {
  for (const char* kind : kinds) {
    if (line.rfind(kind, 0) == 0) return true;
  }
  return false;
}

}  // namespace

DWORD RunTestBrowser(const std::wstring& command_switch) {
  return RunningProgram(TestBrowserPath(), std::nullopt, command_switch).WaitForExitCode();
}

std::wstring ProgIdClass() {
  wchar_t value[64] = {};
  DWORD size = sizeof value;
  const std::wstring key = std::wstring(L"Software\\Classes\\") + browser::kProgId + L"\\CLSID";
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

bool AnyBrowserFrame() { return FindWindowW(browser::kFrameClass, nullptr) != nullptr; }

void EndProcess(DWORD process_id) {
  win32::KernelObject process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_id));
  if (!process.Valid() || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return;
  TerminateProcess(process.Get(), 1);
  EXPECT_EQ(WaitForSingleObject(process.Get(), 60000), WAIT_OBJECT_0)
      << "process " << process_id << " did not end";
}

bool AnyTestBrowserRuns() {
  for (const char* path : {VIMBREL_TEST_BROWSER_PATH, VIMBREL_CHROMIUM_TEST_BROWSER_PATH,
                           VIMBREL_FIREFOX_TEST_BROWSER_PATH}) {
    if (!ProcessesNamed(FileNameOf(WindowsPathOf(path))).empty()) return true;
  }
  return false;
}

std::string NavigateTo(const std::string& address) {
  std::string line = "invoke Navigate flags=1 named=- args=VT_BSTR|VT_BYREF:";
  char unit[8];
  for (std::size_t i = 0; i < address.size(); ++i) {
    std::snprintf(unit, sizeof unit, "%s%04X", i == 0 ? "" : ",",
                  static_cast<unsigned char>(address[i]));
    line += unit;
  }
  return line;
}

std::vector<std::string> LogOf(const ProgramFolder& folder) {
  std::vector<std::string> lines;
  win32::FileHandle file(CreateFileW((folder.Folder() + L"\\vimbrel.log").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string log;
  char buffer[4096];
  DWORD read = 0;
  while (file.Valid() && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    log.append(buffer, read);
  }
  for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    // "YYYY-MM-DD HH:MM:SS" and a TAB.
    lines.push_back(log.substr(start + 20, end - start - 20));
  }
  return lines;
}

bool BrowserTourTest::registered_ = false;

void BrowserTourTest::SetUpTestSuite() { registered_ = RunTestBrowser(L"/RegServer") == 0; }

void BrowserTourTest::TearDownTestSuite() { EXPECT_EQ(RunTestBrowser(L"/UnregServer"), 0u); }

void BrowserTourTest::SetUp() {
  ASSERT_TRUE(registered_) << "the test browser could not be registered";
  ASSERT_EQ(ProgIdClass(), browser::kClsid);
  ASSERT_TRUE(WaitUntil([] { return !AnyBrowserFrame(); }, 5s))
      << "a browser frame was left on the desktop";
  ASSERT_TRUE(WaitUntilNoBrowserRuns()) << "a browser process was left running";
  const std::wstring log_path = folder_.Folder() + L"\\" + kLogName;
  RegDeleteTreeW(HKEY_CURRENT_USER, browser::kSettingsKey);
  HKEY settings = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, browser::kSettingsKey, 0, nullptr, 0, KEY_WRITE,
                            nullptr, &settings, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(settings, browser::kLogFile, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(log_path.c_str()),
                 static_cast<DWORD>((log_path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(settings);
}

void BrowserTourTest::TearDown() {
  if (HasFailure()) {
    for (const std::string& line : BrowserLog()) std::printf("browser log: %s\n", line.c_str());
  }
  for (DWORD process : BrowserProcesses()) EndProcess(process);
  RegDeleteTreeW(HKEY_CURRENT_USER, browser::kSettingsKey);
}

void BrowserTourTest::WaitWholePageDisplayTimes() {
  folder_.WriteFile(L"vimbrel.ini", "[Vimbrel]\r\nReadPages=0\r\n");
}

void BrowserTourTest::SetBrowserSetting(const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, browser::kSettingsKey, name, REG_DWORD, &value,
                            sizeof value),
            ERROR_SUCCESS);
}

void BrowserTourTest::SetBrowserSetting(const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, browser::kSettingsKey, name, REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

std::vector<LogLine> BrowserTourTest::TimedBrowserLog() const {
  std::vector<LogLine> lines;
  const std::string log = folder_.ReadFile(kLogName).value_or("");
  for (std::size_t start = 0; start < log.size();) {
    std::size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    LogLine entry{0, WithoutTime(line)};
    if (line.size() > 1 && line[0] == '@') entry.micros = std::stoll(line.substr(1));
    lines.push_back(entry);
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> BrowserTourTest::BrowserLog() const {
  std::vector<std::string> lines;
  for (const LogLine& line : TimedBrowserLog()) lines.push_back(line.text);
  return lines;
}

std::vector<std::string> BrowserTourTest::BrowserLog(
    std::initializer_list<const char*> kinds) const {
  std::vector<std::string> found;
  for (const std::string& line : BrowserLog()) {
    if (StartsWithAny(line, kinds)) found.push_back(line);
  }
  return found;
}

std::vector<std::string> BrowserTourTest::LogOfBrowser(
    std::size_t index, std::initializer_list<const char*> kinds) const {
  std::vector<std::string> found;
  std::size_t starts = 0;
  for (const std::string& line : BrowserLog()) {
    if (line.rfind("start ", 0) == 0) ++starts;
    if (starts == index + 1 && StartsWithAny(line, kinds)) found.push_back(line);
  }
  return found;
}

std::vector<DWORD> BrowserTourTest::BrowserProcesses() const {
  std::vector<DWORD> processes;
  for (const std::string& line : BrowserLog({"start "})) {
    processes.push_back(static_cast<DWORD>(std::stoul(line.substr(6))));
  }
  return processes;
}

bool BrowserTourTest::WaitForBrowserLog(const char* kind, std::size_t count,
                                        std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return BrowserLog({kind}).size() >= count; }, timeout);
}

bool BrowserTourTest::BrowserInFront() const {
  const std::vector<DWORD> processes = BrowserProcesses();
  HWND front = GetForegroundWindow();
  DWORD owner = 0;
  GetWindowThreadProcessId(front, &owner);
  return !processes.empty() && owner == processes.back() &&
         ClassNameOf(front) == browser::kFrameClass;
}

bool BrowserTourTest::WaitUntilNoBrowserRuns() {
  return WaitUntil([] { return !AnyTestBrowserRuns(); }, 60s);
}

bool BrowserTourTest::WaitUntilNavigated() { return WaitForBrowserLog("invoke Navigate", 1, 20s); }

bool BrowserTourTest::WaitUntilBroughtToFront() {
  if (!WaitUntilNavigated()) return false;
  Program().Activate();
  return WaitUntil([&] { return BrowserInFront(); }, 10s);
}

bool BrowserTourTest::WaitUntilKeysSent() { return WaitForBrowserLog("activate", 1, 20s); }

bool BrowserTourTest::WaitUntilCloseRefused() { return WaitForBrowserLog("close refused", 1, 20s); }

void TourProgramTest::SetPageTime(const std::string& seconds) {
  HWND edit = Program().Control(ui::kPageTimeEdit, ui::kEditClass);
  Program().Activate();
  ClickCentreOf(edit);
  PressKey(VK_END);
  PressKey(VK_HOME, {VK_SHIFT});
  TypeText(seconds);
  ASSERT_TRUE(WaitUntil([&] { return Cp932TextOf(edit) == seconds; }, 3s));
}

HWND TourProgramTest::TourButton() { return Program().Control(ui::kTourButton, ui::kButtonClass); }

HWND TourProgramTest::DailyTourButton() {
  return Program().Control(ui::kDailyTourButton, ui::kButtonClass);
}

std::string TourProgramTest::TourCaption() { return Cp932TextOf(TourButton()); }

bool TourProgramTest::WaitForCaption(const char* caption, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return TourCaption() == caption; }, timeout);
}

bool TourProgramTest::WaitWithNoBox(const std::function<bool()>& done,
                                    std::chrono::milliseconds timeout) {
  return WaitUntil(
      [&] {
        EXPECT_FALSE(Program().HasMessageBox());
        return done();
      },
      timeout);
}

void TourProgramTest::StartTour() {
  ASSERT_EQ(TourCaption(), texts::kTourIdle) << Readable(TourCaption());
  Program().ClickButton(ui::kTourButton);
  ASSERT_TRUE(WaitForCaption(texts::kTourRunning, 3s)) << Readable(TourCaption());
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(DailyTourButton()); }, 3s));
}

void TourProgramTest::StopTour(std::chrono::milliseconds timeout, Press press) {
  ASSERT_EQ(TourCaption(), texts::kTourRunning) << Readable(TourCaption());
  if (press == Press::Mouse) {
    Program().ClickButton(ui::kTourButton);
  } else {
    PostMessageW(TourButton(), BM_CLICK, 0, 0);
  }
  EXPECT_TRUE(WaitForCaption(texts::kTourStopping, 3s)) << Readable(TourCaption());
  EXPECT_FALSE(IsWindowEnabled(TourButton()));
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, timeout)) << Readable(TourCaption());
  EXPECT_TRUE(IsWindowEnabled(TourButton()));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(DailyTourButton()) != FALSE; }, 3s));
}

}  // namespace vimbrel::e2e
