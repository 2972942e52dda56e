#include "zel/zip_writer.h"

#include <gtest/gtest.h>

#include "zel/posix_io.h"
#include "zel/zel_test_support.h"
#include "zel/zip_format.h"
#include "zel/zip_reader.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteFile;

std::vector<ZipEntry> List(const std::string& path) {
  PosixIo io;
  std::unique_ptr<ZipReader> reader;
  Error e = ZipReader::Open(io, path, reader);
  EXPECT_TRUE(e.Ok()) << e.text;
  return reader ? reader->Entries() : std::vector<ZipEntry>{};
}

Error WriteTree(const std::string& folder, const std::string& archive, ZipWriterOptions options) {
  Error e;
  auto sink = MakeFileSink(archive, e);
  if (!sink) return e;
  ZipWriter writer(std::move(sink), options);
  if ((e = writer.AddFolderTree(folder))) return e;
  return writer.Finish();
}

class ZipWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(tmp_ / "src/b.txt", test::TextBytes(30000));
    WriteFile(tmp_ / "src/a/random.bin", test::RandomBytes(50000));
    WriteFile(tmp_ / "src/a/zero.bin", "");
    WriteFile(tmp_ / "src/caf\xc3\xa9.txt", "utf-8 name");
    fs::create_directories(tmp_ / "src/empty");
  }
  TempFolder tmp_;
};

TEST_F(ZipWriterTest, SortedRelativeNamesAndChosenMethods) {
  ASSERT_TRUE(WriteTree(tmp_ / "src", tmp_ / "a.zip", {}).Ok());
  auto entries = List(tmp_ / "a.zip");
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a\\random.bin", "a\\zero.bin", "b.txt", "caf\xc3\xa9.txt", "empty"}));
  EXPECT_EQ(entries[0].method, zip::kMethodStored) << "random data is stored";
  EXPECT_EQ(entries[2].method, zip::kMethodDeflated);
  EXPECT_TRUE(entries[4].folder);
  EXPECT_TRUE(entries[3].flags & zip::kFlagUtf8);
  EXPECT_FALSE(entries[2].flags & zip::kFlagUtf8);
}

TEST_F(ZipWriterTest, DeterministicOutputIgnoresTimes) {
  ZipWriterOptions options;
  options.deterministic = true;
  ASSERT_TRUE(WriteTree(tmp_ / "src", tmp_ / "one.zip", options).Ok());
  fs::last_write_time(tmp_ / "src/b.txt", fs::file_time_type::clock::now() - std::chrono::hours(1000));
  ASSERT_TRUE(WriteTree(tmp_ / "src", tmp_ / "two.zip", options).Ok());
  EXPECT_EQ(test::ReadFile(tmp_ / "one.zip"), test::ReadFile(tmp_ / "two.zip"));
  ASSERT_TRUE(WriteTree(tmp_ / "src", tmp_ / "dated.zip", {}).Ok());
  EXPECT_NE(test::ReadFile(tmp_ / "one.zip"), test::ReadFile(tmp_ / "dated.zip"));
}

TEST_F(ZipWriterTest, InfoZipAcceptsTheArchives) {
  if (!test::HaveCommand("unzip")) GTEST_SKIP() << "the unzip command is not installed";
  for (bool zip64 : {false, true}) {
    ZipWriterOptions options;
    options.forceZip64 = zip64;
    std::string archive = tmp_ / (zip64 ? "z64.zip" : "plain.zip");
    ASSERT_TRUE(WriteTree(tmp_ / "src", archive, options).Ok());
    EXPECT_TRUE(test::RunIn(tmp_.Path(), "unzip -tq '" + archive + "'")) << zip64;
    std::string out = tmp_ / (zip64 ? "out64" : "out");
    ASSERT_TRUE(test::RunIn(tmp_.Path(), "unzip -q '" + archive + "' -d '" + out + "'")) << zip64;
    EXPECT_EQ(test::TreeOf(out), test::TreeOf(tmp_ / "src")) << zip64;
  }
}

TEST_F(ZipWriterTest, Zip64RecordsOnlyWhenNeededOrForced) {
  auto hasZip64End = [](const std::string& bytes) {
    std::string sig;
    zip::Put32(sig, zip::kZip64EndSignature);
    return bytes.find(sig) != std::string::npos;
  };
  EXPECT_FALSE(hasZip64End(test::MakeZip({{"a", "x"}})));
  EXPECT_TRUE(hasZip64End(test::MakeZip({{"a", "x"}}, {.forceZip64 = true})));
  // 65535 entries no longer fit the 16-bit count of the classic end record.
  std::string bytes;
  ZipWriter writer(MakeMemorySink(bytes), {.level = 0});
  for (int i = 0; i < 0xFFFF; ++i) writer.AddBytes(std::to_string(i), "");
  ASSERT_TRUE(writer.Finish().Ok());
  EXPECT_TRUE(hasZip64End(bytes));
  WriteFile(tmp_ / "many.zip", bytes);
  EXPECT_EQ(List(tmp_ / "many.zip").size(), 0xFFFFu);
}

}  // namespace
}  // namespace zel
