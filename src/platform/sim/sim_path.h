#pragma once
// The path rules of the Win32 file calls, as the simulated file system applies them:
// full paths (GetFullPathName), the volume a path lies on and the names it may hold.
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace qv::platform::sim {

// The longest path the ANSI file calls take (MAX_PATH without the terminating zero),
// and the shorter one CreateDirectory allows (room for an 8.3 name).
inline constexpr size_t kMaxPath = 259;
inline constexpr size_t kMaxFolderPath = 247;
inline constexpr size_t kMaxNameLength = 255;

// The full path of `path` with `current` (a full folder path) as the current folder:
// "/" becomes "\", "." and ".." are resolved, doubled separators collapse, a trailing
// period of a name is dropped and trailing periods and blanks of the last name are
// dropped; a trailing backslash stays. Empty for an empty path; a "\\server" without a
// share comes back as it is.
std::string FullPathOf(std::string_view path, std::string_view current);

// A full path split into its volume ("C:" or "\\server\share") and its names.
struct SplitPath {
  std::string volume;
  std::vector<std::string> names;
  bool trailingSeparator = false;

  bool IsUnc() const { return volume.size() > 2 && volume[0] == '\\'; }
  char DriveLetter() const { return IsUnc() || volume.empty() ? 0 : volume[0]; }
  std::string Text() const;
};

// False for anything that is not a full path with a volume.
bool Split(std::string_view fullPath, SplitPath& out);

// kErrorInvalidName for a name with a character Windows refuses (<>:"|?* and control
// characters), kErrorFilenameExcedRange for a name longer than 255, else kSuccess.
ErrorCode CheckName(std::string_view name);

// True when `path` is `folder` or lies inside it (full paths, without regard to case).
bool IsWithin(std::string_view path, std::string_view folder);

// A name that is already a short (8.3) name: one to eight characters, optionally a
// period and one to three more, none of them a blank or one of "*+,./:;<=>?[\]|.
// Letter case does not matter.
bool IsShortName(std::string_view name);
// The short name a volume gives the `number`-th entry of a folder whose long name makes
// the same stem, as FAT and NTFS make them: the name in upper case without blanks and
// periods (but the last), "+,;=[]" as "_", cut so that "~number" fits in eight
// characters, then the first three characters of the extension ("Program Files" 1:
// "PROGRA~1", "Setup Data.backup" 2: "SETUPD~2.BAC").
std::string MakeShortName(std::string_view longName, int number);

}  // namespace qv::platform::sim
