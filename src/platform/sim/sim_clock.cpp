#include "platform/sim/sim_clock.h"

#include <time.h>

namespace qv::platform::sim {
namespace {

constexpr int64_t kMsPerDay = 86'400'000;

// Days from 1601-01-01 in the proleptic Gregorian calendar, and back (the civil-date
// algorithms of H. Hinnant, moved to the FILETIME epoch).
constexpr int64_t kEpochShift = 584'388;  // days from 0000-03-01 to 1601-01-01

int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - kEpochShift;
}

void CivilFromDays(int64_t z, WallTime& t) {
  z += kEpochShift;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  t.day = int(doy - (153 * mp + 2) / 5 + 1);
  t.month = int(mp < 10 ? mp + 3 : mp - 9);
  t.year = int(yoe + era * 400 + (t.month <= 2));
}

int64_t ToMs(const WallTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kMsPerDay +
         ((int64_t(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

WallTime FromMs(int64_t ms) {
  WallTime t;
  int64_t days = ms >= 0 ? ms / kMsPerDay : (ms - kMsPerDay + 1) / kMsPerDay;
  int64_t rest = ms - days * kMsPerDay;
  CivilFromDays(days, t);
  t.millisecond = int(rest % 1000);
  t.second = int(rest / 1000 % 60);
  t.minute = int(rest / 60'000 % 60);
  t.hour = int(rest / 3'600'000);
  return t;
}

WallTime HostLocalTime() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  ::localtime_r(&now.tv_sec, &local);
  WallTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.millisecond = int(now.tv_nsec / 1'000'000);
  return t;
}

}  // namespace

SimClock::SimClock(uint64_t uptimeMs)
    : base_(uptimeMs), since_(Steady::now()), wallBaseMs_(ToMs(HostLocalTime())), wallSetAt_(uptimeMs) {}

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
  // Another uptime is not another time of day: the wall clock stays where it is.
  wallBaseMs_ = WallLocked();
  wallSetAt_ = uptimeMs;
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

int64_t SimClock::WallLocked() const { return wallBaseMs_ + int64_t(NowLocked() - wallSetAt_); }

WallTime SimClock::Wall() const {
  std::lock_guard lock(mutex_);
  return FromMs(WallLocked());
}

void SimClock::SetWall(const WallTime& time) {
  std::lock_guard lock(mutex_);
  wallBaseMs_ = ToMs(time);
  wallSetAt_ = NowLocked();
}

}  // namespace qv::platform::sim
