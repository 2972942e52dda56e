#pragma once
// Which entry names may be extracted: a name must stay below the destination folder on
// Windows, whatever separators, drive letters, devices or dot components it uses.
#include <string>
#include <string_view>

namespace zel {

// The path below the destination for an entry name (either separator): components
// joined with backslashes, "." components dropped. False, with the reason as a short
// phrase, when the name is absolute ("\x", "/x", "\\server\x"), holds a ':' (drive
// letter or stream), has a ".." component (or one of dots and blanks only, which
// Windows folds to ".."), names a device (CON, NUL, COM1, ...) or is empty.
bool SafeRelativePath(std::string_view name, std::string& relative, std::string* reason = nullptr);

// The text given to the caller for a refused name.
std::string UnsafeNameText(std::string_view name, std::string_view reason);

}  // namespace zel
