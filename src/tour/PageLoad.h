#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/PageReader.h"

namespace vimbrel {

// Whether a page has loaded, as far as its browser tells.
enum class PageLoad {
  Loaded,
  Loading,  // it says it is still loading
  Unknown,  // it does not tell, or not yet
};

// What the program makes of a page's document: Internet Explorer and Firefox
// mark it busy while it loads; Chromium does not keep that state for an
// outside program, but fires its load-complete event once the page has
// loaded, and again as its reading is switched on over a page that had
// loaded, so the event counts once the document has children as well. A
// Chromium document with children, the address of a page and no event yet
// is still loading; one without children is not known to have loaded.
PageLoad LoadOf(const DocumentFacts& facts, BrowserFamily family);

// The wait before a row's keys, for a browser whose page may tell when it has
// loaded. The row's window is searched for (brought to the front, and the
// keys sent half a second later) every page display time from the opening of
// its address, as always; between the searches it is looked for, and its
// page looked at, every kLookMs. As soon as the page has loaded and kSettleMs
// more have passed, the search comes at once: pages move their focus and add
// notices right after loading. A page that still loads when its search is
// due puts the search off until it has loaded, by one page display time at
// the most and once a row, so that the row's bounds hold; the row's log then
// says so.
class LoadWait {
 public:
  static constexpr std::uint32_t kLookMs = 250;
  static constexpr std::uint32_t kSettleMs = 500;

  explicit LoadWait(std::uint32_t page_ms) : page_ms_(page_ms) {}

  // The row's window was found at `now`.
  void Found(std::uint64_t now) {
    if (!found_at_) found_at_ = now;
  }
  // A look at `now` between the searches saw the page `load`: whether the
  // search comes now.
  bool SearchEarly(std::uint64_t now, PageLoad load);
  // A search is due at `now`, and the page is `load`: whether it comes now,
  // or is put off.
  bool SearchOnTime(std::uint64_t now, PageLoad load);
  // A search found no window: it is looked for afresh. A search that was put
  // off is not put off again.
  void NotFound();
  // The search came after waiting for the page to load: the whole seconds
  // since its window was found.
  std::optional<int> LoadingSeconds(std::uint64_t now) const;

 private:
  std::uint32_t page_ms_;
  std::optional<std::uint64_t> found_at_;
  std::optional<std::uint64_t> loaded_at_;
  // The page still loaded when its search was due: the search comes at the
  // latest then.
  std::optional<std::uint64_t> loading_until_;
  bool put_off_ = false;
};

}  // namespace vimbrel
