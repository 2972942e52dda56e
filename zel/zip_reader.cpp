#include "zel/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "zel/dos_time.h"
#include "zel/zip_format.h"

namespace zel {
namespace {

using zip::Get16;
using zip::Get32;
using zip::Get64;

constexpr size_t kChunk = 256 * 1024;

// Sequential reading of one region of the archive in buffered pieces; never past `end`.
class RegionReader {
 public:
  RegionReader(InputFile& file, uint64_t start, uint64_t end) : file_(file), pos_(start), end_(end) {}
  uint64_t Remaining() const { return end_ - pos_ + (buffer_.size() - used_); }
  // False when the region or the file ends first (`ioError` then tells a failing read).
  bool Read(void* out, size_t size, IoError& ioError) {
    auto* dst = static_cast<char*>(out);
    while (size > 0) {
      if (used_ == buffer_.size() && !Fill(ioError)) return false;
      size_t n = std::min(size, buffer_.size() - used_);
      std::memcpy(dst, buffer_.data() + used_, n);
      used_ += n;
      dst += n;
      size -= n;
    }
    return true;
  }

 private:
  bool Fill(IoError& ioError) {
    if (pos_ >= end_) return false;
    size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, end_ - pos_));
    buffer_.resize(want);
    if (!file_.Seek(pos_, ioError)) return false;
    size_t have = 0;
    while (have < want) {
      size_t got = 0;
      if (!file_.Read(buffer_.data() + have, want - have, got, ioError)) return false;
      if (got == 0) break;
      have += got;
    }
    if (have == 0) return false;
    buffer_.resize(have);
    used_ = 0;
    pos_ += have;
    return true;
  }

  InputFile& file_;
  uint64_t pos_;
  uint64_t end_;
  std::vector<char> buffer_;
  size_t used_ = 0;
};

struct Extras {
  bool hasNtfsTime = false;
  uint64_t ntfsTime = 0;
  bool hasUnixTime = false;
  int64_t unixTime = 0;
  bool encrypted = false;
  bool hasUnicodePath = false;
  uint32_t unicodePathCrc = 0;
  std::string unicodePath;
};

// The values that the fixed fields marked as "in the ZIP64 field"; false when that
// field is missing or too short.
struct Zip64Values {
  uint64_t* size;
  uint64_t* packedSize;
  uint64_t* offset;
  uint32_t* disk;
};

bool ParseExtras(const unsigned char* p, size_t length, Extras& extras, const Zip64Values& z64,
                 std::string& why) {
  bool needSize = *z64.size == zip::k32BitMarker, needPacked = *z64.packedSize == zip::k32BitMarker,
       needOffset = *z64.offset == zip::k32BitMarker, needDisk = *z64.disk == zip::k16BitMarker;
  bool sawZip64 = false;
  size_t pos = 0;
  // Some writers pad the extra field; bytes too few for another field are ignored.
  while (pos + 4 <= length) {
    uint16_t tag = Get16(p + pos);
    uint16_t size = Get16(p + pos + 2);
    const unsigned char* data = p + pos + 4;
    if (pos + 4 + size > length) break;
    pos += 4 + size;
    switch (tag) {
      case zip::kExtraZip64: {
        sawZip64 = true;
        size_t at = 0;
        auto take64 = [&](uint64_t* target) {
          if (at + 8 > size) return false;
          *target = Get64(data + at);
          at += 8;
          return true;
        };
        if ((needSize && !take64(z64.size)) || (needPacked && !take64(z64.packedSize)) ||
            (needOffset && !take64(z64.offset))) {
          why = "a ZIP64 extra field is too short";
          return false;
        }
        if (needDisk) {
          if (at + 4 > size) {
            why = "a ZIP64 extra field is too short";
            return false;
          }
          *z64.disk = Get32(data + at);
        }
        break;
      }
      case zip::kExtraNtfs:
        // Reserved word, then tagged attributes; tag 1 holds the three file times.
        for (size_t at = 4; at + 4 <= size;) {
          uint16_t attrTag = Get16(data + at), attrSize = Get16(data + at + 2);
          if (at + 4 + attrSize > size) break;
          if (attrTag == 1 && attrSize >= 24) {
            extras.hasNtfsTime = true;
            extras.ntfsTime = Get64(data + at + 4);
          }
          at += 4 + attrSize;
        }
        break;
      case zip::kExtraUnixTime:
        if (size >= 5 && (data[0] & 1)) {
          extras.hasUnixTime = true;
          extras.unixTime = static_cast<int32_t>(Get32(data + 1));
        }
        break;
      case zip::kExtraUnicodePath:
        if (size >= 5 && data[0] == 1) {
          extras.hasUnicodePath = true;
          extras.unicodePathCrc = Get32(data + 1);
          extras.unicodePath.assign(reinterpret_cast<const char*>(data + 5), size - 5);
        }
        break;
      case zip::kExtraAes:
      case zip::kExtraStrongEncryption:
        extras.encrypted = true;
        break;
      default:
        break;
    }
  }
  if ((needSize || needPacked || needOffset || needDisk) && !sawZip64) {
    why = "an entry lacks its ZIP64 extra field";
    return false;
  }
  return true;
}

uint32_t WindowsAttributes(uint16_t versionMadeBy, uint32_t external, bool folder) {
  uint8_t host = static_cast<uint8_t>(versionMadeBy >> 8);
  uint32_t attributes = 0;
  switch (host) {
    case zip::kHostDos:
    case zip::kHostNtfs:
    case zip::kHostVfat:
    case 6:  // OS/2 HPFS
    case zip::kHostUnix:
    case zip::kHostOsx:
      attributes = external & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrFolder | kAttrArchive);
      break;
    default:
      break;
  }
  if (host == zip::kHostUnix || host == zip::kHostOsx) {
    uint32_t mode = external >> 16;
    if (mode != 0) {
      if ((mode & 0170000) == 0040000) attributes |= kAttrFolder;
      if (!(mode & 0200)) attributes |= kAttrReadOnly;
    }
  }
  if (folder) attributes |= kAttrFolder;
  return attributes;
}

std::string ListedName(std::string name, bool& folder) {
  std::replace(name.begin(), name.end(), '/', '\\');
  while (!name.empty() && name.back() == '\\') {
    folder = true;
    name.pop_back();
  }
  return name;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
  return static_cast<uint32_t>(::crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

}  // namespace

Error ZipReader::Open(Io& io, const std::string& path, std::unique_ptr<ZipReader>& reader) {
  reader.reset();
  IoError ioError;
  auto file = io.OpenRead(path, ioError);
  if (!file) {
    if (ioError.notFound) return Fail(ZEL_ERROR_ARCHIVE_NOT_FOUND, "The archive " + path + " was not found");
    return Fail(ZEL_ERROR_CANNOT_OPEN, "The archive " + path + " cannot be opened: " + ioError.reason);
  }
  std::unique_ptr<ZipReader> opened(new ZipReader(io, path, std::move(file)));
  if (Error e = opened->Load()) return e;
  reader = std::move(opened);
  return {};
}

Error ZipReader::Damaged(const std::string& why) const {
  return Fail(ZEL_ERROR_CANNOT_OPEN, "The archive " + path_ + " is damaged: " + why);
}

// While opening, damage and read failures alike mean the archive cannot be opened.
Error ZipReader::OpenFailure(const Error& error, const std::string& why) const {
  return error.code == ZEL_ERROR_DATA ? Damaged(why) : Fail(ZEL_ERROR_CANNOT_OPEN, error.text);
}

Error ZipReader::ReadAt(uint64_t offset, void* buffer, size_t size, std::string& why) {
  IoError ioError;
  if (offset > fileSize_ || size > fileSize_ - offset) {
    why = "it is cut short";
    return Fail(ZEL_ERROR_DATA, why);
  }
  if (!file_->Seek(offset, ioError))
    return Fail(ZEL_ERROR_GENERAL, "The archive " + path_ + " cannot be read: " + ioError.reason);
  size_t have = 0;
  while (have < size) {
    size_t got = 0;
    if (!file_->Read(static_cast<char*>(buffer) + have, size - have, got, ioError))
      return Fail(ZEL_ERROR_GENERAL, "The archive " + path_ + " cannot be read: " + ioError.reason);
    if (got == 0) {
      why = "it is cut short";
      return Fail(ZEL_ERROR_DATA, why);
    }
    have += got;
  }
  return {};
}

Error ZipReader::Load() {
  fileSize_ = file_->Size();
  const std::string notZip = "The file " + path_ + " is not a ZIP archive";
  if (fileSize_ < zip::kEndSize) return Fail(ZEL_ERROR_CANNOT_OPEN, notZip);

  // The end record is in the last 22 bytes plus at most a 64 KiB comment.
  size_t tailSize = static_cast<size_t>(std::min<uint64_t>(fileSize_, zip::kEndSize + zip::kMaxCommentSize));
  uint64_t tailStart = fileSize_ - tailSize;
  std::vector<unsigned char> tail(tailSize);
  std::string why;
  if (Error e = ReadAt(tailStart, tail.data(), tailSize, why)) return OpenFailure(e, why);
  size_t endAt = tailSize;
  for (size_t i = tailSize - zip::kEndSize + 1; i-- > 0;) {
    if (Get32(&tail[i]) == zip::kEndSignature && i + zip::kEndSize + Get16(&tail[i + 20]) <= tailSize) {
      endAt = i;
      break;
    }
  }
  if (endAt == tailSize) return Fail(ZEL_ERROR_CANNOT_OPEN, notZip);
  const unsigned char* end = &tail[endAt];
  uint64_t endPos = tailStart + endAt;
  uint32_t disk = Get16(end + 4), cdDisk = Get16(end + 6);
  uint64_t declaredCount = Get16(end + 10);
  uint64_t cdSize = Get32(end + 12);
  uint64_t cdOffset = Get32(end + 16);
  uint64_t cdLimit = endPos;  // the central directory ends where the next end record starts
  bool zip64 = false;

  if (endPos >= zip::kZip64LocatorSize) {
    unsigned char locator[zip::kZip64LocatorSize];
    if (Error e = ReadAt(endPos - zip::kZip64LocatorSize, locator, sizeof locator, why)) return OpenFailure(e, why);
    if (Get32(locator) == zip::kZip64LocatorSignature) {
      zip64 = true;
      uint64_t locatorPos = endPos - zip::kZip64LocatorSize;
      uint64_t declared = Get64(locator + 8);
      unsigned char record[zip::kZip64EndSize];
      auto recordAt = [&](uint64_t at) {
        std::string ignored;
        return at + zip::kZip64EndSize <= locatorPos && !ReadAt(at, record, sizeof record, ignored) &&
               Get32(record) == zip::kZip64EndSignature;
      };
      uint64_t recordPos = declared;
      if (!recordAt(recordPos)) {
        // Data in front of the archive moves every offset by the same amount.
        recordPos = locatorPos - zip::kZip64EndSize;
        if (locatorPos < zip::kZip64EndSize || !recordAt(recordPos)) return Damaged("the ZIP64 end record is missing");
      }
      disk = Get32(record + 16);
      cdDisk = Get32(record + 20);
      declaredCount = Get64(record + 32);
      cdSize = Get64(record + 40);
      cdOffset = Get64(record + 48);
      cdLimit = recordPos;
    }
  }
  if (disk != 0 || cdDisk != 0) return Damaged("it spans several disks, which is not supported");
  if (cdSize > cdLimit || cdOffset > cdLimit - cdSize)
    return Damaged("the central directory lies outside the file");

  // Shift: bytes in front of the archive (a stub, or a copy inside another file).
  uint64_t shift = cdLimit - (cdOffset + cdSize);
  if (cdSize > 0) {
    unsigned char sig[4];
    if (Error e = ReadAt(cdOffset + shift, sig, 4, why)) return OpenFailure(e, why);
    if (Get32(sig) != zip::kCentralHeaderSignature) {
      if (ReadAt(cdOffset, sig, 4, why) || Get32(sig) != zip::kCentralHeaderSignature)
        return Damaged("the central directory is not where its end record says");
      shift = 0;
    }
  }
  uint64_t cdStart = cdOffset + shift;
  dataEnd_ = cdStart;

  RegionReader cd(*file_, cdStart, cdStart + cdSize);
  IoError ioError;
  std::vector<unsigned char> variable;
  entries_.reserve(static_cast<size_t>(std::min<uint64_t>(declaredCount, cdSize / zip::kCentralHeaderSize)));
  auto readFailed = [&]() {
    return ioError.reason.empty() ? Damaged("the central directory is cut short")
                                  : Fail(ZEL_ERROR_CANNOT_OPEN, "The archive " + path_ + " cannot be read: " + ioError.reason);
  };
  while (cd.Remaining() > 0) {
    unsigned char h[zip::kCentralHeaderSize];
    if (!cd.Read(h, sizeof h, ioError)) return readFailed();
    if (Get32(h) != zip::kCentralHeaderSignature) return Damaged("a central directory record is broken");
    uint16_t madeBy = Get16(h + 4);
    ZipEntry entry;
    entry.flags = Get16(h + 8);
    entry.method = Get16(h + 10);
    uint16_t dosTime = Get16(h + 12), dosDate = Get16(h + 14);
    entry.crc32 = Get32(h + 16);
    entry.packedSize = Get32(h + 20);
    entry.size = Get32(h + 24);
    size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
    uint32_t startDisk = Get16(h + 34);
    uint32_t external = Get32(h + 38);
    entry.localHeaderOffset = Get32(h + 42);
    variable.resize(nameLength + extraLength + commentLength);
    if (!variable.empty() && !cd.Read(variable.data(), variable.size(), ioError)) return readFailed();
    std::string rawName(reinterpret_cast<const char*>(variable.data()), nameLength);
    if (rawName.find('\0') != std::string::npos) return Damaged("an entry name holds a zero byte");

    Extras extras;
    Zip64Values z64{&entry.size, &entry.packedSize, &entry.localHeaderOffset, &startDisk};
    if (!ParseExtras(variable.data() + nameLength, extraLength, extras, z64, why))
      return Damaged(why + " (" + rawName + ")");
    if (startDisk != 0) return Damaged("it spans several disks, which is not supported");

    std::string name = rawName;
    if (entry.flags & zip::kFlagUtf8) {
      name = io_.Utf8ToAnsi(rawName);
    } else if (extras.hasUnicodePath && extras.unicodePathCrc == Crc32(0, rawName.data(), rawName.size())) {
      name = io_.Utf8ToAnsi(extras.unicodePath);
    }
    entry.name = ListedName(std::move(name), entry.folder);
    entry.attributes = WindowsAttributes(madeBy, external, entry.folder);
    if ((entry.attributes & kAttrFolder) && entry.size == 0) entry.folder = true;
    entry.encrypted = (entry.flags & (zip::kFlagEncrypted | zip::kFlagStrongEncryption | zip::kFlagMaskedHeaders)) ||
                      entry.method == zip::kMethodAes || extras.encrypted;
    if (extras.hasNtfsTime) {
      entry.lastWrite = extras.ntfsTime;
    } else if (extras.hasUnixTime) {
      entry.lastWrite = UnixToTicks(extras.unixTime);
    } else if (uint64_t local = DosTimeToTicks(dosDate, dosTime)) {
      entry.lastWrite = io_.LocalToUtc(local);
    }

    if (entry.localHeaderOffset > dataEnd_ - shift) return Damaged("the entry " + entry.name + " lies outside the archive");
    entry.localHeaderOffset += shift;
    uint64_t room = dataEnd_ - entry.localHeaderOffset;
    if (room < zip::kLocalHeaderSize || entry.packedSize > room - zip::kLocalHeaderSize)
      return Damaged("the entry " + entry.name + " lies outside the archive");
    entries_.push_back(std::move(entry));
  }
  uint64_t count = entries_.size();
  // Writers without ZIP64 records keep only the low 16 bits of a large count.
  if (zip64 ? count != declaredCount : (count & 0xFFFF) != declaredCount)
    return Damaged("the central directory lists " + std::to_string(count) + " entries, its end record " +
                   std::to_string(declaredCount));
  return {};
}

Error ZipReader::CheckExtractable(const ZipEntry& entry) {
  if (entry.encrypted)
    return Fail(ZEL_ERROR_ENCRYPTED, "The archive entry " + entry.name +
                                         " is encrypted; encrypted archives are not supported yet");
  if (!entry.folder && entry.method != zip::kMethodStored && entry.method != zip::kMethodDeflated)
    return Fail(ZEL_ERROR_UNSUPPORTED_METHOD, "The archive entry " + entry.name + " uses compression method " +
                                                  std::to_string(entry.method) + ", which is not supported");
  return {};
}

Error ZipReader::ReadEntry(const ZipEntry& entry, const DataSink& sink) {
  if (Error e = CheckExtractable(entry)) return e;
  auto damaged = [&](const std::string& why) {
    return Fail(ZEL_ERROR_DATA, "The archive entry " + entry.name + " is damaged: " + why);
  };
  unsigned char local[zip::kLocalHeaderSize];
  std::string why;
  if (Error e = ReadAt(entry.localHeaderOffset, local, sizeof local, why)) return e.code == ZEL_ERROR_DATA ? damaged(why) : e;
  if (Get32(local) != zip::kLocalHeaderSignature) return damaged("its local header is missing");
  uint64_t dataStart = entry.localHeaderOffset + zip::kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
  if (dataStart > dataEnd_ || entry.packedSize > dataEnd_ - dataStart) return damaged("its data lies outside the archive");

  uint32_t crc = 0;
  Error e = entry.method == zip::kMethodStored ? ReadStored(entry, dataStart, sink, crc)
                                               : ReadDeflated(entry, dataStart, sink, crc);
  if (e) return e;
  if (crc != entry.crc32) return damaged("its CRC-32 checksum does not match");
  return {};
}

Error ZipReader::ReadStored(const ZipEntry& entry, uint64_t dataStart, const DataSink& sink, uint32_t& crc) {
  if (entry.size != entry.packedSize)
    return Fail(ZEL_ERROR_DATA, "The archive entry " + entry.name + " is damaged: its stored size does not match");
  RegionReader data(*file_, dataStart, dataStart + entry.packedSize);
  std::vector<char> buffer(kChunk);
  IoError ioError;
  for (uint64_t left = entry.size; left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
    if (!data.Read(buffer.data(), n, ioError))
      return ioError.reason.empty()
                 ? Fail(ZEL_ERROR_DATA, "The archive entry " + entry.name + " is damaged: it is cut short")
                 : Fail(ZEL_ERROR_GENERAL, "The archive " + path_ + " cannot be read: " + ioError.reason);
    crc = Crc32(crc, buffer.data(), n);
    if (Error e = sink(buffer.data(), n)) return e;
    left -= n;
  }
  return {};
}

Error ZipReader::ReadDeflated(const ZipEntry& entry, uint64_t dataStart, const DataSink& sink, uint32_t& crc) {
  auto damaged = [&](const std::string& why) {
    return Fail(ZEL_ERROR_DATA, "The archive entry " + entry.name + " is damaged: " + why);
  };
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return Fail(ZEL_ERROR_GENERAL, "The decompressor cannot be started");
  struct End {
    z_stream* z;
    ~End() { inflateEnd(z); }
  } end{&z};

  RegionReader data(*file_, dataStart, dataStart + entry.packedSize);
  std::vector<char> in(kChunk), out(kChunk);
  uint64_t inLeft = entry.packedSize, produced = 0;
  IoError ioError;
  for (;;) {
    if (z.avail_in == 0 && inLeft > 0) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(inLeft, in.size()));
      if (!data.Read(in.data(), n, ioError))
        return ioError.reason.empty() ? damaged("it is cut short")
                                      : Fail(ZEL_ERROR_GENERAL, "The archive " + path_ + " cannot be read: " + ioError.reason);
      inLeft -= n;
      z.next_in = reinterpret_cast<Bytef*>(in.data());
      z.avail_in = static_cast<uInt>(n);
    }
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_NO_FLUSH);
    size_t got = out.size() - z.avail_out;
    if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR) return damaged("its compressed data is broken");
    if (rc == Z_MEM_ERROR) return Fail(ZEL_ERROR_GENERAL, "Not enough memory to decompress " + entry.name);
    if (got > 0) {
      // A stream that holds more than the directory says is refused, not written out.
      if (got > entry.size - produced) return damaged("it holds more data than its stated size");
      produced += got;
      crc = Crc32(crc, out.data(), got);
      if (Error e = sink(out.data(), got)) return e;
    }
    if (rc == Z_STREAM_END) break;
    // No progress: either the input is used up before the stream's end, or the stream
    // is stuck; both mean damage, and stopping here keeps a bad stream from looping.
    if (got == 0 && z.avail_in == 0 && inLeft == 0) return damaged("its compressed data ends too early");
    if (got == 0 && z.avail_in > 0 && rc == Z_BUF_ERROR) return damaged("its compressed data is broken");
  }
  if (produced != entry.size) return damaged("it holds less data than its stated size");
  return {};
}

}  // namespace zel
