#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <string_view>

#include "PageAccessible.h"
#include "Registry.h"
#include "TestBrowserSettings.h"

namespace vimbrel::testbrowser {

// Appends events, one UTF-8 line each, to the file the test named. The file is
// opened for each line so that several processes can share it and the test
// can read it at any time.
class EventLog {
 public:
  EventLog(std::wstring path, bool timed) : path_(std::move(path)), timed_(timed) {}
  void Write(std::string_view line) const;

 private:
  std::wstring path_;
  bool timed_;
};

std::string Utf8(std::wstring_view text);
// UTF-16 units as four hexadecimal digits each, comma separated: what the
// browser was given, whatever its characters are.
std::string HexUnits(std::wstring_view text);

// The state of one browser process: its frame window, the one automation
// object it serves, and how it was asked to behave.
class TestBrowser {
 public:
  TestBrowser(HINSTANCE instance, Settings settings);
  TestBrowser(const TestBrowser&) = delete;
  TestBrowser& operator=(const TestBrowser&) = delete;

  const Settings& settings() const { return settings_; }
  const EventLog& log() const { return log_; }

  // Creates the hidden frame; false when the window system refuses.
  bool CreateFrame();
  bool HasFrame() const { return frame_ != nullptr; }
  // Whether a client may have an object now: the process's first, or, when
  // one process serves them all, the next once the last one has gone (with a
  // frame of its own, made here).
  bool ReadyForObject();
  HWND Frame() const { return frame_; }
  // Runs the message loop until the frame has gone.
  void Run();

  // The automation object's lifetime, and what its members do.
  void ObjectCreated(IUnknown* object);
  void ObjectReleased();
  void SetHeight(int height);
  void SetWidth(int width);
  void SetVisible(bool visible);
  void ShowAddress(const std::wstring& address);
  void Quit();

 private:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // The page's window, "Internet Explorer_Server", which hands out its document.
  static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleFrameMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Keys are seen before they are dispatched: TAB, Shift+TAB and Enter work
  // between the links as in a page.
  bool HandleKey(const MSG& message);
  void MoveFocus(bool backwards);
  void Activate(int link);
  int FocusedLink() const;
  void NewPage(const std::wstring& address);
  void Close();
  void FrameDestroyed();
  // Nothing is left to serve: the process ends, at once or, when it serves
  // every client, unless another object is asked for within a few seconds.
  void EndProcess();
  // Ends the process after `ms` unless another object is asked for first.
  void EndProcessIn(UINT ms);

  HINSTANCE instance_;
  Settings settings_;
  EventLog log_;
  HWND frame_ = nullptr;
  HWND address_ = nullptr;
  HWND links_[kLinkCount] = {};
  std::shared_ptr<Page> page_;  // whose focus TAB moves
  HWND focus_to_restore_ = nullptr;
  IUnknown* object_ = nullptr;
  bool object_seen_ = false;
  bool quit_requested_ = false;
  bool system_close_ = false;
  bool closed_by_quit_ = false;
  UINT_PTR end_timer_ = 0;  // a thread timer, while the process waits to end
};

}  // namespace vimbrel::testbrowser
