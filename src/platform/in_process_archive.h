#pragma once
// The archive component's code run inside the engine's process on a FileSystem of the
// platform, with the same functions and callbacks as the library. The simulated platform
// offers it in place of loading zel.lib.
#include <memory>

#include "platform/archive_component.h"
#include "platform/file_system.h"

namespace qv::platform {

std::unique_ptr<ArchiveComponent> MakeInProcessArchiveComponent(FileSystem& files);

}  // namespace qv::platform
