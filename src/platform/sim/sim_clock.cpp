#include "platform/sim/sim_clock.h"

namespace qv::platform::sim {

SimClock::SimClock(uint64_t uptimeMs) : base_(uptimeMs), since_(Steady::now()) {}

uint64_t SimClock::NowLocked() const {
  if (frozen_) return base_;
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - since_).count();
  return base_ + uint64_t(elapsed);
}

uint64_t SimClock::NowMs() const {
  std::lock_guard lock(mutex_);
  return NowLocked();
}

void SimClock::Set(uint64_t uptimeMs) {
  std::lock_guard lock(mutex_);
  base_ = uptimeMs;
  since_ = Steady::now();
}

void SimClock::Advance(uint64_t ms) {
  std::lock_guard lock(mutex_);
  base_ = NowLocked() + ms;
  since_ = Steady::now();
}

void SimClock::Freeze() {
  std::lock_guard lock(mutex_);
  base_ = NowLocked();
  frozen_ = true;
}

void SimClock::Run() {
  std::lock_guard lock(mutex_);
  if (!frozen_) return;
  since_ = Steady::now();
  frozen_ = false;
}

bool SimClock::Frozen() const {
  std::lock_guard lock(mutex_);
  return frozen_;
}

}  // namespace qv::platform::sim
