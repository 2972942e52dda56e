// The exported functions of zel.lib. Names are undecorated (zel.def); on i686 they use
// __stdcall (ZEL_CALL), as the engine imports them.
#include <windows.h>

#include <mutex>

#include "common/text.h"
#include "zel/win32_io.h"
#include "zel/zel_api.h"
#include "zel/zel_component.h"

namespace {

zel::Component& TheComponent() {
  static zel::Win32Io io;
  static zel::Component component(io);
  // Listed names are matched without regard to letter case in the system's code page.
  static std::once_flag caseTables;
  std::call_once(caseTables, [] {
    unsigned char upper[256], lower[256];
    for (int c = 0; c < 256; ++c) upper[c] = lower[c] = static_cast<unsigned char>(c);
    CharUpperBuffA(reinterpret_cast<char*>(upper + 1), 255);
    CharLowerBuffA(reinterpret_cast<char*>(lower + 1), 255);
    qv::text::SetAnsiCaseTables(upper, lower);
  });
  return component;
}

}  // namespace

extern "C" {

void* ZEL_CALL OpenListArchive(const char* archive, int32_t, ZelPasswordCallback passwordCallback, int32_t, int32_t,
                               int32_t, const char* password, ZelEntry** entries, int32_t* count) {
  return TheComponent().OpenListArchive(archive, passwordCallback, password, entries, count);
}

void ZEL_CALL CloseListArchive(void* handle) { TheComponent().CloseListArchive(handle); }

int32_t ZEL_CALL ExtractArchive(const char* archive, int32_t, const char* destination, const TSZW_TARGETFILES* targets,
                                int32_t overwriteExisting, const char* password, ZelPasswordCallback passwordCallback,
                                ZelProgressCallback progressCallback, ZelContinueCallback continueCallback,
                                ZelOverwriteCallback overwriteCallback) {
  return TheComponent().ExtractArchive(archive, destination, targets, overwriteExisting, password, passwordCallback,
                                       progressCallback, continueCallback, overwriteCallback);
}

int32_t ZEL_CALL GetLastArchiveError(int32_t) { return zel::Component::LastError(); }

const char* ZEL_CALL GetLastArchiveErrorText(int32_t) { return zel::Component::LastErrorText(); }

}  // extern "C"
