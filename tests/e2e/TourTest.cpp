// Tours against the test browser, which stands in for Internet Explorer in
// the test prefix and logs what it is asked and which keys it gets.
#include <cstdio>

#include "ProgramTest.h"
#include "TestBrowserSettings.h"
#include "UserInput.h"
#include "platform/Texts.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;
namespace browser = testbrowser;

std::wstring TestBrowserPath() { return WindowsPathOf(VIMBREL_TEST_BROWSER_PATH); }

// Runs the test browser with one switch and returns its exit code.
DWORD RunTestBrowser(const std::wstring& command_switch) {
  return RunningProgram(TestBrowserPath(), std::nullopt, command_switch).WaitForExitCode();
}

class TourTest : public ProgramTest {
 public:
  static void SetUpTestSuite() { registered_ = RunTestBrowser(L"/RegServer") == 0; }
  static void TearDownTestSuite() { EXPECT_EQ(RunTestBrowser(L"/UnregServer"), 0u); }

 protected:
  void SetUp() override {
    ASSERT_TRUE(registered_) << "the test browser could not be registered";
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

  // Browsers that a tour left behind go with the case.
  void TearDown() override {
    for (const std::string& line : BrowserLog()) {
      if (line.rfind("start ", 0) != 0) continue;
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                   static_cast<DWORD>(std::stoul(line.substr(6))));
      if (process == nullptr) continue;
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
      }
      CloseHandle(process);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, browser::kSettingsKey);
  }

  std::vector<std::string> BrowserLog() const {
    std::vector<std::string> lines;
    const std::string log = folder_.ReadFile(kLogName).value_or("");
    for (std::size_t start = 0; start < log.size();) {
      std::size_t end = log.find('\n', start);
      if (end == std::string::npos) end = log.size();
      lines.push_back(log.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
  // The lines that begin with one of `kinds`, in order.
  std::vector<std::string> BrowserLog(std::initializer_list<const char*> kinds) const {
    std::vector<std::string> found;
    for (const std::string& line : BrowserLog()) {
      for (const char* kind : kinds) {
        if (line.rfind(kind, 0) == 0) found.push_back(line);
      }
    }
    return found;
  }

  // Types `seconds` over the page display time, as the user does.
  void SetPageTime(const std::string& seconds) {
    HWND edit = Program().Control(ui::kPageTimeEdit, ui::kEditClass);
    Program().Activate();
    ClickCentreOf(edit);
    PressKey(VK_END);
    PressKey(VK_HOME, {VK_SHIFT});
    TypeText(seconds);
    ASSERT_TRUE(WaitUntil([&] { return Cp932TextOf(edit) == seconds; }, 3s));
  }

  std::string TourCaption() {
    return Cp932TextOf(Program().Control(ui::kTourButton, ui::kButtonClass));
  }

 private:
  static constexpr wchar_t kLogName[] = L"browser.log";
  static bool registered_;
};

bool TourTest::registered_ = false;

// How the browser logs a navigation: the address as UTF-16 code units.
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

TEST_F(TourTest, VisitsEveryRowWithItsKeysAndEndsByItself) {
  const std::string list = Sjis(
      "No,URL,タブ数,逆タブ数\r\n"
      "1,page1.htm,2,0\r\n"
      "2,page2.htm,0,1\r\n");
  folder_.WriteListFile(list);
  Start().MainWindow();
  SetPageTime("1");

  Program().ClickButton(ui::kTourButton);
  EXPECT_TRUE(WaitUntil([&] { return TourCaption() == texts::kTourRunning; }, 3s));
  // Two rows of about 4 seconds each with a page display time of 1, and
  // time for Wine to start each browser.
  EXPECT_TRUE(WaitUntil([&] { return TourCaption() == texts::kTourIdle; }, 30s))
      << Readable(TourCaption());
  ExpectNoMessageBox();

  EXPECT_EQ(BrowserLog({"invoke Navigate"}),
            (std::vector<std::string>{NavigateTo("page1.htm"), NavigateTo("page2.htm")}));
  // Two TABs from the page reach the second of its four links; one Shift+TAB
  // the last.
  EXPECT_EQ(
      BrowserLog({"activate", "close"}),
      (std::vector<std::string>{"activate link2", "close Quit", "activate link4", "close Quit"}));
  // A tour changes nothing in the list: closing asks nothing.
  CloseExpectingCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), list);
}

TEST_F(TourTest, StopsWhenAskedAndGoesNoFurther) {
  folder_.WriteListFile(
      Sjis("No,URL,タブ数,逆タブ数\r\n"
           "1,page1.htm,2,0\r\n"
           "2,page2.htm,0,1\r\n"));
  Start().MainWindow();
  SetPageTime("2");
  HWND tour = Program().Control(ui::kTourButton, ui::kButtonClass);

  Program().ClickButton(ui::kTourButton);
  ASSERT_TRUE(WaitUntil([&] { return !BrowserLog({"invoke Navigate"}).empty(); }, 15s));
  Program().ClickButton(ui::kTourButton);
  EXPECT_TRUE(WaitUntil([&] { return TourCaption() == texts::kTourStopping; }, 3s))
      << Readable(TourCaption());
  EXPECT_FALSE(IsWindowEnabled(tour));
  EXPECT_TRUE(WaitUntil([&] { return TourCaption() == texts::kTourIdle; }, 10s))
      << Readable(TourCaption());
  EXPECT_TRUE(IsWindowEnabled(tour));
  ExpectNoMessageBox();
  EXPECT_EQ(BrowserLog({"invoke Navigate"}), std::vector<std::string>{NavigateTo("page1.htm")});
  CloseExpectingCleanExit();
}

TEST_F(TourTest, APageTimeThatIsNoNumberHaltsTheTourInTheErrorBox) {
  folder_.WriteListFile(WorkedExampleBytes());
  Start().MainWindow();
  SetPageTime("abc");

  Program().ClickButton(ui::kTourButton);
  MessageBoxView box = Program().WaitForMessageBox();
  EXPECT_EQ(box.Text(), Sjis("'0abc' は整数ではありません.")) << Readable(box.Text());
  EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
  box.Press(IDOK);
  // Halted: no step is left to run.
  Sleep(1500);
  ExpectNoMessageBox();
  EXPECT_EQ(TourCaption(), texts::kTourRunning);
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
