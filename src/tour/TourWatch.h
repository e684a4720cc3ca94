#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "tour/TourSequencer.h"

namespace vimbrel {

// Where a tour that has hung stood.
struct TourHang {
  std::int32_t row = 0;
  std::string address;          // empty before the row had begun
  std::uint64_t waited_ms = 0;  // since anything of the tour last moved
  int rows_sent = 0;            // as its last row ended
  int data_rows = 0;
};

// Decides whether a tour has hung: nothing of it has moved for the page
// display time and a minute. No step of a healthy tour waits longer than the
// page display time for the next one, and each step takes moments; a call
// into a browser that never answers, or a step that never comes, goes on for
// ever. The page display time is the longest wait the tour has armed, at
// least the one it started with, so that a time the user raises during the
// tour raises the limit with it. The tour's thread reports, a watchdog's
// thread asks.
class TourWatch final : public TourProgress {
 public:
  static constexpr std::uint32_t kMarginMs = 60000;

  explicit TourWatch(Clock& clock) : clock_(clock) {}

  // A tour starts being watched, now, with these page display time and data
  // rows.
  void Begin(std::uint32_t page_ms, int data_rows);
  // It is over: nothing of it can hang any more.
  void End();
  // The rows sent and the data rows, as a row has ended.
  void Counted(int rows_sent, int data_rows);
  void Moved(std::int32_t row, const std::string& address) noexcept override;
  void Waits(std::uint32_t interval_ms) noexcept override;
  // Where the tour stood, once nothing of it has moved for too long; told
  // once, and the watching ends with it.
  std::optional<TourHang> Hung();

 private:
  std::mutex mutex_;
  Clock& clock_;
  bool watching_ = false;
  std::uint64_t moved_at_ = 0;
  std::uint32_t longest_wait_ms_ = 0;
  TourHang at_;
};

}  // namespace vimbrel
