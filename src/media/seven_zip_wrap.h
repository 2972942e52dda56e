#pragma once
// The two operations through which the engine uses the archive component: list an
// archive, extract an archive. They are the only callers of the component.
//
// The component's callbacks are plain function pointers without a user pointer, so the
// password, progress and overwrite answer of a call live in thread-local state for its
// duration (calls may nest and run on several threads).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/archive_component.h"

namespace qv::media {

// Called as files are written: the file's name in the archive, bytes done and total of
// the whole extraction; false stops it.
using ExtractProgress = std::function<bool(const std::string& fileName, int64_t done, int64_t total)>;

// Lists the names of the archive's entries. On failure `error` is one of
// "The archive file was not found" (1001), "Illegal path used in a wildcard expression"
// (1002), "The archive cannot be opened: unsupported archive or incorrect password"
// (1003) or "General failure opening archive", or the message of an exception.
// `detail`, when given, receives the component's own description of the failure.
bool ListArchive(platform::ArchiveComponent& component, const std::string& archive, const std::string& password,
                 std::string& error, std::vector<std::string>& names, std::string* detail = nullptr);

// Extracts the named files, or (without names) lists the archive and extracts all of
// it. On failure `error` is "#" and the component's error number (or the list error, or
// an exception's message); `detail` as above. `answerFlag` makes the overwrite question
// answer "replace all"; a clear `modeFlag` lets the component replace existing files
// without asking.
bool ExtractArchive(platform::ArchiveComponent& component, const std::string& archive, const std::string& password,
                    const std::string& destination, const ExtractProgress& progress,
                    const std::optional<std::vector<std::string>>& names, std::string& error, bool answerFlag,
                    bool modeFlag, std::string* detail = nullptr);

// The texts of the list errors.
std::string ListErrorText(int32_t errorNumber);

}  // namespace qv::media
