#pragma once
// The operating-system boundary. Everything outside src/platform talks to the machine
// through these interfaces; win32/ implements them with the real calls, sim/ with a
// simulated Windows that keeps state.
#include <memory>
#include <string>

#include "platform/archive_component.h"
#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/installer.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/user_interface.h"

namespace qv::platform {

class Platform {
 public:
  virtual ~Platform() = default;
  virtual FileSystem& Files() = 0;
  virtual Registry& Reg() = 0;
  virtual System& Sys() = 0;
  virtual UserInterface& Ui() = 0;
  // The Windows Installer service.
  virtual Installer& Msi() = 0;
  // Loads the archive component library at `libraryPath`; null (with the error) when it
  // is missing or lacks one of the four functions.
  virtual std::unique_ptr<ArchiveComponent> LoadArchiveComponent(const std::string& libraryPath,
                                                                 ErrorCode& error) = 0;
  // The system's text for an error number.
  virtual std::string ErrorText(ErrorCode code) = 0;
};

}  // namespace qv::platform
