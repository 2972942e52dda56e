#include "zel/zip_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "zel/posix_io.h"
#include "zel/zel_test_support.h"
#include "zel/zip_format.h"

namespace zel {
namespace {

// Serves one archive from memory, so that many damaged variants are cheap to try.
class BytesIo final : public Io {
 public:
  explicit BytesIo(std::string bytes) : bytes_(std::move(bytes)) {}
  std::unique_ptr<InputFile> OpenRead(const std::string&, IoError&) override {
    return std::make_unique<Input>(bytes_);
  }
  std::unique_ptr<OutputFile> OpenWrite(const std::string&, IoError& e) override { return e.reason = "no", nullptr; }
  bool CreateFolder(const std::string&, IoError&) override { return false; }
  bool Stat(const std::string&, FileInfo&) override { return false; }
  bool RemoveFile(const std::string&, IoError&) override { return false; }
  bool SetAttributes(const std::string&, uint32_t, IoError&) override { return true; }
  bool SetLastWrite(const std::string&, uint64_t, IoError&) override { return true; }
  std::string Utf8ToAnsi(std::string_view s) override { return std::string(s); }

 private:
  class Input final : public InputFile {
   public:
    explicit Input(const std::string& bytes) : bytes_(bytes) {}
    bool Read(void* buffer, size_t count, size_t& got, IoError&) override {
      got = pos_ >= bytes_.size() ? 0 : std::min(count, bytes_.size() - static_cast<size_t>(pos_));
      std::memcpy(buffer, bytes_.data() + pos_, got);
      pos_ += got;
      return true;
    }
    bool Seek(uint64_t position, IoError&) override {
      pos_ = position;
      return true;
    }
    uint64_t Size() override { return bytes_.size(); }

   private:
    const std::string& bytes_;
    uint64_t pos_ = 0;
  };
  std::string bytes_;
};

struct Opened {
  BytesIo io;
  std::unique_ptr<ZipReader> reader;
  Error error;
  explicit Opened(std::string bytes) : io(std::move(bytes)) { error = ZipReader::Open(io, "test.zip", reader); }
};

Error ReadAll(ZipReader& reader, const ZipEntry& entry, std::string& out) {
  out.clear();
  return reader.ReadEntry(entry, [&](const char* data, size_t size) {
    out.append(data, size);
    return Error{};
  });
}

size_t Nth(const std::string& bytes, uint32_t signature, int n) {
  std::string sig;
  zip::Put32(sig, signature);
  size_t at = std::string::npos;
  for (int i = 0; i <= n; ++i) at = bytes.find(sig, at == std::string::npos ? 0 : at + 1);
  return at;
}
size_t Last(const std::string& bytes, uint32_t signature) {
  std::string sig;
  zip::Put32(sig, signature);
  return bytes.rfind(sig);
}
void Set16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Set32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
void Set64(std::string& b, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

const std::string kText = test::TextBytes(20000);

// Two entries: a stored one and a deflated one.
std::string BaseArchive(ZipWriterOptions options = {}) {
  std::string bytes;
  ZipWriter writer(MakeMemorySink(bytes), options);
  writer.AddBytes("a.txt", "hello");
  writer.AddBytes("docs/b.txt", kText);
  writer.Finish();
  return bytes;
}

TEST(ZipReader, ListsWhatTheWriterWrote) {
  std::string bytes;
  ZipWriter writer(MakeMemorySink(bytes));
  writer.AddBytes("readme.txt", kText, 1700000000);
  writer.AddBytes("bin/data.bin", test::RandomBytes(3000));
  writer.AddFolder("empty/");
  writer.Finish();
  Opened o(bytes);
  ASSERT_TRUE(o.error.Ok()) << o.error.text;
  const auto& e = o.reader->Entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].name, "readme.txt");
  EXPECT_EQ(e[0].method, zip::kMethodDeflated);
  EXPECT_EQ(e[0].size, kText.size());
  EXPECT_LT(e[0].packedSize, kText.size());
  EXPECT_EQ(e[0].lastWrite, (1700000000ULL + 11644473600ULL) * 10000000ULL);
  EXPECT_EQ(e[1].name, "bin\\data.bin");
  EXPECT_EQ(e[1].method, zip::kMethodStored) << "random bytes do not deflate";
  EXPECT_FALSE(e[1].folder);
  EXPECT_EQ(e[2].name, "empty");
  EXPECT_TRUE(e[2].folder);
  EXPECT_TRUE(e[2].attributes & kAttrFolder);
  std::string data;
  ASSERT_TRUE(ReadAll(*o.reader, e[0], data).Ok());
  EXPECT_EQ(data, kText);
}

TEST(ZipReader, ReadsZip64RecordsAndExtraFields) {
  const std::string bytes = BaseArchive({.forceZip64 = true});
  ASSERT_NE(Last(bytes, zip::kZip64EndSignature), std::string::npos);
  Opened o(bytes);
  ASSERT_TRUE(o.error.Ok()) << o.error.text;
  ASSERT_EQ(o.reader->Entries().size(), 2u);
  EXPECT_EQ(o.reader->Entries()[1].size, kText.size());
  std::string data;
  ASSERT_TRUE(ReadAll(*o.reader, o.reader->Entries()[1], data).Ok());
  EXPECT_EQ(data, kText);
}

TEST(ZipReader, ReadsAnArchiveWithDataInFront) {
  for (bool zip64 : {false, true}) {
    Opened o("MZ stub in front of the archive" + BaseArchive({.forceZip64 = zip64}));
    ASSERT_TRUE(o.error.Ok()) << o.error.text;
    std::string data;
    ASSERT_TRUE(ReadAll(*o.reader, o.reader->Entries()[1], data).Ok()) << zip64;
    EXPECT_EQ(data, kText);
  }
}

TEST(ZipReader, HostileAndDamagedArchivesGiveErrors) {
  const std::string base = BaseArchive();
  const size_t c0 = Nth(base, zip::kCentralHeaderSignature, 0), c1 = Nth(base, zip::kCentralHeaderSignature, 1);
  const size_t end = Last(base, zip::kEndSignature);
  const size_t l1 = Nth(base, zip::kLocalHeaderSignature, 1);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    int32_t openError;  // ZEL_OK: opens, then reading entry 1 fails with readError
    int32_t readError;
  };
  const Case cases[] = {
      {"not an archive", [](std::string& b) { b = "just some text, no archive at all"; }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"empty file", [](std::string& b) { b.clear(); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"cut before the end record", [&](std::string& b) { b.resize(end + 10); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"cut in the central directory", [&](std::string& b) { b.erase(c1 + 10, 20); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"cut in the data", [&](std::string& b) { b.erase(l1 + 60, 1000); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd entry count", [&](std::string& b) { Set16(b, end + 8, 0xFFFE), Set16(b, end + 10, 0xFFFE); },
       ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd directory size", [&](std::string& b) { Set32(b, end + 12, 0xFFFFFF00); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd directory offset", [&](std::string& b) { Set32(b, end + 16, 0xFFFFFF00); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd packed size", [&](std::string& b) { Set32(b, c1 + 20, 0xFFFFFF00); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd header offset", [&](std::string& b) { Set32(b, c1 + 42, 0xFFFFFF00); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd name length", [&](std::string& b) { Set16(b, c0 + 28, 0xFFFF); }, ZEL_ERROR_CANNOT_OPEN, 0},
      {"size marker without ZIP64 field", [&](std::string& b) { Set32(b, c1 + 24, 0xFFFFFFFF); },
       ZEL_ERROR_CANNOT_OPEN, 0},
      {"absurd size", [&](std::string& b) { Set32(b, c1 + 24, 0xFFFFFF00); }, ZEL_OK, ZEL_ERROR_DATA},
      {"size too small", [&](std::string& b) { Set32(b, c1 + 24, 100); }, ZEL_OK, ZEL_ERROR_DATA},
      {"wrong CRC", [&](std::string& b) { b[c1 + 16] ^= 1; }, ZEL_OK, ZEL_ERROR_DATA},
      {"broken deflate stream", [&](std::string& b) { std::memset(&b[l1 + 50], 0xFF, 40); }, ZEL_OK, ZEL_ERROR_DATA},
      {"local header missing", [&](std::string& b) { b[l1] = 'X'; }, ZEL_OK, ZEL_ERROR_DATA},
      {"bzip2 method", [&](std::string& b) { Set16(b, c1 + 10, 12), Set16(b, l1 + 8, 12); }, ZEL_OK,
       ZEL_ERROR_UNSUPPORTED_METHOD},
  };
  for (const auto& c : cases) {
    std::string bytes = base;
    c.damage(bytes);
    Opened o(bytes);
    EXPECT_EQ(o.error.code, c.openError) << c.what << ": " << o.error.text;
    if (o.error) {
      EXPECT_FALSE(o.error.text.empty()) << c.what;
      continue;
    }
    std::string data;
    Error e = ReadAll(*o.reader, o.reader->Entries()[1], data);
    EXPECT_EQ(e.code, c.readError) << c.what << ": " << e.text;
    EXPECT_NE(e.text.find("docs\\b.txt"), std::string::npos) << c.what << ": " << e.text;
  }
}

TEST(ZipReader, HostileZip64FieldsGiveErrors) {
  const std::string base = BaseArchive({.forceZip64 = true});
  const size_t c1 = Nth(base, zip::kCentralHeaderSignature, 1);
  const size_t extra = c1 + zip::kCentralHeaderSize + std::strlen("docs/b.txt") + 4;  // size, packed, offset
  struct Case {
    const char* what;
    size_t at;
    uint64_t value;
    int32_t openError, readError;
  };
  const Case cases[] = {
      {"size of 2^62", extra, 1ULL << 62, ZEL_OK, ZEL_ERROR_DATA},
      {"packed size of 2^62", extra + 8, 1ULL << 62, ZEL_ERROR_CANNOT_OPEN, 0},
      {"offset of 2^62", extra + 16, 1ULL << 62, ZEL_ERROR_CANNOT_OPEN, 0},
      {"directory offset of 2^62", Last(base, zip::kZip64EndSignature) + 48, 1ULL << 62, ZEL_ERROR_CANNOT_OPEN, 0},
      {"directory size of 2^62", Last(base, zip::kZip64EndSignature) + 40, 1ULL << 62, ZEL_ERROR_CANNOT_OPEN, 0},
      {"entry count of 2^62", Last(base, zip::kZip64EndSignature) + 32, 1ULL << 62, ZEL_ERROR_CANNOT_OPEN, 0},
  };
  for (const auto& c : cases) {
    std::string bytes = base;
    Set64(bytes, c.at, c.value);
    Opened o(bytes);
    EXPECT_EQ(o.error.code, c.openError) << c.what << ": " << o.error.text;
    if (o.error) continue;
    std::string data;
    EXPECT_EQ(ReadAll(*o.reader, o.reader->Entries()[1], data).code, c.readError) << c.what;
    EXPECT_LE(data.size(), kText.size()) << c.what;
  }
}

// Every cut and every changed byte of a small archive must end in a result, never in
// a crash or a hang (the sanitizer builds check the memory side).
TEST(ZipReader, SurvivesEveryTruncationAndByteFlip) {
  const std::string base = BaseArchive({.forceZip64 = false});
  auto tryAll = [](const std::string& bytes) {
    Opened o(bytes);
    if (o.error) return;
    for (const auto& entry : o.reader->Entries()) {
      std::string data;
      ReadAll(*o.reader, entry, data);
      ASSERT_LE(data.size(), entry.size);
    }
  };
  for (size_t n = 0; n < base.size(); ++n) tryAll(base.substr(0, n));
  for (size_t i = 0; i < base.size(); ++i) {
    for (unsigned char value : {0x00, 0xFF, 0x7F}) {
      std::string bytes = base;
      bytes[i] = static_cast<char>(value);
      tryAll(bytes);
    }
  }
}

TEST(ZipReader, ReadsInfoZipArchives) {
  if (!test::HaveCommand("zip")) GTEST_SKIP() << "the zip command is not installed";
  test::TempFolder tmp;
  test::WriteFile(tmp / "src/readme.txt", kText);
  test::WriteFile(tmp / "src/sub/deep/x.bin", test::RandomBytes(70000));
  std::filesystem::create_directories(tmp / "src/empty");
  struct Variant {
    const char* options;
    bool encrypted;
  };
  for (const Variant& v : {Variant{"", false}, Variant{"-0", false}, Variant{"-fz", false},
                           Variant{"-P secret", true}}) {
    std::filesystem::remove(tmp / "a.zip");
    ASSERT_TRUE(test::RunIn(tmp / "src", std::string("zip -r -q ") + v.options + " ../a.zip .")) << v.options;
    PosixIo io;
    std::unique_ptr<ZipReader> reader;
    Error e = ZipReader::Open(io, tmp / "a.zip", reader);
    ASSERT_TRUE(e.Ok()) << v.options << ": " << e.text;
    std::map<std::string, const ZipEntry*> byName;
    for (const auto& entry : reader->Entries()) byName[entry.name] = &entry;
    ASSERT_TRUE(byName.count("readme.txt") && byName.count("sub\\deep\\x.bin") && byName.count("empty")) << v.options;
    EXPECT_TRUE(byName["empty"]->folder);
    EXPECT_TRUE(byName["sub"]->folder);
    EXPECT_EQ(byName["readme.txt"]->encrypted, v.encrypted) << v.options;
    EXPECT_NE(byName["readme.txt"]->lastWrite, 0u);
    std::string data;
    Error read = ReadAll(*reader, *byName["readme.txt"], data);
    if (v.encrypted) {
      EXPECT_EQ(read.code, ZEL_ERROR_ENCRYPTED);
      EXPECT_EQ(read.text, "The archive entry readme.txt is encrypted; encrypted archives are not supported yet");
    } else {
      ASSERT_TRUE(read.Ok()) << v.options << ": " << read.text;
      EXPECT_EQ(data, kText);
    }
  }
}

TEST(ZipReader, MissingArchiveIsNotFound) {
  PosixIo io;
  std::unique_ptr<ZipReader> reader;
  test::TempFolder tmp;
  EXPECT_EQ(ZipReader::Open(io, tmp / "none.zip", reader).code, ZEL_ERROR_ARCHIVE_NOT_FOUND);
  EXPECT_EQ(ZipReader::Open(io, tmp.Path(), reader).code, ZEL_ERROR_CANNOT_OPEN) << "a folder is no archive";
}

}  // namespace
}  // namespace zel
