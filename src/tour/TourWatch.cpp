#include "tour/TourWatch.h"

#include <algorithm>
#include <new>

namespace vimbrel {

void TourWatch::Begin(std::uint32_t page_ms, int data_rows) {
  const std::lock_guard<std::mutex> lock(mutex_);
  watching_ = true;
  moved_at_ = clock_.SteadyMilliseconds();
  longest_wait_ms_ = page_ms;
  at_ = TourHang{};
  at_.data_rows = data_rows;
}

void TourWatch::End() {
  const std::lock_guard<std::mutex> lock(mutex_);
  watching_ = false;
}

void TourWatch::Counted(int rows_sent, int data_rows) {
  const std::lock_guard<std::mutex> lock(mutex_);
  at_.rows_sent = rows_sent;
  at_.data_rows = data_rows;
}

void TourWatch::Moved(std::int32_t row, const std::string& address) noexcept {
  const std::lock_guard<std::mutex> lock(mutex_);
  moved_at_ = clock_.SteadyMilliseconds();
  at_.row = row;
  try {
    at_.address = address;
  } catch (const std::bad_alloc&) {
    // The move is seen all the same; only its address is not known.
    at_.address.clear();
  }
}

void TourWatch::Waits(std::uint32_t interval_ms) noexcept {
  const std::lock_guard<std::mutex> lock(mutex_);
  longest_wait_ms_ = std::max(longest_wait_ms_, interval_ms);
}

std::optional<TourHang> TourWatch::Hung() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!watching_) return std::nullopt;
  const std::uint64_t waited = clock_.SteadyMilliseconds() - moved_at_;
  if (waited < std::uint64_t{longest_wait_ms_} + kMarginMs) return std::nullopt;
  watching_ = false;
  TourHang hang = at_;
  hang.waited_ms = waited;
  return hang;
}

}  // namespace vimbrel
