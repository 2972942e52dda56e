#pragma once
// Windows path rules on plain texts (no system calls): backslash and colon delimit,
// the extension starts at the last dot of the file name.
#include <string>
#include <string_view>
#include <vector>

namespace qv::winpath {

bool IsDelimiter(char c);
std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);
// Folder part including its trailing backslash (or colon); empty when there is none.
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);
// Extension with its dot, or empty.
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view extension);
// File name without folder and extension.
std::string BaseName(std::string_view path);
std::string Combine(std::string_view folder, std::string_view name);
// "C:\..." or "\\server\..." (a path that does not depend on a current folder).
bool IsAbsolute(std::string_view path);
// Components between separators ("\" or "/"), empty ones dropped.
std::vector<std::string> Components(std::string_view path);

}  // namespace qv::winpath
