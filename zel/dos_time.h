#pragma once
// Time stamps of ZIP entries: DOS date and time (local time, 2-second steps), Unix
// seconds (the extended time-stamp field) and FILETIME ticks (100 ns since 1601), which
// is what the archive interface and the Windows calls use.
#include <cstdint>

namespace zel {

inline constexpr uint64_t kTicksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr uint64_t kUnixEpochSeconds = 11644473600ULL;

struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The ticks of a DOS date/time read as if it were UTC (the caller converts local time);
// 0 when the fields do not form a valid date.
uint64_t DosTimeToTicks(uint16_t dosDate, uint16_t dosTime);
// DOS fields of a calendar time; years outside 1980..2107 are clamped.
void CivilToDos(const CivilTime& civil, uint16_t& dosDate, uint16_t& dosTime);

uint64_t UnixToTicks(int64_t unixSeconds);
int64_t TicksToUnix(uint64_t ticks);

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int year, int month, int day);
CivilTime CivilFromUnix(int64_t unixSeconds);

}  // namespace zel
