#pragma once
// The archive component (zel.lib) as loaded by the engine: the four functions it imports
// by name, with the arguments of the library's interface, plus the readable text of the
// last error. The real platform forwards to the loaded library; the simulated one runs
// the same archive code on the simulated file system.
#include <string>

#include "zel/zel_api.h"

namespace qv::platform {

class ArchiveComponent {
 public:
  virtual ~ArchiveComponent() = default;
  virtual void* OpenListArchive(const char* archive, int32_t reserved1, ZelPasswordCallback passwordCallback,
                                int32_t reserved2, int32_t reserved3, int32_t reserved4,
                                const char* password, ZelEntry** entries, int32_t* count) = 0;
  virtual void CloseListArchive(void* handle) = 0;
  virtual int32_t ExtractArchive(const char* archive, int32_t reserved1, const char* destination,
                                 const TSZW_TARGETFILES* targets, int32_t overwriteExisting,
                                 const char* password, ZelPasswordCallback passwordCallback,
                                 ZelProgressCallback progressCallback, ZelContinueCallback continueCallback,
                                 ZelOverwriteCallback overwriteCallback) = 0;
  virtual int32_t GetLastArchiveError(int32_t reserved) = 0;
  // Empty when the library does not describe its errors.
  virtual std::string GetLastArchiveErrorText() = 0;
};

}  // namespace qv::platform
