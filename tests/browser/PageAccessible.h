#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Registry.h"
#include "TestBrowserSettings.h"

namespace vimbrel::testbrowser {

class EventLog;

// One page of a test browser, as its accessible objects tell it: the
// browser changes it, the objects (which clients may hold after its window
// has gone) share it. TAB goes from the page itself through the links to the
// address bar, outside the page, and on to the first link; Shift+TAB back.
struct Page {
  static constexpr int kOnPage = -1;
  static constexpr int kOutside = kLinkCount;  // the address bar

  Page(std::wstring address_, std::wstring caption_, DWORD load_ms);
  bool Loading() const { return static_cast<LONG>(GetTickCount() - loaded_at) < 0; }
  void MoveFocus(bool backwards);

  std::wstring address;
  std::wstring caption;
  DWORD loaded_at;
  int focus = kOnPage;             // or the link's index
  bool content = true;             // the document has its links as children
  bool focus_as_child_id = false;  // accFocus answers a link by its child id
  bool first_read_empty = false;   // a link's first name and value reads are empty
  bool read[2][kLinkCount] = {};
  DWORD hang_ms = 0;                   // before each answer
  std::function<void()> on_name_read;  // of the document
};

// How long a page at `address` loads: N for "load=N" in it, else the setting.
DWORD LoadMs(const std::wstring& address, const Settings& settings);

// A page window's answer to WM_GETOBJECT: logged as "getobject OBJID", given
// after AccessibleHangMs (as each call of the objects is), for OBJID_CLIENT
// the page's document, or with `root` an object whose child and EMBEDS
// relation is the document.
LRESULT AnswerGetObject(const std::shared_ptr<Page>& page, bool root, WPARAM wparam,
                        LPARAM object_id, const Settings& settings, const EventLog& log);

}  // namespace vimbrel::testbrowser
