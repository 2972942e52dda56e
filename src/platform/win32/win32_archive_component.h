#pragma once
// The archive component library (zel.lib) loaded into the process.
#include <memory>
#include <string>

#include "platform/archive_component.h"
#include "platform/errors.h"

namespace qv::platform::win32 {

// Loads the library and looks up its functions; null with the system's error number
// when it cannot be loaded, or with kErrorProcNotFound when one of the four required
// functions is missing. The library is unloaded when the component is destroyed.
std::unique_ptr<ArchiveComponent> LoadArchiveLibrary(const std::string& libraryPath, ErrorCode& error);

}  // namespace qv::platform::win32
