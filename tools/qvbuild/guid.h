#pragma once
// GUIDs in registry text form ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex):
// name-based ones for command ids, so that building the same source again gives the same
// ids, and random ones for revision codes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::authoring {

using GuidBytes = std::array<uint8_t, 16>;

// The bytes of a GUID written with braces (hex digits in either case), or none.
std::optional<GuidBytes> ParseGuid(std::string_view text);
bool IsGuid(std::string_view text);
std::string FormatGuid(const GuidBytes& bytes);

// A version-5 (SHA-1, name-based) GUID of `name` within the namespace `space`.
std::string NameBasedGuid(const GuidBytes& space, std::string_view name);
// A version-4 GUID from the system's random source.
std::string RandomGuid();

// SHA-1 of a byte string.
std::array<uint8_t, 20> Sha1(std::string_view data);

}  // namespace qv::authoring
