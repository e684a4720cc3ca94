#pragma once

#include <cstdint>
#include <string>

#include "platform/Desktop.h"

namespace vimbrel {

// How a family of browsers tells an outside program what is in its pages,
// through the system's accessibility interface (MSAA).
enum class BrowserFamily {
  InternetExplorer,  // the document of its page window, "Internet Explorer_Server"
  Chromium,          // Edge, Chrome and their kin: "Chrome_RenderWidgetHostHWND"
  Firefox,           // the tab's document, through its root's EMBEDS relation
};

// The MSAA roles and states that the program tells apart.
namespace accessible {
constexpr std::uint32_t kRoleDocument = 0x0F;    // ROLE_SYSTEM_DOCUMENT
constexpr std::uint32_t kRoleLink = 0x1E;        // ROLE_SYSTEM_LINK
constexpr std::uint32_t kRoleText = 0x2A;        // ROLE_SYSTEM_TEXT: a text field
constexpr std::uint32_t kRolePushButton = 0x2B;  // ROLE_SYSTEM_PUSHBUTTON
constexpr std::uint32_t kStateBusy = 0x800;      // STATE_SYSTEM_BUSY: still loading
}  // namespace accessible

// One accessible object as the browser tells it. Texts are code page 932,
// with "?" for what that code page cannot hold.
struct AccessibleFacts {
  std::uint32_t role = 0;
  std::uint32_t state = 0;
  std::string name;   // accName
  std::string value;  // accValue: a link's address, a document's page address
};

// Where the keyboard focus is, as the page's document tells it (accFocus).
struct FocusFacts {
  enum class Where {
    NotTold,      // the browser does not tell, or did not answer in time
    Page,         // on the document itself, no element
    Element,      // on an element of the page, `element`
    OutsidePage,  // elsewhere: the browser's address bar, say
  };
  Where where = Where::NotTold;
  AccessibleFacts element;
};

// A page's document, for whether the page has loaded.
struct DocumentFacts {
  // False when the browser does not tell, or did not answer in time; the
  // rest is then empty.
  bool told = false;
  AccessibleFacts document;  // its state (busy while loading) and its address
  bool has_children = false;
  // Chromium: the page's window has fired its load-complete event since the
  // reader began to listen.
  bool load_completed = false;
};

// What the page in a browser's top-level window tells through the system's
// accessibility interface. No call holds the caller longer than kBoundMs: a
// browser that does not answer within it is taken as one that does not tell.
class PageReader {
 public:
  static constexpr std::uint32_t kBoundMs = 2000;

  virtual ~PageReader() = default;
  // Starts hearing what browsers announce of their pages (Chromium: that one
  // has loaded), before the windows to read open, so that no announcement is
  // missed: a browser whose reading is on already announces a page's load
  // only as it happens.
  virtual void Listen() = 0;
  // Asks the browser to tell about the page in `window`, so that it has
  // filled in what it tells by the time it is read. Chromium keeps it on for
  // as long as that browser process runs.
  virtual void SwitchOn(WindowHandle window, BrowserFamily family) = 0;
  virtual FocusFacts Focus(WindowHandle window, BrowserFamily family) = 0;
  virtual DocumentFacts Document(WindowHandle window, BrowserFamily family) = 0;
};

}  // namespace vimbrel
