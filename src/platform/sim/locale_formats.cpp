#include "platform/sim/locale_formats.h"

namespace qv::platform::sim {
namespace {

std::string Number(int value, size_t width) {
  std::string digits = std::to_string(value);
  return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

}  // namespace

LocaleFormats LocaleFormatsOf(uint16_t language) {
  switch (language) {
    case 0x0809: return {"dd/MM/yyyy", "HH:mm:ss"};        // English (United Kingdom)
    case 0x0407: return {"dd.MM.yyyy", "HH:mm:ss"};        // German (Germany)
    case 0x040C: return {"dd/MM/yyyy", "HH:mm:ss"};        // French (France)
    case 0x0410: return {"dd/MM/yyyy", "HH:mm:ss"};        // Italian (Italy)
    case 0x0C0A: return {"dd/MM/yyyy", "H:mm:ss"};         // Spanish (Spain)
    case 0x0413: return {"d-M-yyyy", "H:mm:ss"};           // Dutch (Netherlands)
    default: return {"M/d/yyyy", "h:mm:ss tt"};           // English (United States)
  }
}

std::string FormatPicture(std::string_view picture, const WallTime& t, const LocaleFormats& formats) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    char c = picture[i];
    if (c == '\'') {
      // Quoted text; a doubled quote inside or outside stands for one quote.
      size_t j = i + 1;
      if (j < picture.size() && picture[j] == '\'') {
        out += '\'';
        i = j + 1;
        continue;
      }
      while (j < picture.size()) {
        if (picture[j] == '\'') {
          if (j + 1 < picture.size() && picture[j + 1] == '\'') {
            out += '\'';
            j += 2;
            continue;
          }
          break;
        }
        out += picture[j++];
      }
      i = j + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    switch (c) {
      case 'd': out += Number(t.day, run >= 2 ? 2 : 1); break;
      case 'M': out += Number(t.month, run >= 2 ? 2 : 1); break;
      case 'y':
        out += run >= 3 ? Number(t.year, 4) : run == 2 ? Number(t.year % 100, 2) : std::to_string(t.year % 100);
        break;
      case 'h': out += Number(t.hour % 12 == 0 ? 12 : t.hour % 12, run >= 2 ? 2 : 1); break;
      case 'H': out += Number(t.hour, run >= 2 ? 2 : 1); break;
      case 'm': out += Number(t.minute, run >= 2 ? 2 : 1); break;
      case 's': out += Number(t.second, run >= 2 ? 2 : 1); break;
      case 't': {
        const std::string& marker = t.hour < 12 ? formats.am : formats.pm;
        out += run >= 2 ? marker : marker.substr(0, 1);
        break;
      }
      default: out.append(run, c); break;
    }
    i += run;
  }
  return out;
}

}  // namespace qv::platform::sim
