// The real zel.lib, loaded the way the engine loads it. The library is looked for next
// to the test program, then in the zel folder of the build beside it (..\zel\zel.lib),
// or where QV_ZEL_LIB names.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/pe_image.h"
#include "zel/zel_api.h"
#include "zel/zip_writer.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string LibraryPath() {
  if (const char* named = std::getenv("QV_ZEL_LIB")) return named;
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  fs::path folder = fs::path(std::string(exe, n)).parent_path();
  for (const fs::path& candidate : {folder / "zel.lib", folder.parent_path() / "zel" / "zel.lib"})
    if (fs::exists(candidate)) return candidate.string();
  return (folder / "zel.lib").string();
}

class ZelDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "zeldll" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = LibraryPath();
    library_ = LoadLibraryA(path_.c_str());
    ASSERT_NE(library_, nullptr) << "cannot load " << path_ << " (error " << GetLastError() << ")";
    open_ = reinterpret_cast<ZelOpenListArchiveFn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, "OpenListArchive")));
    close_ = reinterpret_cast<ZelCloseListArchiveFn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, "CloseListArchive")));
    extract_ = reinterpret_cast<ZelExtractArchiveFn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, "ExtractArchive")));
    lastError_ = reinterpret_cast<ZelGetLastArchiveErrorFn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, "GetLastArchiveError")));
    lastText_ = reinterpret_cast<ZelGetLastArchiveErrorTextFn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, "GetLastArchiveErrorText")));
    ASSERT_TRUE(open_ && close_ && extract_ && lastError_ && lastText_);
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
    std::error_code ec;
    for (auto& p : fs::recursive_directory_iterator(folder_, ec)) SetFileAttributesA(p.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder_, ec);
  }

  std::string folder_, path_;
  HMODULE library_ = nullptr;
  ZelOpenListArchiveFn open_ = nullptr;
  ZelCloseListArchiveFn close_ = nullptr;
  ZelExtractArchiveFn extract_ = nullptr;
  ZelGetLastArchiveErrorFn lastError_ = nullptr;
  ZelGetLastArchiveErrorTextFn lastText_ = nullptr;
};

int64_t g_lastDone = 0, g_lastTotal = 0;
int32_t ZEL_CALL Progress(const char*, int64_t done, int64_t total) {
  g_lastDone = done;
  g_lastTotal = total;
  return 1;
}
int32_t ZEL_CALL Continue(int32_t, int32_t) { return 1; }

TEST_F(ZelDllTest, ImageIsADllWithThePlainExportsAndNothingBehindItsLastSection) {
  std::string file = ReadBytes(path_);
  qv::pe::Image image;
  std::string why;
  ASSERT_TRUE(qv::pe::ParseHeaders(file, image, &why)) << why;
  EXPECT_TRUE(image.characteristics & qv::pe::kCharacteristicDll);
  EXPECT_EQ(image.pointerToSymbolTable, 0u);
  EXPECT_EQ(image.StubSize(), file.size()) << "appended data must start right after the image";
  auto names = qv::pe::ExportNames(file, image);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"CloseListArchive", "ExtractArchive", "GetLastArchiveError",
                                             "GetLastArchiveErrorText", "OpenListArchive"}));
}

TEST_F(ZelDllTest, LoadsWithDataAppended) {
  std::string copy = folder_ + "zel.lib";
  WriteBytes(copy, ReadBytes(path_) + "language file lines\r\n");
  HMODULE again = LoadLibraryA(copy.c_str());
  ASSERT_NE(again, nullptr) << GetLastError();
  EXPECT_NE(GetProcAddress(again, "ExtractArchive"), nullptr);
  FreeLibrary(again);
}

TEST_F(ZelDllTest, ListsAndExtractsWithTheWin32Calls) {
  std::string archive;
  {
    zel::ZipWriter writer(zel::MakeMemorySink(archive));
    writer.AddBytes("readme.txt", std::string(200000, 'r'), 1300000000);
    writer.AddBytes("sub/dir/data.bin", "data");
    writer.AddFolder("empty/");
    ASSERT_TRUE(writer.Finish().Ok());
  }
  // Mark readme.txt read-only the way a Windows zip tool would.
  std::string sig("PK\x01\x02", 4);
  archive[archive.find(sig) + 38] |= FILE_ATTRIBUTE_READONLY;
  WriteBytes(folder_ + "a.zip", archive);

  ZelEntry* entries = nullptr;
  int32_t count = 0;
  void* handle = open_((folder_ + "a.zip").c_str(), 0, nullptr, 0, 0, 0, "", &entries, &count);
  ASSERT_NE(handle, nullptr) << lastText_(0);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(entries[1].name, "sub\\dir\\data.bin");
  EXPECT_EQ(entries[2].flags, static_cast<uint32_t>(ZEL_ENTRY_FOLDER));
  close_(handle);

  std::string out = folder_ + "out\\deeper";
  ASSERT_NE(extract_((folder_ + "a.zip").c_str(), 1, out.c_str(), nullptr, 1, "", nullptr, Progress, Continue, nullptr), 0)
      << lastText_(0);
  EXPECT_EQ(g_lastTotal, 200004);
  EXPECT_EQ(g_lastDone, g_lastTotal);
  EXPECT_EQ(ReadBytes(out + "\\sub\\dir\\data.bin"), "data");
  DWORD attributes = GetFileAttributesA((out + "\\readme.txt").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesA((out + "\\empty").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA((out + "\\readme.txt").c_str(), GetFileExInfoStandard, &data));
  uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(ticks, (1300000000ULL + 11644473600ULL) * 10000000ULL);

  // Extracting again over the read-only file replaces it when asked to.
  ASSERT_NE(extract_((folder_ + "a.zip").c_str(), 1, out.c_str(), nullptr, 1, "", nullptr, nullptr, nullptr, nullptr), 0)
      << lastText_(0);
}

TEST_F(ZelDllTest, FailuresSetTheThreadsLastError) {
  EXPECT_EQ(open_((folder_ + "missing.zip").c_str(), 0, nullptr, 0, 0, 0, "", nullptr, nullptr), nullptr);
  ZelEntry* entries = nullptr;
  int32_t count = 0;
  EXPECT_EQ(open_((folder_ + "missing.zip").c_str(), 0, nullptr, 0, 0, 0, "", &entries, &count), nullptr);
  EXPECT_EQ(lastError_(0), ZEL_ERROR_ARCHIVE_NOT_FOUND);
  EXPECT_NE(std::string(lastText_(0)).find("missing.zip"), std::string::npos);

  WriteBytes(folder_ + "evil.zip", [] {
    std::string bytes;
    zel::ZipWriter writer(zel::MakeMemorySink(bytes));
    writer.AddBytes("..\\evil.txt", "x");
    writer.Finish();
    return bytes;
  }());
  EXPECT_EQ(extract_((folder_ + "evil.zip").c_str(), 1, (folder_ + "out").c_str(), nullptr, 1, "", nullptr, nullptr,
                     nullptr, nullptr),
            0);
  EXPECT_EQ(lastError_(0), ZEL_ERROR_UNSAFE_NAME);
  EXPECT_EQ(GetFileAttributesA((folder_ + "evil.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
