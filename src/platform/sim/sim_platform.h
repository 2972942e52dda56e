#pragma once
// A simulated Windows machine for tests and the sandbox runner: a file system rooted at a
// host folder, a registry, the operating system of an OS profile, a headless user and a
// plan of faults that every part consults.
//
// On construction the root gets drive C: and the folders of the profile's Windows; the
// registry is loaded from <root>/registry.reg when that file exists (a machine kept from
// an earlier run), else it is filled with the keys of the profile's Windows. The registry
// is written back only when asked (SaveRegistry); files and their attributes, and the
// Installer's products (<root>/installer.txt), live on the host at once.
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/sim/fault_plan.h"
#include "platform/sim/os_profiles.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_installer.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_user_interface.h"

namespace qv::platform::sim {

class SimPlatform : public Platform {
 public:
  // Throws std::runtime_error when <root>/registry.reg exists but cannot be read.
  explicit SimPlatform(const std::string& hostRoot, OsProfile profile = profiles::Default());
  ~SimPlatform() override;

  FileSystem& Files() override { return files_; }
  Registry& Reg() override { return registry_; }
  System& Sys() override { return system_; }
  UserInterface& Ui() override { return ui_; }
  Installer& Msi() override { return installer_; }
  // The in-process archive code on this file system when the library file exists.
  std::unique_ptr<ArchiveComponent> LoadArchiveComponent(const std::string& libraryPath, ErrorCode& error) override;
  std::string ErrorText(ErrorCode code) override;

  SimFileSystem& SimFiles() { return files_; }
  SimRegistry& SimReg() { return registry_; }
  SimSystem& SimSys() { return system_; }
  SimUserInterface& SimUi() { return ui_; }
  SimInstaller& SimMsi() { return installer_; }
  FaultPlan& Faults() { return faults_; }

  OsProfile Profile() const { return system_.Profile(); }
  // Another Windows on the same disk and registry: the rules change, the contents stay.
  void SetProfile(OsProfile profile);

  std::string RegistryFile() const;
  bool SaveRegistry(std::string* error = nullptr);

 private:
  FaultPlan faults_;
  SimFileSystem files_;
  SimRegistry registry_;
  SimSystem system_;
  SimUserInterface ui_;
  SimInstaller installer_;
};

}  // namespace qv::platform::sim
