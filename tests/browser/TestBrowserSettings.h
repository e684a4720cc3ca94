#pragma once

// What the test browser and the tests that drive it agree on. The browser is
// registered as "InternetExplorer.Application" in a test prefix only.

namespace vimbrel::testbrowser {

inline constexpr wchar_t kClsid[] = L"{5B1E7C2A-8D4F-4E61-9A3B-7C0D2E9F1A44}";
inline constexpr wchar_t kProgId[] = L"InternetExplorer.Application";
inline constexpr wchar_t kFrameClass[] = L"IEFrame";

// Settings, read by each browser process when it starts, under
// HKEY_CURRENT_USER: the registry reaches a server that COM starts, whoever
// starts it, where an environment would not.
inline constexpr wchar_t kSettingsKey[] = L"Software\\VimbrelTestBrowser";
// REG_SZ: the file every process appends its events to, one UTF-8 line each.
inline constexpr wchar_t kLogFile[] = L"LogFile";
// REG_DWORD 1: every line begins with "@" and the time of the event in
// microseconds of the performance counter, which all processes share, and a
// blank.
inline constexpr wchar_t kLogTimes[] = L"LogTimes";
// REG_DWORD 1: the frame ignores WM_CLOSE, however it is asked to close.
inline constexpr wchar_t kRefuseClose[] = L"RefuseClose";
// REG_SZ: as RefuseClose, from when the browser is sent to this address on.
inline constexpr wchar_t kRefuseCloseAt[] = L"RefuseCloseAt";
// REG_SZ: a member name that the lookup reports as unknown.
inline constexpr wchar_t kUnknownMember[] = L"UnknownMember";
// REG_SZ: a member that fails with FailStatus (REG_DWORD). For
// DISP_E_EXCEPTION the exception record gets FailScode and FailWCode
// (REG_DWORD, default 0) and FailDescription (REG_SZ; none when absent).
inline constexpr wchar_t kFailMember[] = L"FailMember";
inline constexpr wchar_t kFailStatus[] = L"FailStatus";
inline constexpr wchar_t kFailScode[] = L"FailScode";
inline constexpr wchar_t kFailWCode[] = L"FailWCode";
inline constexpr wchar_t kFailDescription[] = L"FailDescription";
// REG_SZ: a member whose call never returns, as a browser that has stopped
// answering: the process does nothing more until it is ended.
inline constexpr wchar_t kHangMember[] = L"HangMember";
// REG_DWORD 1: one process serves the objects of every client, one after the
// other, as Internet Explorer's does: its class is offered again as each
// object is taken, for the whole life of the process (so that a process that
// was ended leaves an offer behind, which the next creation meets), an object
// asked for after the last one's window has gone gets a window of its own,
// and the process ends a few seconds after its last window and object have
// gone.
inline constexpr wchar_t kOneProcess[] = L"OneProcess";
// REG_DWORD milliseconds: before the class is offered, and before each call
// is answered.
inline constexpr wchar_t kStartDelayMs[] = L"StartDelayMs";
inline constexpr wchar_t kCallDelayMs[] = L"CallDelayMs";
// REG_DWORD milliseconds: how long each page loads after it opens (Navigate,
// a new window), or N for an address that holds "load=N". While it loads its
// document is busy; Chromium's fires its load-complete event as it ends.
inline constexpr wchar_t kLoadMs[] = L"LoadMs";
// REG_DWORD milliseconds: a page window answers WM_GETOBJECT, and its
// accessible objects each call, that late: a browser that does not answer.
inline constexpr wchar_t kAccessibleHangMs[] = L"AccessibleHangMs";
// REG_DWORD 1: Chromium's pages have no window of their own; the top-level
// window's tree holds the document.
inline constexpr wchar_t kNoPageWindow[] = L"NoPageWindow";

// The frame's focusable links, "link1" to "link4" in the log, named リンク1 to
// リンク4 with the addresses "<page address>#link1"... in each page's
// document.
inline constexpr int kLinkCount = 4;

}  // namespace vimbrel::testbrowser
