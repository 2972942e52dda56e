#pragma once
// What the host file system cannot hold for the simulated one: the Windows attribute
// bits of each entry and the table of drives. Kept in a text file beside the drive
// folders and rewritten on every change, so a later instance on the same root sees it.
//
// Entries are named by their host path relative to the root ("C/Windows/win.ini").
// Only bits that differ from a new entry's are stored: a file starts with kArchive, a
// folder with none.
#include <cstdint>
#include <map>
#include <string>

namespace qv::platform::sim {

enum class DriveType { Fixed, Removable, CdRom, Network };

class FileRecords {
 public:
  // Loads `file` when it exists; records of entries missing below `hostRoot` are dropped.
  FileRecords(std::string file, const std::string& hostRoot);

  // The stored bits (without kDirectory and kNormal).
  uint32_t Bits(const std::string& key, bool isDir) const;
  void SetBits(const std::string& key, bool isDir, uint32_t bits);
  // The entry and everything below it.
  void Erase(const std::string& key);
  void Rename(const std::string& from, const std::string& to);

  bool HasDrive(char letter) const;
  DriveType Drive(char letter) const;
  void SetDrive(char letter, DriveType type);

 private:
  void Save() const;

  std::string file_;
  std::map<std::string, uint32_t> bits_;
  std::map<char, DriveType> drives_;
};

}  // namespace qv::platform::sim
