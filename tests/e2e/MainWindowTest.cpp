// The main window as the user handles it: the page display time field with
// its spin control, sizing the window, and starting maximised.
#include <functional>

#include "ProgramTest.h"
#include "UserInput.h"

namespace vimbrel::e2e {
namespace {

class MainWindowTest : public ProgramTest {};

TEST_F(MainWindowTest, CannotBeMadeSmallerThanItsMinimumSize) {
  HWND main = Start().MainWindow();
  EXPECT_FALSE(IsZoomed(main));
  const int text_height = TextHeightOf(main);
  const int min_width = MulDiv(620, text_height, 12);
  const int min_height = MulDiv(240, text_height, 12);

  // Asked by another program.
  ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER));
  RECT bounds = WindowRectOf(main);
  EXPECT_EQ(WidthOf(bounds), min_width);
  EXPECT_EQ(HeightOf(bounds), min_height);

  // Dragged by the user's hand: the bottom right corner up to the top left.
  ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, min_width + 200, min_height + 200,
                           SWP_NOMOVE | SWP_NOZORDER));
  Program().Activate();
  bounds = WindowRectOf(main);
  DragMouse({bounds.right - 2, bounds.bottom - 2}, {bounds.left + 50, bounds.top + 50});
  EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(main)) == min_width; }, 3s))
      << WidthOf(WindowRectOf(main));
  EXPECT_EQ(HeightOf(WindowRectOf(main)), min_height);
  CloseExpectingCleanExit();
}

TEST_F(MainWindowTest, GrowingGrowsTheGridAndPanelsAndKeepsTheControlsInPlace) {
  RunningProgram& program = Start();
  HWND main = program.MainWindow();
  HWND grid = program.Control(ui::kGridId, ui::kGridClass);
  HWND tour = program.Control(ui::kTourButton, ui::kButtonClass);
  HWND page_time = program.Control(ui::kPageTimeEdit, ui::kEditClass);
  HWND button_panel = GetParent(tour);
  HWND header_panel = GetParent(program.Control(ui::kContactEdit, ui::kEditClass));
  const RECT grid_before = WindowRectOf(grid);
  const RECT tour_before = RectInParent(tour);
  const RECT page_time_before = RectInParent(page_time);
  const RECT main_before = WindowRectOf(main);

  ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, WidthOf(main_before) + 150,
                           HeightOf(main_before) + 100, SWP_NOMOVE | SWP_NOZORDER));
  const SIZE client = ClientSizeOf(main);
  const RECT grid_after = RectInParent(grid);
  EXPECT_EQ(WidthOf(grid_after), WidthOf(grid_before) + 150);
  EXPECT_EQ(HeightOf(grid_after), HeightOf(grid_before) + 100);
  EXPECT_EQ(WidthOf(RectInParent(header_panel)), client.cx);
  EXPECT_EQ(RectInParent(header_panel).top, 0);
  EXPECT_EQ(RectInParent(button_panel).bottom, client.cy);
  EXPECT_EQ(WidthOf(RectInParent(button_panel)), client.cx);
  EXPECT_EQ(grid_after.top, RectInParent(header_panel).bottom);
  EXPECT_EQ(grid_after.bottom, RectInParent(button_panel).top);
  // The buttons and the field keep their distance from the panel's left edge.
  const RECT tour_after = RectInParent(tour);
  const RECT page_time_after = RectInParent(page_time);
  EXPECT_TRUE(EqualRect(&tour_before, &tour_after));
  EXPECT_TRUE(EqualRect(&page_time_before, &page_time_after));
  CloseExpectingCleanExit();
}

TEST_F(MainWindowTest, OpensMaximisedWhenStartedSo) {
  RunningProgram& program = Start(SW_SHOWMAXIMIZED);
  HWND main = program.MainWindow();
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(main) != FALSE; }, 3s));
  RECT work_area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
  EXPECT_GT(ClientSizeOf(main).cx, WidthOf(work_area) - 20);
  // The layout follows: the button panel moves down to the bottom edge.
  HWND button_panel = GetParent(program.Control(ui::kSaveButton, ui::kButtonClass));
  EXPECT_TRUE(
      WaitUntil([&] { return RectInParent(button_panel).bottom == ClientSizeOf(main).cy; }, 3s))
      << RectInParent(button_panel).bottom << " " << ClientSizeOf(main).cy;
  CloseExpectingCleanExit();
}

// The spin control steps the page display time field between 3 and 20, from the mouse on its arrows
// and from the Up and Down keys in the field.
struct SpinInput {
  const char* name;
  std::function<void(HWND up_down)> up;
  std::function<void(HWND up_down)> down;
};

void PrintTo(const SpinInput& input, std::ostream* out) { *out << input.name; }

void ClickArrow(HWND up_down, bool up) {
  const RECT bounds = WindowRectOf(up_down);
  const int quarter = HeightOf(bounds) / 4;
  ClickAt({(bounds.left + bounds.right) / 2, up ? bounds.top + quarter : bounds.bottom - quarter});
}

class SpinControlTest : public ProgramTest, public ::testing::WithParamInterface<SpinInput> {
 protected:
  // Presses one way `times` times, each time waiting for the field to show
  // the next number, and returns the field's text then.
  std::string Step(bool up, int times) {
    const auto& press = up ? GetParam().up : GetParam().down;
    for (int i = 0; i < times; ++i) {
      const std::string before = Cp932TextOf(edit_);
      press(up_down_);
      WaitUntil([&] { return Cp932TextOf(edit_) != before; }, 2s);
    }
    return Cp932TextOf(edit_);
  }
  // A press that should change nothing: there is nothing to wait for, so the
  // next press, which does change the field, shows that it was handled.
  std::string StepAtEnd(bool up) {
    const auto& press = up ? GetParam().up : GetParam().down;
    press(up_down_);
    Sleep(300);
    return Cp932TextOf(edit_);
  }

  HWND up_down_ = nullptr;
  HWND edit_ = nullptr;
};

TEST_P(SpinControlTest, StepsByOneAndStopsAt20And3) {
  RunningProgram& program = Start();
  edit_ = program.Control(ui::kPageTimeEdit, ui::kEditClass);
  up_down_ = program.Control(ui::kPageTimeUpDown, ui::kUpDownClass);
  program.Activate();
  ClickCentreOf(edit_);
  ASSERT_EQ(Cp932TextOf(edit_), "6");

  EXPECT_EQ(Step(true, 3), "9");
  EXPECT_EQ(Step(true, 11), "20");
  EXPECT_EQ(StepAtEnd(true), "20");
  EXPECT_EQ(Step(false, 1), "19");
  EXPECT_EQ(Step(false, 16), "3");
  EXPECT_EQ(StepAtEnd(false), "3");
  EXPECT_EQ(Step(true, 1), "4");
  // The field is not part of the list: closing asks nothing.
  CloseExpectingCleanExit();
}

const SpinInput kSpinInputs[] = {
    {"MouseOnTheArrows", [](HWND up_down) { ClickArrow(up_down, true); },
     [](HWND up_down) { ClickArrow(up_down, false); }},
    {"ArrowKeysInTheField", [](HWND) { PressKey(VK_UP); }, [](HWND) { PressKey(VK_DOWN); }},
};

INSTANTIATE_TEST_SUITE_P(PageTime, SpinControlTest, ::testing::ValuesIn(kSpinInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ThePageTimeFieldTakesAnyTypedText) {
  RunningProgram& program = Start();
  HWND edit = program.Control(ui::kPageTimeEdit, ui::kEditClass);
  program.Activate();
  ClickCentreOf(edit);
  PressKey(VK_END);
  PressKey(VK_HOME, {VK_SHIFT});
  TypeText("abc");
  EXPECT_TRUE(WaitUntil([&] { return Cp932TextOf(edit) == "abc"; }, 3s)) << Cp932TextOf(edit);
  // Nor is its length limited (an edit control's own limit is 32,767).
  EXPECT_GT(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFF);
  ExpectNoMessageBox();
  CloseExpectingCleanExit();
}

// A top-level window of the driver's own, to take the activation away.
class OtherWindow {
 public:
  OtherWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500,
                              200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~OtherWindow() { DestroyWindow(window_); }
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};

TEST_F(MainWindowTest, ThePageTimeFieldSelectsItsTextWhenTheFocusComesBackOtherThanByAClick) {
  RunningProgram& program = Start();
  HWND edit = program.Control(ui::kPageTimeEdit, ui::kEditClass);
  program.Activate();
  ClickCentreOf(edit);
  PressKey(VK_END);
  auto selection = [edit] {
    DWORD packed = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
    return std::make_pair(LOWORD(packed), HIWORD(packed));
  };
  ASSERT_TRUE(WaitUntil([&] { return selection() == std::make_pair<WORD, WORD>(1, 1); }, 3s));

  OtherWindow other;
  SetForegroundWindow(other.Handle());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.Handle(); }, 3s));
  program.Activate();
  EXPECT_TRUE(WaitUntil([&] { return selection() == std::make_pair<WORD, WORD>(0, 1); }, 3s))
      << selection().first << "-" << selection().second;
  CloseExpectingCleanExit();
}

TEST_F(MainWindowTest, StartedMinimisedItWaitsOnTheTaskbarAndRestoresWhole) {
  RunningProgram& program = Start(SW_SHOWMINNOACTIVE);
  HWND application = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        application = FindTopLevel(program.ProcessId(), ui::kApplicationClass, false);
        return application != nullptr && IsIconic(application);
      },
      10s));
  HWND main = program.MainWindowIfAny();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));

  // Restored from its taskbar entry: the main window comes back as it was.
  PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(application); }, 5s));
  EXPECT_EQ(ClientSizeOf(main).cx, MulDiv(612, TextHeightOf(main), 12));
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
