#include "platform/win32/win32_archive_component.h"

#include <windows.h>

#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_proc_address.h"

namespace qv::platform::win32 {
namespace {

class LoadedArchiveComponent final : public ArchiveComponent {
 public:
  struct Functions {
    ZelOpenListArchiveFn openList = nullptr;
    ZelCloseListArchiveFn closeList = nullptr;
    ZelExtractArchiveFn extract = nullptr;
    ZelGetLastArchiveErrorFn lastError = nullptr;
    ZelGetLastArchiveErrorTextFn lastErrorText = nullptr;  // optional
  };

  LoadedArchiveComponent(HMODULE library, const Functions& functions) : library_(library), fn_(functions) {}
  LoadedArchiveComponent(const LoadedArchiveComponent&) = delete;
  LoadedArchiveComponent& operator=(const LoadedArchiveComponent&) = delete;
  ~LoadedArchiveComponent() override { FreeLibrary(library_); }

  void* OpenListArchive(const char* archive, int32_t reserved1, ZelPasswordCallback passwordCallback,
                        int32_t reserved2, int32_t reserved3, int32_t reserved4, const char* password,
                        ZelEntry** entries, int32_t* count) override {
    return fn_.openList(archive, reserved1, passwordCallback, reserved2, reserved3, reserved4, password, entries,
                        count);
  }

  void CloseListArchive(void* handle) override { fn_.closeList(handle); }

  int32_t ExtractArchive(const char* archive, int32_t reserved1, const char* destination,
                         const TSZW_TARGETFILES* targets, int32_t overwriteExisting, const char* password,
                         ZelPasswordCallback passwordCallback, ZelProgressCallback progressCallback,
                         ZelContinueCallback continueCallback, ZelOverwriteCallback overwriteCallback) override {
    return fn_.extract(archive, reserved1, destination, targets, overwriteExisting, password, passwordCallback,
                       progressCallback, continueCallback, overwriteCallback);
  }

  int32_t GetLastArchiveError(int32_t reserved) override { return fn_.lastError(reserved); }

  std::string GetLastArchiveErrorText() override {
    const char* text = fn_.lastErrorText ? fn_.lastErrorText(0) : nullptr;
    return text ? std::string(text) : std::string();
  }

 private:
  HMODULE library_;
  Functions fn_;
};

}  // namespace

std::unique_ptr<ArchiveComponent> LoadArchiveLibrary(const std::string& libraryPath, ErrorCode& error) {
  if (HasEmbeddedZero(libraryPath)) {
    error = kErrorInvalidName;
    return nullptr;
  }
  // The altered search order (dependencies from the library's own folder) is defined
  // for full paths only, and a bare name would be searched for along the system path.
  std::string path = FullPathName(libraryPath);
  if (path.empty()) {
    error = kErrorModNotFound;
    return nullptr;
  }
  HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) {
    DWORD e = GetLastError();
    error = e == ERROR_SUCCESS ? kErrorModNotFound : ErrorCode(e);
    return nullptr;
  }
  LoadedArchiveComponent::Functions fn;
  fn.openList = ProcAddress<ZelOpenListArchiveFn>(library, "OpenListArchive");
  fn.closeList = ProcAddress<ZelCloseListArchiveFn>(library, "CloseListArchive");
  fn.extract = ProcAddress<ZelExtractArchiveFn>(library, "ExtractArchive");
  fn.lastError = ProcAddress<ZelGetLastArchiveErrorFn>(library, "GetLastArchiveError");
  fn.lastErrorText = ProcAddress<ZelGetLastArchiveErrorTextFn>(library, "GetLastArchiveErrorText");
  if (!fn.openList || !fn.closeList || !fn.extract || !fn.lastError) {
    FreeLibrary(library);
    error = kErrorProcNotFound;
    return nullptr;
  }
  error = kSuccess;
  return std::make_unique<LoadedArchiveComponent>(library, fn);
}

}  // namespace qv::platform::win32
