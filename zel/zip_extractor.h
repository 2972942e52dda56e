#pragma once
// Extracting entries of a ZIP archive below a destination folder.
//
// Before anything is written, every selected entry is checked: a requested name that is
// not in the archive, an unsafe name, an encrypted entry or an unsupported method
// refuses the whole extraction, so a refused archive leaves the destination untouched.
// Damage found while reading (bad CRC, broken deflate stream) or a failing write stops
// at that entry: its partly written file is removed, files finished before stay.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zel/zel_error.h"
#include "zel/zel_io.h"
#include "zel/zip_reader.h"

namespace zel {

// Answers of the overwrite question (the numbers of the library interface).
enum OverwriteAnswer : int32_t {
  kOverwriteReplace = 1,
  kOverwriteKeep = 2,
  kOverwriteStop = 3,
  kOverwriteReplaceAll = 4,
};

struct OverwriteQuestion {
  std::string existingPath;
  FileInfo existing;
  const ZipEntry* entry = nullptr;
};

// Every callback may be empty: no password to offer, go on, go on, keep existing files.
struct ExtractCallbacks {
  // Asked once, when a selected entry needs a password and none was given.
  std::function<bool(std::string& password)> password;
  // The entry's listed name and the bytes written so far of all selected entries;
  // false stops the extraction.
  std::function<bool(const std::string& name, int64_t done, int64_t total)> progress;
  // Asked between two entries (index of the next one, count); false stops.
  std::function<bool(int32_t index, int32_t count)> continueWith;
  // Asked before an existing file is replaced when replacing was not granted; any answer
  // other than the four above stops.
  std::function<int32_t(const OverwriteQuestion& question)> overwrite;
};

struct ExtractRequest {
  std::string destination;  // created (with missing parents) when missing
  // Listed names of the entries to extract, letter case ignored, either separator;
  // null or empty: every entry.
  const std::vector<std::string>* names = nullptr;
  bool overwriteExisting = false;  // replace existing files without asking
  std::string password;
};

// Indexes (in archive order) of the entries that `names` selects; ZEL_ERROR_NOT_IN_ARCHIVE
// naming the first requested file that no entry has.
Error SelectEntries(const std::vector<ZipEntry>& entries, const std::vector<std::string>* names,
                    std::vector<size_t>& selected);

Error ExtractEntries(Io& io, ZipReader& archive, const ExtractRequest& request, const ExtractCallbacks& callbacks);

// Opens the archive and extracts it.
Error ExtractArchive(Io& io, const std::string& archive, const ExtractRequest& request,
                     const ExtractCallbacks& callbacks);

// Creates a folder and its missing parents.
Error CreateFolderTree(Io& io, const std::string& path);

}  // namespace zel
