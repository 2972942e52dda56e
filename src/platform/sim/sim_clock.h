#pragma once
// The simulated machine's uptime. It runs with real time by default, so the engine's
// waits and watchdogs see time pass as on a real machine; a test freezes it and moves it
// by hand to make time-dependent paths repeatable (a frozen clock moves only when told).
#include <chrono>
#include <cstdint>
#include <mutex>

namespace qv::platform::sim {

class SimClock {
 public:
  // The machine has been up an hour when the simulation starts.
  static constexpr uint64_t kDefaultUptimeMs = 3'600'000;

  explicit SimClock(uint64_t uptimeMs = kDefaultUptimeMs);

  // Milliseconds since the machine started (64-bit, never wraps).
  uint64_t NowMs() const;
  void Set(uint64_t uptimeMs);
  void Advance(uint64_t ms);
  void Freeze();
  void Run();
  bool Frozen() const;

 private:
  using Steady = std::chrono::steady_clock;
  uint64_t NowLocked() const;
  mutable std::mutex mutex_;
  uint64_t base_;           // uptime at `since_`
  Steady::time_point since_;
  bool frozen_ = false;
};

}  // namespace qv::platform::sim
