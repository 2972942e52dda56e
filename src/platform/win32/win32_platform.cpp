#include "platform/win32/win32_platform.h"

#include <windows.h>

#include "platform/win32/win32_archive_component.h"
#include "platform/win32/win32_error_text.h"

namespace qv::platform::win32 {

Win32Platform::Win32Platform() { SetFileApisToANSI(); }

std::unique_ptr<ArchiveComponent> Win32Platform::LoadArchiveComponent(const std::string& libraryPath,
                                                                      ErrorCode& error) {
  return LoadArchiveLibrary(libraryPath, error);
}

std::string Win32Platform::ErrorText(ErrorCode code) { return SystemErrorText(code); }

}  // namespace qv::platform::win32
