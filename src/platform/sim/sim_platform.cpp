#include "platform/sim/sim_platform.h"

#include <stdexcept>

#include "platform/in_process_archive.h"
#include "platform/sim/base_system.h"
#include "platform/sim/host_files.h"

namespace qv::platform::sim {

SimPlatform::SimPlatform(const std::string& hostRoot, OsProfile profile)
    : files_(hostRoot, &faults_),
      registry_(&faults_),
      system_(profile, files_),
      installer_(files_.HostRoot() + "/installer.txt") {
  files_.SetRules(FileSystemRulesOf(profile));
  registry_.SetRules(RegistryRulesOf(profile));
  SeedFolders(files_, profile);
  if (host::StatOf(RegistryFile()).exists) {
    std::string error;
    if (!registry_.LoadFrom(RegistryFile(), &error)) throw std::runtime_error("simulated registry: " + error);
  } else {
    SeedRegistry(registry_, profile);
  }
}

SimPlatform::~SimPlatform() = default;

std::unique_ptr<ArchiveComponent> SimPlatform::LoadArchiveComponent(const std::string& libraryPath,
                                                                    ErrorCode& error) {
  if ((error = faults_.Check(FaultOp::ArchiveLoad, files_.FullPath(libraryPath))) != kSuccess) return nullptr;
  if (!files_.FileExists(libraryPath)) {
    error = kErrorModNotFound;
    return nullptr;
  }
  auto component = MakeInProcessArchiveComponent(files_);
  error = component ? kSuccess : kErrorProcNotFound;
  return component;
}

std::string SimPlatform::ErrorText(ErrorCode code) { return StandardErrorText(code); }

void SimPlatform::SetProfile(OsProfile profile) {
  files_.SetRules(FileSystemRulesOf(profile));
  registry_.SetRules(RegistryRulesOf(profile));
  system_.SetProfile(std::move(profile));
}

std::string SimPlatform::RegistryFile() const { return files_.HostRoot() + "/registry.reg"; }

bool SimPlatform::SaveRegistry(std::string* error) { return registry_.SaveTo(RegistryFile(), error); }

}  // namespace qv::platform::sim
