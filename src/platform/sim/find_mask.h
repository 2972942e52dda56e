#pragma once
// The wildcards of a folder search (FindFirstFile) as the system reads them: the
// search turns "?" into a character that also matches nothing at a period or at the
// end of a name, a "*" before a period into one that stops at the name's last period,
// and a period before a wildcard or at the end into one that also matches the end of a
// name. So "*.*" matches every name, "*." the names without an extension, "a.*" also
// "a", and "ab?" also "ab".
#include <string_view>

namespace qv::platform::sim {

// Names are compared without regard to letter case (common/text.h rules).
bool FindMaskMatches(std::string_view mask, std::string_view name);

}  // namespace qv::platform::sim
