#pragma once
// The text form of a saved registry: the syntax of a REGEDIT4 .reg file, written in UTF-8
// so it reads well on the host. A string value that the quoted form cannot carry exactly
// (no terminating zero, zeros or line breaks inside) is written as hex(1).
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brelmont]
//   @="default value"
//   "Path"="C:\\Program Files\\Brelmont"
//   "Count"=dword:00000020
//   "Data"=hex:00,01,02
//   "Size"=hex(b):00,10,00,00,00,00,00,00
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace qv::platform::sim {

struct RegTextKey {
  std::string path;  // root name and key path, ANSI: "HKEY_LOCAL_MACHINE\SOFTWARE\X"
  std::vector<std::pair<std::string, RegValue>> values;
};

std::string FormatRegistryText(const std::vector<RegTextKey>& keys);
// False (with the line and the reason) on text it cannot read.
bool ParseRegistryText(std::string_view text, std::vector<RegTextKey>& keys, std::string* error = nullptr);

}  // namespace qv::platform::sim
