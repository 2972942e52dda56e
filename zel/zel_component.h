#pragma once
// The functions of the library interface (zel_api.h) over an Io, written once: the DLL
// exports forward to them with the Win32 file calls, and the engine's simulated
// platform with its FileSystem.
//
// Meanings the interface leaves open: an archive path with wildcard characters fails
// with ZEL_ERROR_ILLEGAL_WILDCARD; without overwriteExisting and without an overwrite
// callback, existing files are kept; an unknown overwrite answer stops. The last error
// is kept per thread, shared by every Component in the process (as a loaded library's
// would be), and is left unchanged by successful calls.
#include <cstdint>

#include "zel/zel_api.h"
#include "zel/zel_io.h"

namespace zel {

class Component {
 public:
  explicit Component(Io& io) : io_(io) {}

  void* OpenListArchive(const char* archive, ZelPasswordCallback passwordCallback, const char* password,
                        ZelEntry** entries, int32_t* count);
  void CloseListArchive(void* handle);
  int32_t ExtractArchive(const char* archive, const char* destination, const TSZW_TARGETFILES* targets,
                         int32_t overwriteExisting, const char* password, ZelPasswordCallback passwordCallback,
                         ZelProgressCallback progressCallback, ZelContinueCallback continueCallback,
                         ZelOverwriteCallback overwriteCallback);

  static int32_t LastError();
  // Valid until the calling thread's next failing call.
  static const char* LastErrorText();

 private:
  Io& io_;
};

}  // namespace zel
