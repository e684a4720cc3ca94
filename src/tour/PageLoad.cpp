#include "tour/PageLoad.h"

namespace vimbrel {

namespace {

// The address of a page rather than of a new window's blank one or of the
// browser's own.
bool IsPageAddress(std::string_view address) {
  return !address.empty() && address.rfind("about:", 0) != 0;
}

}  // namespace

PageLoad LoadOf(const DocumentFacts& facts, BrowserFamily family) {
  if (!facts.told) return PageLoad::Unknown;
  if (family != BrowserFamily::Chromium) {
    if (facts.document.state & accessible::kStateBusy) return PageLoad::Loading;
    return IsPageAddress(facts.document.value) ? PageLoad::Loaded : PageLoad::Unknown;
  }
  if (!facts.has_children) return PageLoad::Unknown;
  if (facts.load_completed) return PageLoad::Loaded;
  return IsPageAddress(facts.document.value) ? PageLoad::Loading : PageLoad::Unknown;
}

bool LoadWait::SearchEarly(std::uint64_t now, PageLoad load) {
  if (load == PageLoad::Loaded && !loaded_at_) loaded_at_ = now;
  if (loaded_at_ && now >= *loaded_at_ + kSettleMs) return true;
  return loading_until_ && now >= *loading_until_;
}

bool LoadWait::SearchOnTime(std::uint64_t now, PageLoad load) {
  if (load != PageLoad::Loading || !found_at_ || put_off_) return true;
  put_off_ = true;
  loading_until_ = now + page_ms_;
  return false;
}

void LoadWait::NotFound() {
  found_at_.reset();
  loaded_at_.reset();
  loading_until_.reset();
}

std::optional<int> LoadWait::LoadingSeconds(std::uint64_t now) const {
  if (!loading_until_ || !found_at_) return std::nullopt;
  return static_cast<int>((now - *found_at_) / 1000);
}

}  // namespace vimbrel
