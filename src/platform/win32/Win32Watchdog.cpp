#include "platform/win32/Win32Watchdog.h"

#include <tlhelp32.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace vimbrel::win32 {

namespace {

constexpr DWORD kCheckIntervalMs = 1000;

// The ids of every process running now; none when the system cannot say.
std::optional<std::vector<DWORD>> RunningProcesses() {
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!Process32FirstW(snapshot.Get(), &entry)) return std::nullopt;
  std::vector<DWORD> ids;
  do {
    ids.push_back(entry.th32ProcessID);
  } while (Process32NextW(snapshot.Get(), &entry));
  return ids;
}

}  // namespace

Win32Watchdog::Win32Watchdog() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Win32Watchdog::~Win32Watchdog() { Stop(); }

void Win32Watchdog::Start(std::function<std::optional<int>()> hung) {
  Stop();
  if (!stop_.Valid()) return;
  ResetEvent(stop_.Get());
  hung_ = std::move(hung);
  running_at_start_ = RunningProcesses();
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

void Win32Watchdog::Stop() noexcept {
  if (thread_.Valid()) {
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  hung_ = nullptr;
  const std::lock_guard<std::mutex> lock(browser_mutex_);
  browser_.Reset();
}

void Win32Watchdog::BrowserWindow(WindowHandle window) noexcept {
  KernelObject process;
  DWORD process_id = 0;
  if (window != 0 && running_at_start_ &&
      GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process_id) != 0 &&
      process_id != GetCurrentProcessId() &&
      std::find(running_at_start_->begin(), running_at_start_->end(), process_id) ==
          running_at_start_->end()) {
    process.Reset(OpenProcess(PROCESS_TERMINATE, FALSE, process_id));
  }
  const std::lock_guard<std::mutex> lock(browser_mutex_);
  browser_ = std::move(process);
}

DWORD WINAPI Win32Watchdog::ThreadMain(void* self) {
  static_cast<Win32Watchdog*>(self)->Watch();
  return 0;
}

void Win32Watchdog::Watch() {
  while (WaitForSingleObject(stop_.Get(), kCheckIntervalMs) == WAIT_TIMEOUT) {
    std::optional<int> exit_code;
    try {
      exit_code = hung_();
    } catch (const std::exception&) {
      // Out of memory for a moment: the next check asks again.
    }
    if (exit_code) {
      EndProgram(*exit_code);
      return;
    }
  }
}

void Win32Watchdog::EndProgram(int exit_code) {
  {
    const std::lock_guard<std::mutex> lock(browser_mutex_);
    if (browser_.Valid()) TerminateProcess(browser_.Get(), static_cast<UINT>(exit_code));
  }
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exit_code));
}

}  // namespace vimbrel::win32
