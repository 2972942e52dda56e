#pragma once
// What follows from an OS profile for the simulated file system and registry: their
// rules (redirection, views, rights), and the folders and keys every installation of
// that Windows has, so the engine finds its Program Files, temp folder and version keys.
#include "platform/sim/os_profiles.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_registry.h"

namespace qv::platform::sim {

FileSystemRules FileSystemRulesOf(const OsProfile& profile);
RegistryRules RegistryRulesOf(const OsProfile& profile);

// Create what is missing; existing entries and values stay as they are.
void SeedFolders(SimFileSystem& files, const OsProfile& profile);
void SeedRegistry(SimRegistry& registry, const OsProfile& profile);

}  // namespace qv::platform::sim
