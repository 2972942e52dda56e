#pragma once
// The rules by which GetPrivateProfileString finds a value in an INI file: sections in
// brackets, "key=value" lines, names compared without regard to letter case and blanks
// around them, the first section of a name the only one searched, a value in matching
// quotes given without them. A file that starts with a UTF-16 byte order mark is read
// as UTF-16 (the simulated machine's ANSI code page is 1252).
#include <string>
#include <string_view>

namespace qv::platform::sim {

// False when the section or the key is not there.
bool FindProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key, std::string& value);

}  // namespace qv::platform::sim
