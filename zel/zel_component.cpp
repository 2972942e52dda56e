#include "zel/zel_component.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "zel/zip_extractor.h"
#include "zel/zip_reader.h"

namespace zel {
namespace {

// Plain data on purpose: a thread-local with a destructor would register a per-thread
// clean-up inside the DLL, which crashes a thread that ends after the library was
// unloaded. Longer texts are cut.
struct LastFailure {
  int32_t code;
  char text[2048];
};

thread_local LastFailure t_failure;

void Remember(const Error& error) {
  t_failure.code = error.code;
  size_t n = std::min(error.text.size(), sizeof t_failure.text - 1);
  std::memcpy(t_failure.text, error.text.data(), n);
  t_failure.text[n] = '\0';
}

// What an open list handle owns: the entry array and the names it points to.
struct ListHandle {
  std::vector<std::string> names;
  std::vector<ZelEntry> entries;
};

// Handles given out and not yet closed, so a stray or repeated close is refused
// instead of freeing memory twice.
std::mutex& HandlesLock() {
  static std::mutex lock;
  return lock;
}
std::unordered_set<ListHandle*>& Handles() {
  static std::unordered_set<ListHandle*> handles;
  return handles;
}

Error CheckArchivePath(const char* archive) {
  if (!archive || !*archive) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "No archive was named");
  if (std::strpbrk(archive, "*?"))
    return Fail(ZEL_ERROR_ILLEGAL_WILDCARD, std::string("The archive path ") + archive + " holds a wildcard");
  return {};
}

uint32_t EntryFlags(const ZipEntry& entry) {
  return (entry.folder ? ZEL_ENTRY_FOLDER : 0) | (entry.encrypted ? ZEL_ENTRY_ENCRYPTED : 0);
}

// Runs one call of the interface: no exception leaves the library.
template <typename Body>
Error Guarded(Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Fail(ZEL_ERROR_GENERAL, "Not enough memory for the archive operation");
  } catch (const std::exception& e) {
    return Fail(ZEL_ERROR_GENERAL, std::string("The archive operation failed: ") + e.what());
  } catch (...) {
    return Fail(ZEL_ERROR_GENERAL, "The archive operation failed");
  }
}

}  // namespace

void* Component::OpenListArchive(const char* archive, ZelPasswordCallback, const char*, ZelEntry** entries,
                                 int32_t* count) {
  std::unique_ptr<ListHandle> handle;
  Error error = Guarded([&]() -> Error {
    if (Error e = CheckArchivePath(archive)) return e;
    if (!entries || !count) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "No place for the entry list was given");
    *entries = nullptr;
    *count = 0;
    // ZIP keeps names in the clear, so listing never needs the password.
    std::unique_ptr<ZipReader> reader;
    if (Error e = ZipReader::Open(io_, archive, reader)) return e;
    const auto& found = reader->Entries();
    if (found.size() > INT32_MAX) return Fail(ZEL_ERROR_CANNOT_OPEN, "The archive has too many entries");
    handle = std::make_unique<ListHandle>();
    handle->names.reserve(found.size());
    handle->entries.reserve(found.size());
    for (const auto& entry : found) handle->names.push_back(entry.name);
    for (size_t i = 0; i < found.size(); ++i) {
      const ZipEntry& e = found[i];
      handle->entries.push_back(ZelEntry{handle->names[i].c_str(), e.size, e.packedSize, e.lastWrite,
                                         e.attributes, e.crc32, EntryFlags(e), 0});
    }
    std::lock_guard<std::mutex> guard(HandlesLock());
    Handles().insert(handle.get());
    return {};
  });
  if (error) {
    Remember(error);
    return nullptr;
  }
  *entries = handle->entries.empty() ? nullptr : handle->entries.data();
  *count = static_cast<int32_t>(handle->entries.size());
  return handle.release();
}

void Component::CloseListArchive(void* handle) {
  auto* list = static_cast<ListHandle*>(handle);
  {
    std::lock_guard<std::mutex> guard(HandlesLock());
    if (!list || Handles().erase(list) == 0) {
      if (list) Remember(Fail(ZEL_ERROR_INVALID_ARGUMENT, "The list handle is not open"));
      return;
    }
  }
  delete list;
}

int32_t Component::ExtractArchive(const char* archive, const char* destination, const TSZW_TARGETFILES* targets,
                                  int32_t overwriteExisting, const char* password,
                                  ZelPasswordCallback passwordCallback, ZelProgressCallback progressCallback,
                                  ZelContinueCallback continueCallback, ZelOverwriteCallback overwriteCallback) {
  Error error = Guarded([&]() -> Error {
    if (Error e = CheckArchivePath(archive)) return e;
    if (!destination || !*destination) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "No destination folder was named");
    std::vector<std::string> names;
    if (targets && targets->count > 0) {
      if (!targets->files) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "The list of files to extract is missing");
      for (int32_t i = 0; i < targets->count; ++i) {
        if (!targets->files[i]) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "A file to extract has no name");
        names.emplace_back(targets->files[i]);
      }
    }
    ExtractRequest request;
    request.destination = destination;
    request.names = &names;
    request.overwriteExisting = overwriteExisting != 0;
    request.password = password ? password : "";

    ExtractCallbacks callbacks;
    if (passwordCallback) {
      callbacks.password = [passwordCallback](std::string& offered) {
        char buffer[ZEL_PASSWORD_BUFFER + 1] = {};
        if (passwordCallback(buffer) == 0) return false;
        buffer[ZEL_PASSWORD_BUFFER] = '\0';
        offered = buffer;
        return true;
      };
    }
    if (progressCallback) {
      callbacks.progress = [progressCallback](const std::string& name, int64_t done, int64_t total) {
        return progressCallback(name.c_str(), done, total) != 0;
      };
    }
    if (continueCallback) {
      callbacks.continueWith = [continueCallback](int32_t index, int32_t count) {
        return continueCallback(index, count) != 0;
      };
    }
    if (overwriteCallback) {
      callbacks.overwrite = [overwriteCallback](const OverwriteQuestion& q) {
        return overwriteCallback(q.existingPath.c_str(), static_cast<int64_t>(q.existing.size), q.existing.lastWrite,
                                 q.existing.attributes, q.entry->name.c_str(), static_cast<int64_t>(q.entry->size),
                                 q.entry->lastWrite, q.entry->attributes, 0, 0);
      };
    }
    return zel::ExtractArchive(io_, archive, request, callbacks);
  });
  if (error) {
    Remember(error);
    return 0;
  }
  return 1;
}

int32_t Component::LastError() { return t_failure.code; }

const char* Component::LastErrorText() { return t_failure.text; }

}  // namespace zel
