#pragma once
// Version resources in the bytes of an executable image: the simulated system reads
// them as GetFileVersionInfo does, and puts them into the system files it seeds.
#include <string>
#include <string_view>

#include "platform/system.h"

namespace qv::platform::sim {

// The fixed file version and the first translation of the image's version resource
// (VS_VERSIONINFO, resource type 16 id 1); false when the bytes are not an image or it
// has no such resource.
bool ParseVersionResource(std::string_view file, FileVersionInfo& info);

// A small PE32 image whose one resource is a version resource with `info`'s file
// version (also as its product version) and, when `info.hasTranslation`, its translation.
std::string ImageWithVersionResource(const FileVersionInfo& info);

}  // namespace qv::platform::sim
