#include "zel/dos_time.h"

namespace zel {

int64_t DaysFromCivil(int year, int month, int day) {
  // Howard Hinnant's days_from_civil.
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilTime CivilFromUnix(int64_t unixSeconds) {
  int64_t days = unixSeconds >= 0 ? unixSeconds / 86400 : -((-unixSeconds + 86399) / 86400);
  int64_t secs = unixSeconds - days * 86400;
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  CivilTime c;
  c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  c.year = static_cast<int>(yoe + era * 400 + (c.month <= 2));
  c.hour = static_cast<int>(secs / 3600);
  c.minute = static_cast<int>(secs / 60 % 60);
  c.second = static_cast<int>(secs % 60);
  return c;
}

static int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

uint64_t DosTimeToTicks(uint16_t dosDate, uint16_t dosTime) {
  int year = 1980 + (dosDate >> 9);
  int month = (dosDate >> 5) & 0xF;
  int day = dosDate & 0x1F;
  int hour = dosTime >> 11;
  int minute = (dosTime >> 5) & 0x3F;
  int second = (dosTime & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59)
    return 0;
  int64_t unix = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return UnixToTicks(unix);
}

void CivilToDos(const CivilTime& civil, uint16_t& dosDate, uint16_t& dosTime) {
  CivilTime c = civil;
  if (c.year < 1980) c = CivilTime{};
  if (c.year > 2107) c = CivilTime{2107, 12, 31, 23, 59, 58};
  dosDate = static_cast<uint16_t>(((c.year - 1980) << 9) | (c.month << 5) | c.day);
  dosTime = static_cast<uint16_t>((c.hour << 11) | (c.minute << 5) | (c.second / 2));
}

uint64_t UnixToTicks(int64_t unixSeconds) {
  int64_t s = unixSeconds + static_cast<int64_t>(kUnixEpochSeconds);
  return s <= 0 ? 0 : static_cast<uint64_t>(s) * kTicksPerSecond;
}

int64_t TicksToUnix(uint64_t ticks) {
  return static_cast<int64_t>(ticks / kTicksPerSecond) - static_cast<int64_t>(kUnixEpochSeconds);
}

}  // namespace zel
