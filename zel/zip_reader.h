#pragma once
// Reading ZIP archives: the central directory (with ZIP64 end records and extra fields),
// and the data of one entry, stored or deflated, checked against its CRC-32. Every size
// and offset read from the archive is checked against the file before it is used, so a
// damaged or hostile archive gives an error, never a read outside the file or an
// allocation the file does not back.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zel/zel_error.h"
#include "zel/zel_io.h"

namespace zel {

struct ZipEntry {
  std::string name;  // as listed: backslashes, no trailing separator, system code page
  uint16_t method = 0;
  uint16_t flags = 0;
  bool folder = false;
  bool encrypted = false;
  uint32_t crc32 = 0;
  uint64_t size = 0;
  uint64_t packedSize = 0;
  uint64_t localHeaderOffset = 0;  // already corrected for data before the archive
  uint64_t lastWrite = 0;          // FILETIME ticks, UTC; 0 when unknown
  uint32_t attributes = 0;         // Windows attribute bits (kAttrFolder for folders)
};

// Receives the data of an entry in pieces; a failure stops the reading and is returned.
using DataSink = std::function<Error(const char* data, size_t size)>;

class ZipReader {
 public:
  // Opens and lists the archive. ZEL_ERROR_ARCHIVE_NOT_FOUND when the file does not
  // exist, ZEL_ERROR_CANNOT_OPEN when it cannot be read or is not a sound ZIP archive.
  static Error Open(Io& io, const std::string& path, std::unique_ptr<ZipReader>& reader);

  const std::vector<ZipEntry>& Entries() const { return entries_; }
  const std::string& Path() const { return path_; }

  // Streams the entry's uncompressed data to `sink`; ZEL_ERROR_DATA when the data is
  // damaged (bad local header, cut short, bad deflate stream, wrong size or CRC).
  Error ReadEntry(const ZipEntry& entry, const DataSink& sink);

  // Why an entry cannot be extracted (ZEL_ERROR_ENCRYPTED or ZEL_ERROR_UNSUPPORTED_METHOD),
  // or ZEL_OK.
  static Error CheckExtractable(const ZipEntry& entry);

 private:
  ZipReader(Io& io, std::string path, std::unique_ptr<InputFile> file)
      : io_(io), path_(std::move(path)), file_(std::move(file)) {}
  Error Load();
  Error Damaged(const std::string& why) const;
  Error OpenFailure(const Error& error, const std::string& why) const;
  Error ReadAt(uint64_t offset, void* buffer, size_t size, std::string& why);
  Error ReadStored(const ZipEntry& entry, uint64_t dataStart, const DataSink& sink, uint32_t& crc);
  Error ReadDeflated(const ZipEntry& entry, uint64_t dataStart, const DataSink& sink, uint32_t& crc);

  Io& io_;
  std::string path_;
  std::unique_ptr<InputFile> file_;
  uint64_t fileSize_ = 0;
  uint64_t dataEnd_ = 0;  // where entry data must end: the start of the central directory
  std::vector<ZipEntry> entries_;
};

}  // namespace zel
