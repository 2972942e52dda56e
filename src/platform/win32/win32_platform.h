#pragma once
// The real Windows behind the platform interfaces. Made once by the program entry;
// free of system headers, so that the entry code need not include them.
#include "platform/platform.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_installer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_user_interface.h"

namespace qv::platform::win32 {

class Win32Platform final : public Platform {
 public:
  // Switches the file functions of the process to the ANSI code page, in which the
  // engine keeps all its paths.
  Win32Platform();

  FileSystem& Files() override { return files_; }
  Registry& Reg() override { return registry_; }
  System& Sys() override { return system_; }
  UserInterface& Ui() override { return ui_; }
  Installer& Msi() override { return installer_; }
  std::unique_ptr<ArchiveComponent> LoadArchiveComponent(const std::string& libraryPath, ErrorCode& error) override;
  std::string ErrorText(ErrorCode code) override;

 private:
  Win32FileSystem files_;
  Win32Registry registry_;
  Win32System system_;
  Win32UserInterface ui_;
  Win32Installer installer_;
};

}  // namespace qv::platform::win32
