// Payloads over 4 GiB: several GiB of disk and minutes of time, so only run when
// QV_LARGE_TESTS=1 is set.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "zel/posix_io.h"
#include "zel/zel_test_support.h"
#include "zel/zip_extractor.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kLargeSize = 4ULL * 1024 * 1024 * 1024 + 512ULL * 1024 * 1024;  // 4.5 GiB

// Writes `size` bytes: pseudo-random (so deflate cannot shrink them) or repeating text.
void WriteLargeFile(const std::string& path, uint64_t size, bool random) {
  std::ofstream out(path, std::ios::binary);
  std::vector<uint64_t> block(1 << 17);
  uint64_t state = 0x9E3779B97F4A7C15ULL;
  const std::string text = test::TextBytes(block.size() * 8);
  for (uint64_t written = 0; written < size;) {
    const char* data = text.data();
    if (random) {
      for (auto& w : block) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        w = state;
      }
      data = reinterpret_cast<const char*>(block.data());
    }
    size_t n = static_cast<size_t>(std::min<uint64_t>(block.size() * 8, size - written));
    out.write(data, static_cast<std::streamsize>(n));
    written += n;
  }
}

bool SameFiles(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> ba(1 << 20), bb(1 << 20);
  for (;;) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    if (fa.gcount() != fb.gcount()) return false;
    if (fa.gcount() == 0) return true;
    if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

TEST(ZipLarge, EntriesAndOffsetsBeyond4GiB) {
  const char* enabled = std::getenv("QV_LARGE_TESTS");
  if (!enabled || std::string(enabled) != "1") GTEST_SKIP() << "set QV_LARGE_TESTS=1 to run";
  const char* base = std::getenv("QV_LARGE_TEST_DIR");
  fs::path root = fs::path(base ? base : fs::temp_directory_path().string()) / "zel-large";
  fs::remove_all(root);
  fs::create_directories(root / "src");
  // A random file is stored, so the entry after it starts beyond 4 GiB; a text file of
  // the same size goes through deflate and inflate.
  WriteLargeFile((root / "src/random.bin").string(), kLargeSize, true);
  WriteLargeFile((root / "src/text.txt").string(), kLargeSize, false);
  test::WriteFile((root / "src/z_after.txt").string(), "behind both large entries");

  auto started = std::chrono::steady_clock::now();
  Error e;
  auto sink = MakeFileSink((root / "large.zip").string(), e);
  ASSERT_TRUE(sink) << e.text;
  ZipWriter writer(std::move(sink));
  ASSERT_TRUE((e = writer.AddFolderTree((root / "src").string())).Ok()) << e.text;
  ASSERT_TRUE((e = writer.Finish()).Ok()) << e.text;
  const double writeSeconds = Seconds(started);

  PosixIo io;
  std::unique_ptr<ZipReader> reader;
  ASSERT_TRUE((e = ZipReader::Open(io, (root / "large.zip").string(), reader)).Ok()) << e.text;
  ASSERT_EQ(reader->Entries().size(), 3u);
  for (const auto& entry : reader->Entries()) {
    std::printf("  %-12s size %llu packed %llu method %u header at %llu\n", entry.name.c_str(),
                static_cast<unsigned long long>(entry.size), static_cast<unsigned long long>(entry.packedSize),
                entry.method, static_cast<unsigned long long>(entry.localHeaderOffset));
  }
  EXPECT_EQ(reader->Entries()[0].size, kLargeSize);
  EXPECT_GT(reader->Entries()[1].localHeaderOffset, 0xFFFFFFFFULL);

  started = std::chrono::steady_clock::now();
  ExtractRequest request;
  request.destination = (root / "out").string();
  ASSERT_TRUE((e = ExtractEntries(io, *reader, request, {})).Ok()) << e.text;
  const double extractSeconds = Seconds(started);
  for (const char* name : {"random.bin", "text.txt", "z_after.txt"})
    EXPECT_TRUE(SameFiles((root / "src" / name).string(), (root / "out" / name).string())) << name;
  std::printf("  archive %llu bytes; written in %.1f s, extracted in %.1f s\n",
              static_cast<unsigned long long>(fs::file_size(root / "large.zip")), writeSeconds, extractSeconds);
  fs::remove_all(root);
}

}  // namespace
}  // namespace zel
