#include "platform/Timer.h"

#include "platform/Exception.h"
#include "platform/Texts.h"

namespace vimbrel {

TTimer::~TTimer() { service_.StopTimer(*this); }

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t interval_ms) {
  if (interval_ms == interval_) return;
  interval_ = interval_ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  service_.StopTimer(*this);
  running_ = false;
  if (enabled_ && interval_ != 0 && OnTimer) {
    if (!service_.StartTimer(*this, interval_)) throw EOutOfResources(texts::kErrorNoTimer);
    running_ = true;
  }
}

void TTimer::OnTimerTick() {
  if (OnTimer) OnTimer();
}

}  // namespace vimbrel
