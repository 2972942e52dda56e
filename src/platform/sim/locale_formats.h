#pragma once
// The date and time formats of the user locales a simulated machine knows, and the
// formatting GetDateFormat and GetTimeFormat do with their pictures.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sim/sim_clock.h"

namespace qv::platform::sim {

struct LocaleFormats {
  std::string shortDate;  // e.g. "M/d/yyyy"
  std::string longTime;   // e.g. "h:mm:ss tt"
  std::string am = "AM";
  std::string pm = "PM";
};

// The formats of a language identifier: English (United States and United Kingdom),
// German, French, Italian, Spanish and Dutch; any other gives those of English
// (United States).
LocaleFormats LocaleFormatsOf(uint16_t language);

// Fills a date or time picture: d dd M MM yy yyyy, h hh H HH m mm s ss t tt; text in
// single quotes is copied ('' is a quote); other characters stay.
std::string FormatPicture(std::string_view picture, const WallTime& time, const LocaleFormats& formats);

}  // namespace qv::platform::sim
