#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <functional>

#include "common/win_path.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_scratch_folder.h"

namespace qv::platform::win32 {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }
  void Write(const std::string& name, std::string_view bytes) {
    ASSERT_EQ(files_.WriteWholeFile(Path(name), bytes), kSuccess) << name;
  }
  std::string Read(const std::string& name) {
    std::string bytes;
    EXPECT_EQ(files_.ReadWholeFile(Path(name), bytes), kSuccess) << name;
    return bytes;
  }

  Win32Platform platform_;
  FileSystem& files_ = platform_.Files();
  ScratchFolder scratch_{platform_};
};

TEST_F(Win32FileSystemTest, CreatesListsAndKeepsAttributes) {
  ASSERT_EQ(files_.CreateFolder(Path("sub")), kSuccess);
  EXPECT_EQ(files_.CreateFolder(Path("sub")), kErrorAlreadyExists);
  ASSERT_EQ(files_.CreateFolderTree(Path("deep\\er\\est")), kSuccess);
  Write("a.txt", "abc");
  Write("empty.bin", "");
  ASSERT_EQ(files_.SetAttributes(Path("empty.bin"), attr::kHidden), kSuccess);

  EXPECT_TRUE(files_.FileExists(Path("a.txt")));
  EXPECT_FALSE(files_.FolderExists(Path("a.txt")));
  EXPECT_TRUE(files_.FolderExists(Path("deep\\er\\est")));
  EXPECT_FALSE(files_.FileExists(Path("sub")));
  uint32_t a = 0;
  ASSERT_EQ(files_.Attributes(Path("empty.bin"), a), kSuccess);
  EXPECT_EQ(a & (attr::kHidden | attr::kDirectory), attr::kHidden);

  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.ListFolder(scratch_.Path(), entries), kSuccess);
  std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 4u);  // no "." and ".."
  EXPECT_EQ(entries[0].name, "a.txt");
  EXPECT_EQ(entries[0].size, 3u);
  EXPECT_NE(entries[0].lastWrite, 0u);
  EXPECT_FALSE(entries[0].attributes & attr::kDirectory);
  EXPECT_EQ(entries[1].name, "deep");
  EXPECT_TRUE(entries[1].attributes & attr::kDirectory);
  EXPECT_EQ(entries[2].name, "empty.bin");
  EXPECT_TRUE(entries[2].attributes & attr::kHidden);
  EXPECT_EQ(entries[3].name, "sub");

  // A trailing backslash names the same folder.
  std::vector<DirEntry> again;
  ASSERT_EQ(files_.ListFolder(scratch_.Path() + "\\", again), kSuccess);
  EXPECT_EQ(again.size(), 4u);
  ASSERT_EQ(files_.ListFolder(Path("sub"), again), kSuccess);
  EXPECT_TRUE(again.empty());
}

TEST_F(Win32FileSystemTest, AppendCreatesThenExtends) {
  ASSERT_EQ(files_.AppendToFile(Path("log.txt"), "one\r\n"), kSuccess);
  ASSERT_EQ(files_.AppendToFile(Path("log.txt"), "two\r\n"), kSuccess);
  ASSERT_EQ(files_.AppendToFile(Path("log.txt"), ""), kSuccess);
  EXPECT_EQ(Read("log.txt"), "one\r\ntwo\r\n");
}

TEST_F(Win32FileSystemTest, WriterReplacesAndReportsItsClose) {
  Write("f.bin", "old contents, longer");
  ErrorCode e = kErrorInvalidFunction;
  auto writer = files_.OpenWrite(Path("f.bin"), e);
  ASSERT_TRUE(writer) << e;
  std::string data("new\0data", 8);
  ASSERT_EQ(writer->Write(data.data(), data.size()), kSuccess);
  EXPECT_EQ(writer->Close(), kSuccess);
  EXPECT_EQ(writer->Write("x", 1), kErrorInvalidHandle);
  EXPECT_EQ(writer->Close(), kSuccess);
  EXPECT_EQ(Read("f.bin"), data);
}

TEST_F(Win32FileSystemTest, ReadsRanges) {
  Write("digits.txt", "0123456789");
  struct Case {
    uint64_t offset, count;
    const char* expected;
  } cases[] = {{0, 4, "0123"}, {3, 4, "3456"}, {8, 10, "89"}, {10, 1, ""}, {99, 1, ""}, {0, UINT64_MAX, "0123456789"}};
  for (const auto& c : cases) {
    std::string bytes = "stale";
    EXPECT_EQ(files_.ReadRange(Path("digits.txt"), c.offset, c.count, bytes), kSuccess);
    EXPECT_EQ(bytes, c.expected) << c.offset << "+" << c.count;
  }
}

// Sizes and positions beyond 4 GiB must not be cut to 32 bits.
TEST_F(Win32FileSystemTest, SizesAndSeeksBeyondFourGiB) {
  const uint64_t kMarkAt = (uint64_t(1) << 32) + 7, kSize = uint64_t(5) << 30;
  std::string path = Path("large.bin");
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD unused = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);  // so that no space is used
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(kMarkAt);
  DWORD written = 0;
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && WriteFile(h, "XYZ", 3, &written, nullptr);
  at.QuadPart = LONGLONG(kSize);
  ok = ok && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  ASSERT_TRUE(ok);

  uint64_t size = 0;
  ASSERT_EQ(files_.FileSize(path, size), kSuccess);
  EXPECT_EQ(size, kSize);
  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.ListFolder(scratch_.Path(), entries), kSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, kSize);
  std::string bytes;
  ASSERT_EQ(files_.ReadRange(path, kMarkAt - 1, 5, bytes), kSuccess);
  EXPECT_EQ(bytes, std::string("\0XYZ\0", 5));
  ErrorCode e;
  auto reader = files_.OpenRead(path, e);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Size(), kSize);
}

// The system's own error numbers for the usual failures.
TEST_F(Win32FileSystemTest, PassesOnTheSystemsErrorNumbers) {
  ASSERT_EQ(files_.CreateFolder(Path("full")), kSuccess);
  Write("full\\inside.txt", "x");
  Write("existing.txt", "existing");
  Write("readonly.txt", "readonly");
  ASSERT_EQ(files_.SetAttributes(Path("readonly.txt"), attr::kReadOnly), kSuccess);
  Write("held.txt", "held");
  ErrorCode e;
  auto holder = files_.OpenWrite(Path("held.txt"), e);
  ASSERT_TRUE(holder) << e;

  auto openRead = [&](const std::string& name) {
    ErrorCode error = kSuccess;
    auto reader = files_.OpenRead(Path(name), error);
    EXPECT_EQ(reader == nullptr, error != kSuccess);
    return error;
  };
  auto openWrite = [&](const std::string& name) {
    ErrorCode error = kSuccess;
    auto writer = files_.OpenWrite(Path(name), error);
    EXPECT_EQ(writer == nullptr, error != kSuccess);
    return error;
  };
  auto list = [&](const std::string& name) {
    std::vector<DirEntry> entries;
    return files_.ListFolder(Path(name), entries);
  };
  uint32_t attributes;
  uint64_t size;
  struct Case {
    const char* what;
    std::function<ErrorCode()> call;
    ErrorCode expected;
    bool needsReadOnlyOpen = false;  // the system must refuse to open a read-only file for writing
  } cases[] = {
      {"read a missing file", [&] { return openRead("missing.txt"); }, kErrorFileNotFound},
      {"read in a missing folder", [&] { return openRead("nodir\\x.txt"); }, kErrorPathNotFound},
      {"attributes of a missing file", [&] { return files_.Attributes(Path("missing.txt"), attributes); },
       kErrorFileNotFound},
      {"size of a missing file", [&] { return files_.FileSize(Path("missing.txt"), size); }, kErrorFileNotFound},
      {"size of a folder", [&] { return files_.FileSize(Path("full"), size); }, kErrorAccessDenied},
      {"list a missing folder", [&] { return list("nodir"); }, kErrorPathNotFound},
      {"list an empty name", [&] { std::vector<DirEntry> v; return files_.ListFolder("", v); }, kErrorPathNotFound},
      {"create under a missing parent", [&] { return files_.CreateFolder(Path("nodir\\sub")); }, kErrorPathNotFound},
      {"remove a missing folder", [&] { return files_.RemoveFolder(Path("nodir")); }, kErrorFileNotFound},
      {"remove a folder that is not empty", [&] { return files_.RemoveFolder(Path("full")); }, kErrorDirNotEmpty},
      {"remove a missing file", [&] { return files_.RemoveFile(Path("missing.txt")); }, kErrorFileNotFound},
      {"copy a missing file", [&] { return files_.CopyFileTo(Path("missing.txt"), Path("x.txt"), true); },
       kErrorFileNotFound},
      {"copy onto an existing file without overwriting",
       [&] { return files_.CopyFileTo(Path("full\\inside.txt"), Path("existing.txt"), false); }, kErrorFileExists},
      {"copy over a read-only file", [&] { return files_.CopyFileTo(Path("existing.txt"), Path("readonly.txt"), true); },
       kErrorAccessDenied, true},
      {"move onto an existing file", [&] { return files_.MoveFileTo(Path("existing.txt"), Path("readonly.txt")); },
       kErrorAlreadyExists},
      {"write a read-only file", [&] { return openWrite("readonly.txt"); }, kErrorAccessDenied, true},
      {"append to a read-only file", [&] { return files_.AppendToFile(Path("readonly.txt"), "x"); },
       kErrorAccessDenied, true},
      {"remove a read-only file", [&] { return files_.RemoveFile(Path("readonly.txt")); }, kErrorAccessDenied},
      {"read a file held open for writing", [&] { return openRead("held.txt"); }, kErrorSharingViolation},
      {"write a file held open for writing", [&] { return openWrite("held.txt"); }, kErrorSharingViolation},
      {"append to a file held open for writing", [&] { return files_.AppendToFile(Path("held.txt"), "x"); },
       kErrorSharingViolation},
      {"remove a file held open for writing", [&] { return files_.RemoveFile(Path("held.txt")); },
       kErrorSharingViolation},
  };
  // Wine run by root opens read-only files for writing all the same; Windows does not.
  HANDLE probe = CreateFileA(Path("readonly.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  bool readOnlyEnforced = probe == INVALID_HANDLE_VALUE;
  if (!readOnlyEnforced) CloseHandle(probe);
  for (const auto& c : cases) {
    if (!readOnlyEnforced && c.needsReadOnlyOpen) continue;
    EXPECT_EQ(c.call(), c.expected) << c.what;
  }

  // Nothing of the failures above changed the files.
  holder.reset();
  EXPECT_EQ(Read("existing.txt"), "existing");
  EXPECT_EQ(Read("readonly.txt"), "readonly");
  EXPECT_EQ(Read("held.txt"), "");  // the holder truncated it when it opened it
  EXPECT_TRUE(files_.FileExists(Path("full\\inside.txt")));
}

// Readers share reading: the engine reads its own running executable.
TEST_F(Win32FileSystemTest, ReadersShareReading) {
  Write("shared.txt", "shared");
  ErrorCode e;
  auto first = files_.OpenRead(Path("shared.txt"), e);
  ASSERT_TRUE(first) << e;
  EXPECT_EQ(Read("shared.txt"), "shared");
  std::string head;
  EXPECT_EQ(files_.ReadRange(platform_.Sys().ExecutablePath(), 0, 2, head), kSuccess);
  EXPECT_EQ(head, "MZ");
}

// A zero byte inside a name would make the system act on a shorter name.
TEST_F(Win32FileSystemTest, RefusesNamesWithAZeroInside) {
  Write("keep", "kept");
  std::string cut = Path("keep") + std::string("\0.txt", 5);
  EXPECT_EQ(files_.RemoveFile(cut), kErrorInvalidName);
  EXPECT_EQ(files_.SetAttributes(cut, attr::kHidden), kErrorInvalidName);
  EXPECT_EQ(files_.AppendToFile(cut, "more"), kErrorInvalidName);
  ErrorCode e;
  EXPECT_FALSE(files_.OpenWrite(cut, e));
  EXPECT_EQ(e, kErrorInvalidName);
  EXPECT_FALSE(files_.FileExists(cut));
  EXPECT_EQ(Read("keep"), "kept");
  uint32_t a = 0;
  ASSERT_EQ(files_.Attributes(Path("keep"), a), kSuccess);
  EXPECT_FALSE(a & attr::kHidden);
}

TEST_F(Win32FileSystemTest, MakesFullPaths) {
  std::string base = files_.FullPath(".");
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(files_.FullPath("sub\\..\\name.txt"), winpath::IncludeTrailingBackslash(base) + "name.txt");
  EXPECT_EQ(files_.FullPath("C:\\a\\b\\..\\c.txt"), "C:\\a\\c.txt");
  EXPECT_EQ(files_.FullPath(""), "");
}

// Names are in the ANSI code page: a byte above 127 names the same file both ways.
TEST_F(Win32FileSystemTest, KeepsAnsiNames) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
  Write("caf\xE9.txt", "x");
  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.ListFolder(scratch_.Path(), entries), kSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "caf\xE9.txt");
  std::string wide = scratch_.Path();
  WIN32_FIND_DATAW found;
  std::wstring pattern(wide.begin(), wide.end());
  HANDLE h = FindFirstFileW((pattern + L"\\caf\u00E9.txt").c_str(), &found);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
}

// Every name of a short path is an 8.3 name, and the short path names the same file.
TEST_F(Win32FileSystemTest, GivesShortPathsOfExistingEntries) {
  ASSERT_EQ(files_.CreateFolder(Path("Long Folder Name")), kSuccess);
  Write("Long Folder Name\\Long File Name.text", "long");
  std::string shortPath = files_.ShortPathName(Path("long folder name\\LONG FILE NAME.TEXT"));
  ASSERT_FALSE(shortPath.empty());
  std::string scratchShort = files_.ShortPathName(scratch_.Path());
  ASSERT_FALSE(scratchShort.empty());
  ASSERT_EQ(shortPath.compare(0, scratchShort.size(), scratchShort), 0) << shortPath;
  std::vector<std::string> names = winpath::Components(shortPath.substr(scratchShort.size()));
  ASSERT_EQ(names.size(), 2u) << shortPath;
  for (const auto& name : names) {
    size_t dot = name.find('.');
    EXPECT_LE(dot == std::string::npos ? name.size() : dot, 8u) << name;
    EXPECT_LE(dot == std::string::npos ? 0 : name.size() - dot - 1, 3u) << name;
    EXPECT_EQ(name.find(' '), std::string::npos) << name;
  }
  std::string bytes;
  EXPECT_EQ(files_.ReadWholeFile(shortPath, bytes), kSuccess);
  EXPECT_EQ(bytes, "long");
  // A trailing backslash stays; a missing entry and a cut name have no short form.
  std::string folder = files_.ShortPathName(Path("Long Folder Name") + "\\");
  EXPECT_EQ(folder, winpath::ExtractFilePath(shortPath));
  EXPECT_EQ(files_.ShortPathName(Path("Missing Folder\\x")), "");
  EXPECT_EQ(files_.ShortPathName(Path("Long Folder Name") + std::string("\0x", 2)), "");
}

TEST_F(Win32FileSystemTest, GivesStoredNames) {
  Write("MixedCase.TXT", "m");
  ASSERT_EQ(files_.CreateFolder(Path("Sub Folder")), kSuccess);
  struct Case {
    std::string path;
    const char* name;  // null: none
  } cases[] = {
      {Path("mixedcase.txt"), "MixedCase.TXT"},
      {Path("SUB FOLDER"), "Sub Folder"},
      {Path("sub folder\\..\\MIXEDCASE.txt"), "MixedCase.TXT"},
      {Path("Sub Folder\\"), nullptr},
      {Path("Mixed*"), nullptr},
      {Path("MixedCase.TX?"), nullptr},
      {Path("Mixed<"), nullptr},
      {Path("missing.txt"), nullptr},
      {"C:\\", nullptr},
      {"C:", nullptr},
      {Path("MixedCase.TXT") + std::string("\0x", 2), nullptr},
  };
  for (const auto& c : cases) {
    std::string name = "stale";
    EXPECT_EQ(files_.StoredName(c.path, name), c.name != nullptr) << c.path;
    EXPECT_EQ(name, c.name ? c.name : "") << c.path;
  }
}

// Only a 32-bit process on 64-bit Windows has redirection to turn off.
TEST_F(Win32FileSystemTest, TurnsRedirectionOffOnlyUnderWow64) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  uintptr_t token = 12345;
  bool off = files_.DisableRedirection(token);
  EXPECT_EQ(off, bool(wow64));
  if (off)
    files_.RevertRedirection(token);
  else
    EXPECT_EQ(token, 12345u);
}

TEST_F(Win32FileSystemTest, SearchesFoldersWithMasks) {
  Write("a.txt", "a");
  Write("b.TXT", "b");
  Write("c.log", "c");
  ASSERT_EQ(files_.CreateFolder(Path("sub")), kSuccess);
  auto found = [&](const std::string& pattern) {
    std::vector<DirEntry> entries;
    ErrorCode e = files_.FindFiles(pattern, entries);
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return std::make_pair(e, names);
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(found(Path("*.txt")), std::make_pair(kSuccess, Names{"a.txt", "b.TXT"}));
  EXPECT_EQ(found(Path("*.*")), std::make_pair(kSuccess, Names{"a.txt", "b.TXT", "c.log", "sub"}));
  EXPECT_EQ(found(Path("*.none")).first, kErrorFileNotFound);
  EXPECT_EQ(found(Path("missing\\*.*")).first, kErrorPathNotFound);
  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.FindFiles(Path("sub"), entries), kSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].attributes & attr::kDirectory);
}

TEST_F(Win32FileSystemTest, GivesTheSpaceOfAVolume) {
  uint64_t free = 0, total = 0;
  ASSERT_EQ(files_.DiskSpace(scratch_.Path(), free, total), kSuccess);
  EXPECT_GT(total, 0u);
  EXPECT_LE(free, total);
  EXPECT_NE(files_.DiskSpace(Path("missing\\"), free, total), kSuccess);
  EXPECT_EQ(free + total, 0u);
}

TEST_F(Win32FileSystemTest, ReadsProfileStrings) {
  Write("setup.ini", "[General]\r\nName = Brelmont Viewer \r\nQuoted=\"x y\"\r\n[Other]\r\nName=o\r\n");
  const std::string ini = Path("setup.ini");
  EXPECT_EQ(files_.ProfileString(ini, "General", "Name", 26000), "Brelmont Viewer");
  EXPECT_EQ(files_.ProfileString(ini, "general", "NAME", 26000), "Brelmont Viewer");
  EXPECT_EQ(files_.ProfileString(ini, "General", "Quoted", 26000), "x y");
  EXPECT_EQ(files_.ProfileString(ini, "General", "Name", 5), "Brel");
  EXPECT_EQ(files_.ProfileString(ini, "Other", "Missing", 26000), "");
  EXPECT_EQ(files_.ProfileString(Path("missing.ini"), "General", "Name", 26000), "");
}

}  // namespace
}  // namespace qv::platform::win32
