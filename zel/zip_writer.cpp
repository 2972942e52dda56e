#include "zel/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "zel/dos_time.h"
#include "zel/zel_io.h"
#include "zel/zip_format.h"

namespace zel {
namespace fs = std::filesystem;
using zip::Put16;
using zip::Put32;
using zip::Put64;

namespace {

constexpr size_t kChunk = 256 * 1024;
constexpr uint16_t kVersionDefault = 20;
constexpr uint16_t kVersionStored = 10;
constexpr uint16_t kVersionZip64 = 45;

class FileSink final : public ZipSink {
 public:
  FileSink(std::string path) : path_(std::move(path)) {
    file_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  }
  bool IsOpen() const { return file_.is_open(); }
  Error Write(const void* data, size_t size) override {
    file_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file_) return Failed();
    position_ += size;
    return {};
  }
  Error Seek(uint64_t position) override {
    file_.seekp(static_cast<std::streamoff>(position));
    if (!file_) return Failed();
    position_ = position;
    return {};
  }
  uint64_t Position() const override { return position_; }
  Error Finish(uint64_t size) override {
    file_.close();
    if (!file_) return Failed();
    std::error_code ec;
    if (fs::file_size(path_, ec) != size) fs::resize_file(path_, size, ec);
    if (ec) return Fail(ZEL_ERROR_WRITE, "The archive " + path_ + " cannot be written: " + ec.message());
    return {};
  }

 private:
  Error Failed() { return Fail(ZEL_ERROR_WRITE, "The archive " + path_ + " cannot be written"); }
  std::string path_;
  std::fstream file_;
  uint64_t position_ = 0;
};

class MemorySink final : public ZipSink {
 public:
  explicit MemorySink(std::string& bytes) : bytes_(bytes) { bytes_.clear(); }
  Error Write(const void* data, size_t size) override {
    if (position_ + size > bytes_.size()) bytes_.resize(static_cast<size_t>(position_ + size));
    std::copy_n(static_cast<const char*>(data), size, bytes_.begin() + static_cast<ptrdiff_t>(position_));
    position_ += size;
    return {};
  }
  Error Seek(uint64_t position) override {
    position_ = position;
    return {};
  }
  uint64_t Position() const override { return position_; }
  Error Finish(uint64_t size) override {
    bytes_.resize(static_cast<size_t>(size));
    return {};
  }

 private:
  std::string& bytes_;
  uint64_t position_ = 0;
};

bool IsPlainAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

int64_t UnixTimeOf(const fs::path& path, std::error_code& ec) {
  auto stamp = fs::last_write_time(path, ec);
  if (ec) return ZipWriter::kNoTime;
  auto sys = std::chrono::file_clock::to_sys(stamp);
  return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

CivilTime LocalCivil(int64_t unixTime) {
  std::time_t t = static_cast<std::time_t>(unixTime);
  std::tm tm{};
#ifdef _WIN32
  if (localtime_s(&tm, &t) != 0) return CivilTime{};
#else
  if (!localtime_r(&t, &tm)) return CivilTime{};
#endif
  return CivilTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

struct ZipWriter::Meta {
  uint16_t dosDate = 0x21;  // 1980-01-01
  uint16_t dosTime = 0;
  bool hasUnixTime = false;
  int64_t unixTime = 0;
  uint32_t attributes = 0;  // Windows attribute bits
  bool folder = false;
};

struct ZipWriter::CentralRecord {
  std::string name;
  Meta meta;
  uint16_t method = 0;
  uint16_t versionNeeded = kVersionDefault;
  uint32_t crc = 0;
  uint64_t size = 0;
  uint64_t packedSize = 0;
  uint64_t offset = 0;
};

class ZipWriter::Source {
 public:
  virtual ~Source() = default;
  virtual Error Read(char* buffer, size_t size, size_t& got) = 0;
  virtual Error Rewind() = 0;
};

namespace {

class BytesSource final : public ZipWriter::Source {
 public:
  explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
  Error Read(char* buffer, size_t size, size_t& got) override {
    got = std::min(size, bytes_.size() - at_);
    std::copy_n(bytes_.data() + at_, got, buffer);
    at_ += got;
    return {};
  }
  Error Rewind() override {
    at_ = 0;
    return {};
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

class HostFileSource final : public ZipWriter::Source {
 public:
  explicit HostFileSource(std::string path) : path_(std::move(path)) { file_.open(path_, std::ios::binary); }
  bool IsOpen() const { return file_.is_open(); }
  Error Read(char* buffer, size_t size, size_t& got) override {
    file_.read(buffer, static_cast<std::streamsize>(size));
    got = static_cast<size_t>(file_.gcount());
    if (file_.bad() || (!file_ && !file_.eof())) return Failed();
    return {};
  }
  Error Rewind() override {
    file_.clear();
    file_.seekg(0);
    return file_ ? Error{} : Failed();
  }

 private:
  Error Failed() const { return Fail(ZEL_ERROR_GENERAL, "The file " + path_ + " cannot be read"); }
  std::string path_;
  std::ifstream file_;
};

}  // namespace

std::unique_ptr<ZipSink> MakeFileSink(const std::string& hostPath, Error& error) {
  auto sink = std::make_unique<FileSink>(hostPath);
  if (!sink->IsOpen()) {
    error = Fail(ZEL_ERROR_WRITE, "The archive " + hostPath + " cannot be created");
    return nullptr;
  }
  error = {};
  return sink;
}

std::unique_ptr<ZipSink> MakeMemorySink(std::string& bytes) { return std::make_unique<MemorySink>(bytes); }

ZipWriter::ZipWriter(std::unique_ptr<ZipSink> sink, ZipWriterOptions options)
    : sink_(std::move(sink)), options_(options) {}

ZipWriter::~ZipWriter() = default;

ZipWriter::Meta ZipWriter::MetaFor(int64_t unixTime, uint32_t attributes, bool folder) const {
  Meta meta;
  meta.attributes = attributes;
  meta.folder = folder;
  if (!options_.deterministic && unixTime != kNoTime) {
    CivilToDos(LocalCivil(unixTime), meta.dosDate, meta.dosTime);
    // The extended time stamp keeps the exact UTC time, which DOS time cannot.
    meta.hasUnixTime = unixTime >= INT32_MIN && unixTime <= INT32_MAX;
    meta.unixTime = unixTime;
  }
  return meta;
}

Error ZipWriter::AddBytes(const std::string& name, std::string_view bytes, int64_t unixTime) {
  BytesSource source(bytes);
  return WriteEntry(name, source, bytes.size(), MetaFor(unixTime, kAttrArchive, false));
}

Error ZipWriter::AddFolder(const std::string& name, int64_t unixTime) {
  BytesSource source({});
  return WriteEntry(name, source, 0, MetaFor(unixTime, kAttrFolder, true));
}

Error ZipWriter::AddFile(const std::string& name, const std::string& hostPath) {
  std::error_code ec;
  uint64_t size = fs::file_size(hostPath, ec);
  if (ec) return Fail(ZEL_ERROR_GENERAL, "The file " + hostPath + " cannot be read: " + ec.message());
  int64_t unixTime = UnixTimeOf(hostPath, ec);
  auto perms = fs::status(hostPath, ec).permissions();
  uint32_t attributes = kAttrArchive;
  if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) attributes |= kAttrReadOnly;
  HostFileSource source(hostPath);
  if (!source.IsOpen()) return Fail(ZEL_ERROR_GENERAL, "The file " + hostPath + " cannot be read");
  return WriteEntry(name, source, size, MetaFor(unixTime, attributes, false));
}

Error ZipWriter::AddFolderTree(const std::string& hostFolder, const std::string& prefix) {
  struct Item {
    std::string name;
    fs::path path;
    bool folder;
  };
  std::vector<Item> items;
  std::error_code ec;
  const fs::path root(hostFolder);
  if (!fs::is_directory(root, ec)) return Fail(ZEL_ERROR_GENERAL, "The folder " + hostFolder + " was not found");
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const fs::path& path = it->path();
    std::string name = prefix + path.lexically_relative(root).generic_string();
    if (it->is_directory(ec)) {
      if (fs::is_empty(path, ec)) items.push_back({name + "/", path, true});
    } else if (it->is_regular_file(ec)) {
      items.push_back({name, path, false});
    }
  }
  if (ec) return Fail(ZEL_ERROR_GENERAL, "The folder " + hostFolder + " cannot be read: " + ec.message());
  // Directory order differs between systems; sorted names make the archive reproducible.
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.name < b.name; });
  for (const auto& item : items) {
    Error e;
    if (item.folder) {
      e = AddFolder(item.name, UnixTimeOf(item.path, ec));
    } else {
      e = AddFile(item.name, item.path.string());
    }
    if (e) return e;
  }
  return {};
}

std::string ZipWriter::LocalHeader(const std::string& name, const Meta& meta, bool zip64, uint16_t method,
                                   uint32_t crc, uint64_t packedSize, uint64_t size) const {
  std::string extra;
  if (zip64) {
    Put16(extra, zip::kExtraZip64);
    Put16(extra, 16);
    Put64(extra, size);
    Put64(extra, packedSize);
  }
  if (meta.hasUnixTime) {
    Put16(extra, zip::kExtraUnixTime);
    Put16(extra, 5);
    extra.push_back(1);
    Put32(extra, static_cast<uint32_t>(static_cast<int32_t>(meta.unixTime)));
  }
  std::string h;
  Put32(h, zip::kLocalHeaderSignature);
  Put16(h, zip64 ? kVersionZip64 : method == zip::kMethodDeflated || meta.folder ? kVersionDefault : kVersionStored);
  Put16(h, options_.utf8Names && !IsPlainAscii(name) ? zip::kFlagUtf8 : 0);
  Put16(h, method);
  Put16(h, meta.dosTime);
  Put16(h, meta.dosDate);
  Put32(h, crc);
  Put32(h, zip64 ? zip::k32BitMarker : static_cast<uint32_t>(packedSize));
  Put32(h, zip64 ? zip::k32BitMarker : static_cast<uint32_t>(size));
  Put16(h, static_cast<uint16_t>(name.size()));
  Put16(h, static_cast<uint16_t>(extra.size()));
  return h + name + extra;
}

Error ZipWriter::CopyData(Source& source, bool deflate, uint32_t& crc, uint64_t& size, uint64_t& packedSize) {
  crc = 0;
  size = packedSize = 0;
  std::vector<char> in(kChunk), out(kChunk);
  z_stream z{};
  if (deflate && deflateInit2(&z, options_.level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return Fail(ZEL_ERROR_GENERAL, "The compressor cannot be started");
  struct End {
    z_stream* z;
    bool active;
    ~End() {
      if (active) deflateEnd(z);
    }
  } end{&z, deflate};
  for (bool last = false; !last;) {
    size_t got = 0;
    if (Error e = source.Read(in.data(), in.size(), got)) return e;
    last = got == 0;
    crc = static_cast<uint32_t>(::crc32(crc, reinterpret_cast<const Bytef*>(in.data()), static_cast<uInt>(got)));
    size += got;
    if (!deflate) {
      if (Error e = sink_->Write(in.data(), got)) return e;
      packedSize += got;
      continue;
    }
    z.next_in = reinterpret_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(got);
    int rc;
    do {
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      rc = ::deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_ERROR) return Fail(ZEL_ERROR_GENERAL, "The compressor failed");
      size_t produced = out.size() - z.avail_out;
      if (Error e = sink_->Write(out.data(), produced)) return e;
      packedSize += produced;
    } while (z.avail_out == 0 || (last && rc != Z_STREAM_END));
  }
  return {};
}

Error ZipWriter::WriteEntry(const std::string& name, Source& source, uint64_t expectedSize, const Meta& meta) {
  if (finished_) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "The archive is already finished");
  if (name.empty() || name.size() > 0xFFFF) return Fail(ZEL_ERROR_INVALID_ARGUMENT, "Bad entry name: " + name);
  const uint64_t offset = sink_->Position();
  // The local header's size fields are fixed before the data is read, so whether it
  // carries a ZIP64 field is decided by the size found beforehand.
  const bool zip64 = options_.forceZip64 || expectedSize >= zip::k32BitMarker;
  uint16_t method = options_.level == 0 || expectedSize == 0 ? zip::kMethodStored : zip::kMethodDeflated;
  std::string header = LocalHeader(name, meta, zip64, method, 0, 0, 0);
  if (Error e = sink_->Write(header.data(), header.size())) return e;
  uint32_t crc = 0;
  uint64_t size = 0, packedSize = 0;
  if (Error e = CopyData(source, method == zip::kMethodDeflated, crc, size, packedSize)) return e;
  if (method == zip::kMethodDeflated && packedSize >= size) {
    // Deflating did not help: write the entry again, stored.
    method = zip::kMethodStored;
    if (Error e = source.Rewind()) return e;
    if (Error e = sink_->Seek(offset + header.size())) return e;
    if (Error e = CopyData(source, false, crc, size, packedSize)) return e;
  }
  if (!zip64 && (size >= zip::k32BitMarker || packedSize >= zip::k32BitMarker))
    return Fail(ZEL_ERROR_GENERAL, "The file " + name + " grew while it was added to the archive");
  const uint64_t dataEnd = sink_->Position();
  header = LocalHeader(name, meta, zip64, method, crc, packedSize, size);
  if (Error e = sink_->Seek(offset)) return e;
  if (Error e = sink_->Write(header.data(), header.size())) return e;
  if (Error e = sink_->Seek(dataEnd)) return e;
  end_ = dataEnd;

  CentralRecord record;
  record.name = name;
  record.meta = meta;
  record.method = method;
  record.versionNeeded = zip64 || size >= zip::k32BitMarker || offset >= zip::k32BitMarker ? kVersionZip64
                         : method == zip::kMethodDeflated || meta.folder                    ? kVersionDefault
                                                                                            : kVersionStored;
  record.crc = crc;
  record.size = size;
  record.packedSize = packedSize;
  record.offset = offset;
  central_.push_back(std::move(record));
  return {};
}

Error ZipWriter::Finish() {
  if (finished_) return {};
  finished_ = true;
  const bool force = options_.forceZip64;
  const uint64_t cdOffset = end_;
  std::string cd;
  for (const auto& r : central_) {
    bool bigSize = force || r.size >= zip::k32BitMarker;
    bool bigPacked = force || r.packedSize >= zip::k32BitMarker;
    bool bigOffset = force || r.offset >= zip::k32BitMarker;
    std::string extra;
    if (bigSize || bigPacked || bigOffset) {
      Put16(extra, zip::kExtraZip64);
      Put16(extra, static_cast<uint16_t>(8 * (bigSize + bigPacked + bigOffset)));
      if (bigSize) Put64(extra, r.size);
      if (bigPacked) Put64(extra, r.packedSize);
      if (bigOffset) Put64(extra, r.offset);
    }
    if (r.meta.hasUnixTime) {
      Put16(extra, zip::kExtraUnixTime);
      Put16(extra, 5);
      extra.push_back(1);
      Put32(extra, static_cast<uint32_t>(static_cast<int32_t>(r.meta.unixTime)));
    }
    Put32(cd, zip::kCentralHeaderSignature);
    // Made on a DOS-family host: the low byte of the external attributes holds the
    // Windows attribute bits.
    Put16(cd, static_cast<uint16_t>((zip::kHostDos << 8) | std::max(r.versionNeeded, kVersionDefault)));
    Put16(cd, r.versionNeeded);
    Put16(cd, options_.utf8Names && !IsPlainAscii(r.name) ? zip::kFlagUtf8 : 0);
    Put16(cd, r.method);
    Put16(cd, r.meta.dosTime);
    Put16(cd, r.meta.dosDate);
    Put32(cd, r.crc);
    Put32(cd, bigPacked ? zip::k32BitMarker : static_cast<uint32_t>(r.packedSize));
    Put32(cd, bigSize ? zip::k32BitMarker : static_cast<uint32_t>(r.size));
    Put16(cd, static_cast<uint16_t>(r.name.size()));
    Put16(cd, static_cast<uint16_t>(extra.size()));
    Put16(cd, 0);  // comment
    Put16(cd, 0);  // disk
    Put16(cd, 0);  // internal attributes
    Put32(cd, r.meta.attributes & 0xFF);
    Put32(cd, bigOffset ? zip::k32BitMarker : static_cast<uint32_t>(r.offset));
    cd += r.name;
    cd += extra;
    if (cd.size() >= kChunk) {
      if (Error e = sink_->Write(cd.data(), cd.size())) return e;
      cd.clear();
    }
  }
  const uint64_t count = central_.size();
  const uint64_t cdSize = sink_->Position() + cd.size() - cdOffset;
  const uint64_t zip64EndOffset = cdOffset + cdSize;
  const bool zip64 = force || count >= zip::k16BitMarker || cdSize >= zip::k32BitMarker || cdOffset >= zip::k32BitMarker;
  std::string& tail = cd;
  if (zip64) {
    Put32(tail, zip::kZip64EndSignature);
    Put64(tail, zip::kZip64EndSize - 12);
    Put16(tail, kVersionZip64);
    Put16(tail, kVersionZip64);
    Put32(tail, 0);
    Put32(tail, 0);
    Put64(tail, count);
    Put64(tail, count);
    Put64(tail, cdSize);
    Put64(tail, cdOffset);
    Put32(tail, zip::kZip64LocatorSignature);
    Put32(tail, 0);
    Put64(tail, zip64EndOffset);
    Put32(tail, 1);
  }
  Put32(tail, zip::kEndSignature);
  Put16(tail, 0);
  Put16(tail, 0);
  uint16_t shortCount = force || count >= zip::k16BitMarker ? zip::k16BitMarker : static_cast<uint16_t>(count);
  Put16(tail, shortCount);
  Put16(tail, shortCount);
  Put32(tail, force || cdSize >= zip::k32BitMarker ? zip::k32BitMarker : static_cast<uint32_t>(cdSize));
  Put32(tail, force || cdOffset >= zip::k32BitMarker ? zip::k32BitMarker : static_cast<uint32_t>(cdOffset));
  Put16(tail, 0);
  if (Error e = sink_->Write(tail.data(), tail.size())) return e;
  return sink_->Finish(sink_->Position());
}

}  // namespace zel
