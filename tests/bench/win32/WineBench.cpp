// Figures of the program under Wine: the time from starting it to a shown,
// idle main window with an empty list and with 100,000 rows, and the time the
// grid takes to scroll and repaint with 100,000 rows.
//
//   wine_bench.exe            (run by `make bench`)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/StringGridControl.h"
#include "list/RowText.h"
#include "list/StringGrid.h"
#include "support/TempFolder.h"
#include "support/WindowQueries.h"

namespace vimbrel {
namespace {

using testing::TempFolder;

double Now() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string ListOf(int rows) {
  std::string bytes = "No,URL,x,y\r\n";
  for (int row = 1; row <= rows; ++row) {
    bytes += std::to_string(row) + ",http://www.example.com/page" + std::to_string(row) + ".html," +
             std::to_string(row % 5) + ",0\r\n";
  }
  return bytes;
}

// Milliseconds from CreateProcess to a visible main window, and to the
// program's first wait for input.
void StartupFigure(int rows) {
  TempFolder folder;
  const Path program = folder.Child(u"vimbrel.exe");
  const std::wstring program_w(program.begin(), program.end());
  CopyFileW(testing::WindowsPathOf(VIMBREL_PROGRAM_PATH).c_str(), program_w.c_str(), FALSE);
  if (rows > 0) folder.Write(folder.Child(u"vimbrel.dat"), ListOf(rows));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + program_w + L"\"";
  const double start = Now();
  if (!CreateProcessW(program_w.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("startup: cannot start the program (%lu)\n", GetLastError());
    return;
  }
  HWND main = nullptr;
  double shown = 0;
  while (Now() - start < 30000) {
    main = testing::FindTopLevel(process.dwProcessId, L"TForm1", true);
    if (main != nullptr) {
      shown = Now() - start;
      break;
    }
    Sleep(5);
  }
  WaitForInputIdle(process.hProcess, 30000);
  const double idle = Now() - start;
  std::printf("startup, %6d rows: main window shown after %7.1f ms, idle after %7.1f ms\n", rows,
              shown, idle);
  if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

class NoEvents final : public win32::StringGridEvents {
  void OnSetEditText(int, int, const std::string&) override {}
};

// Per step: the scroll message and the repaint it causes, done at once.
void ScrollFigure(int rows) {
  StringGrid model;
  const int widths[] = {60, 400, 60, 60};
  for (int col = 0; col < 4; ++col) model.SetColWidth(col, widths[col]);
  model.SetRowCount(rows + 1);
  for (int row = 1; row <= rows; ++row) {
    SetRowText(model, row,
               std::to_string(row) + ",http://www.example.com/page" + std::to_string(row) + ",1,0");
  }
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                              360, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  NoEvents events;
  HWND grid = win32::StringGridControl::Create(host, 100, RECT{0, 0, 612, 191}, model, events, {});
  SetFocus(grid);
  MSG message;
  auto pump = [&] {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  };
  pump();
  std::vector<double> steps;
  while (win32::StringGridControl::TopRow(grid) + 8 < rows && steps.size() < 20000) {
    const double start = Now();
    SendMessageW(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
    UpdateWindow(grid);
    steps.push_back(Now() - start);
    pump();
  }
  std::sort(steps.begin(), steps.end());
  double total = 0;
  for (double step : steps) total += step;
  std::printf(
      "scroll, %d rows, page by page to the end: %zu steps, mean %.2f ms, "
      "median %.2f ms, max %.2f ms per step\n",
      rows, steps.size(), steps.empty() ? 0 : total / steps.size(),
      steps.empty() ? 0 : steps[steps.size() / 2], steps.empty() ? 0 : steps.back());
  SendMessageW(grid, WM_VSCROLL, SB_TOP, 0);
  UpdateWindow(grid);
  const double start = Now();
  SendMessageW(grid, WM_VSCROLL, SB_BOTTOM, 0);
  UpdateWindow(grid);
  std::printf("scroll, %d rows, top to bottom in one step: %.2f ms\n", rows, Now() - start);
  DestroyWindow(host);
  pump();
}

}  // namespace
}  // namespace vimbrel

int main() {
  vimbrel::StartupFigure(0);
  vimbrel::StartupFigure(100000);
  vimbrel::ScrollFigure(100000);
  return 0;
}
