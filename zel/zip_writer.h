#pragma once
// Writing ZIP archives, for the setup builder and for tests: whole host folders or
// entries from memory, deflated (stored when deflating does not make an entry smaller),
// with ZIP64 records wherever a size, an offset or the entry count needs them.
//
// Names are stored as given (AddFolderTree gives relative names with forward slashes,
// as ZIP requires); names that are not plain ASCII are marked as UTF-8 when asked.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zel/zel_error.h"

namespace zel {

struct ZipWriterOptions {
  int level = 6;               // deflate level 1..9; 0 stores every entry
  bool deterministic = false;  // every entry gets the fixed time 1980-01-01 00:00 and no host time stamp
  bool utf8Names = true;       // mark names that are not plain ASCII as UTF-8
  bool forceZip64 = false;     // ZIP64 records for every entry and the end, whatever the sizes
};

// Where the archive goes: written forwards, with seeks back to fill in header fields.
class ZipSink {
 public:
  virtual ~ZipSink() = default;
  virtual Error Write(const void* data, size_t size) = 0;
  virtual Error Seek(uint64_t position) = 0;
  virtual uint64_t Position() const = 0;
  // Ends the archive at `size` bytes and closes it.
  virtual Error Finish(uint64_t size) = 0;
};

std::unique_ptr<ZipSink> MakeFileSink(const std::string& hostPath, Error& error);
std::unique_ptr<ZipSink> MakeMemorySink(std::string& bytes);

class ZipWriter {
 public:
  // Entries without a time of their own get the fixed time too.
  static constexpr int64_t kNoTime = INT64_MIN;

  // Where an entry's data comes from; read twice when deflating did not help.
  class Source;

  explicit ZipWriter(std::unique_ptr<ZipSink> sink, ZipWriterOptions options = {});
  ~ZipWriter();

  // Every file below the folder with its path relative to it (after `prefix`, which
  // ends with "/" when given), in sorted order; empty folders become folder entries.
  Error AddFolderTree(const std::string& hostFolder, const std::string& prefix = "");
  Error AddFile(const std::string& name, const std::string& hostPath);
  Error AddBytes(const std::string& name, std::string_view bytes, int64_t unixTime = kNoTime);
  // `name` should end with "/".
  Error AddFolder(const std::string& name, int64_t unixTime = kNoTime);
  // Writes the central directory and the end records; the archive is complete after it.
  Error Finish();

 private:
  struct Meta;
  Error WriteEntry(const std::string& name, Source& source, uint64_t expectedSize, const Meta& meta);
  std::string LocalHeader(const std::string& name, const Meta& meta, bool zip64, uint16_t method, uint32_t crc,
                          uint64_t packedSize, uint64_t size) const;
  Error CopyData(Source& source, bool deflate, uint32_t& crc, uint64_t& size, uint64_t& packedSize);
  Meta MetaFor(int64_t unixTime, uint32_t attributes, bool folder) const;

  struct CentralRecord;
  std::unique_ptr<ZipSink> sink_;
  ZipWriterOptions options_;
  std::vector<CentralRecord> central_;
  uint64_t end_ = 0;  // end of the data written so far (a rewritten entry may be shorter)
  bool finished_ = false;
};

}  // namespace zel
