#pragma once
// The simulated machine's uptime. It runs with real time by default, so the engine's
// waits and watchdogs see time pass as on a real machine; a test freezes it and moves it
// by hand to make time-dependent paths repeatable (a frozen clock moves only when told).
// The machine's local wall-clock time moves with the uptime; it starts at the host's
// local time and a test sets it to make dates and times repeatable.
#include <chrono>
#include <cstdint>
#include <mutex>

namespace qv::platform::sim {

// A local date and time, as SYSTEMTIME holds it.
struct WallTime {
  int year = 1601;
  int month = 1;  // 1 to 12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const WallTime&) const = default;
};

class SimClock {
 public:
  // The machine has been up an hour when the simulation starts.
  static constexpr uint64_t kDefaultUptimeMs = 3'600'000;

  explicit SimClock(uint64_t uptimeMs = kDefaultUptimeMs);

  // Milliseconds since the machine started (64-bit, never wraps).
  uint64_t NowMs() const;
  // Another uptime; the wall clock keeps its time of day.
  void Set(uint64_t uptimeMs);
  void Advance(uint64_t ms);
  void Freeze();
  void Run();
  bool Frozen() const;

  WallTime Wall() const;
  // From now on the wall clock runs on from `time` (the uptime is not touched).
  void SetWall(const WallTime& time);

 private:
  using Steady = std::chrono::steady_clock;
  uint64_t NowLocked() const;
  int64_t WallLocked() const;
  mutable std::mutex mutex_;
  uint64_t base_;           // uptime at `since_`
  Steady::time_point since_;
  bool frozen_ = false;
  int64_t wallBaseMs_ = 0;   // wall time (ms since 1601, local) at uptime `wallSetAt_`
  uint64_t wallSetAt_ = 0;
};

}  // namespace qv::platform::sim
