#include "platform/sim/file_records.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/text.h"
#include "platform/file_system.h"
#include "platform/sim/host_files.h"

namespace qv::platform::sim {
namespace {

const char* DriveTypeName(DriveType t) {
  switch (t) {
    case DriveType::Fixed: return "fixed";
    case DriveType::Removable: return "removable";
    case DriveType::CdRom: return "cdrom";
    case DriveType::Network: return "network";
  }
  return "fixed";
}

DriveType DriveTypeFrom(const std::string& name) {
  if (name == "removable") return DriveType::Removable;
  if (name == "cdrom") return DriveType::CdRom;
  if (name == "network") return DriveType::Network;
  return DriveType::Fixed;
}

uint32_t DefaultBits(bool isDir) { return isDir ? 0 : attr::kArchive; }

bool IsBelow(const std::string& key, const std::string& folder) {
  return key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '/';
}

}  // namespace

FileRecords::FileRecords(std::string file, const std::string& hostRoot) : file_(std::move(file)) {
  std::ifstream in(file_, std::ios::binary);
  if (!in) return;
  std::string line;
  bool dropped = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("drive ", 0) == 0 && line.size() >= 7) {
      std::istringstream fields(line.substr(6));
      std::string letter, type;
      fields >> letter >> type;
      if (letter.size() == 1) drives_[char(text::UpperChar(static_cast<unsigned char>(letter[0])))] = DriveTypeFrom(type);
    } else if (line.rfind("attr ", 0) == 0 && line.size() > 14) {
      uint32_t bits = uint32_t(std::strtoul(line.substr(5, 8).c_str(), nullptr, 16));
      std::string key = line.substr(14);
      if (host::StatOf(hostRoot + "/" + key).exists)
        bits_[key] = bits;
      else
        dropped = true;
    }
  }
  if (dropped) Save();
}

uint32_t FileRecords::Bits(const std::string& key, bool isDir) const {
  auto it = bits_.find(key);
  return it == bits_.end() ? DefaultBits(isDir) : it->second;
}

void FileRecords::SetBits(const std::string& key, bool isDir, uint32_t bits) {
  auto it = bits_.find(key);
  if (bits == DefaultBits(isDir)) {
    if (it == bits_.end()) return;
    bits_.erase(it);
  } else {
    if (it != bits_.end() && it->second == bits) return;
    bits_[key] = bits;
  }
  Save();
}

void FileRecords::Erase(const std::string& key) {
  bool changed = false;
  for (auto it = bits_.begin(); it != bits_.end();) {
    if (it->first == key || IsBelow(it->first, key)) {
      it = bits_.erase(it);
      changed = true;
    } else {
      ++it;
    }
  }
  if (changed) Save();
}

void FileRecords::Rename(const std::string& from, const std::string& to) {
  std::map<std::string, uint32_t> moved;
  for (auto it = bits_.begin(); it != bits_.end();) {
    if (it->first == from || IsBelow(it->first, from)) {
      moved[to + it->first.substr(from.size())] = it->second;
      it = bits_.erase(it);
    } else {
      ++it;
    }
  }
  if (moved.empty()) return;
  for (auto& [key, bits] : moved) bits_[key] = bits;
  Save();
}

bool FileRecords::HasDrive(char letter) const { return drives_.count(letter) != 0; }

DriveType FileRecords::Drive(char letter) const {
  auto it = drives_.find(letter);
  return it == drives_.end() ? DriveType::Fixed : it->second;
}

void FileRecords::SetDrive(char letter, DriveType type) {
  auto it = drives_.find(letter);
  if (it != drives_.end() && it->second == type) return;
  drives_[letter] = type;
  Save();
}

void FileRecords::Save() const {
  // Written beside and renamed over, so a crash leaves the old or the new table.
  std::string temp = file_ + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return;
    out << "# Simulated file system: drive types and Windows attribute bits (hex) of host entries\n";
    for (const auto& [letter, type] : drives_) out << "drive " << letter << ' ' << DriveTypeName(type) << '\n';
    char hex[9];
    for (const auto& [key, bits] : bits_) {
      std::snprintf(hex, sizeof hex, "%08X", bits);
      out << "attr " << hex << ' ' << key << '\n';
    }
  }
  std::rename(temp.c_str(), file_.c_str());
}

}  // namespace qv::platform::sim
