#include "support/FakeTimers.h"

#include <algorithm>
#include <exception>

namespace vimbrel::testing {

bool FakeTimers::StartTimer(TimerSink& sink, std::uint32_t interval_ms) {
  if (refuse && refuse(interval_ms)) return false;
  running_[&sink] = {interval_ms, now_ + interval_ms, next_order_++};
  return true;
}

void FakeTimers::StopTimer(TimerSink& sink) { running_.erase(&sink); }

TimerSink* FakeTimers::Earliest() const {
  const TimerSink* best = nullptr;
  const Running* best_state = nullptr;
  for (const auto& [sink, state] : running_) {
    if (withhold && withhold(state.interval)) continue;
    if (best_state == nullptr || state.due < best_state->due ||
        (state.due == best_state->due && state.order < best_state->order)) {
      best = sink;
      best_state = &state;
    }
  }
  return const_cast<TimerSink*>(best);
}

std::uint64_t FakeTimers::NextDue() const {
  const TimerSink* sink = Earliest();
  return sink == nullptr ? UINT64_MAX : running_.at(sink).due;
}

void FakeTimers::Deliver(TimerSink& sink) {
  Running& state = running_.at(&sink);
  now_ = state.due;
  state.due += state.interval;
  state.order = next_order_++;
  try {
    sink.OnTimerTick();
  } catch (const std::exception& error) {
    if (!on_error) throw;
    on_error(error);
  }
}

void FakeTimers::Advance(std::uint64_t ms) {
  const std::uint64_t until = now_ + ms;
  for (TimerSink* sink = Earliest(); sink != nullptr && running_.at(sink).due <= until;
       sink = Earliest()) {
    Deliver(*sink);
  }
  now_ = std::max(now_, until);
}

bool FakeTimers::RunNext() {
  TimerSink* sink = Earliest();
  if (sink == nullptr) return false;
  Deliver(*sink);
  return true;
}

}  // namespace vimbrel::testing
