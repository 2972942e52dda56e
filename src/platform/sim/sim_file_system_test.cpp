#include "platform/sim/sim_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "common/win_path.h"
#include "platform/sim/sim_test_root.h"

namespace qv::platform::sim {
namespace {

class SimFileSystemTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(files_.ReadWholeFile(path, bytes), kSuccess) << path;
    return bytes;
  }
  void Write(const std::string& path, const std::string& bytes) {
    ASSERT_EQ(files_.CreateFolderTree(winpath::ExtractFilePath(path)), kSuccess) << path;
    ASSERT_EQ(files_.WriteWholeFile(path, bytes), kSuccess) << path;
  }
  uint32_t AttributesOf(const std::string& path) {
    uint32_t a = 0;
    EXPECT_EQ(files_.Attributes(path, a), kSuccess) << path;
    return a;
  }
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<DirEntry> entries;
    EXPECT_EQ(files_.ListFolder(folder, entries), kSuccess) << folder;
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
  }
  std::string Relative(const std::string& path) {
    std::string host = files_.HostPath(path);
    return host.substr(std::min(host.size(), root_.Path().size() + 1));
  }

  testing::TempRoot root_;
  FaultPlan faults_;
  SimFileSystem files_{root_.Path(), &faults_};
};

TEST_F(SimFileSystemTest, GivesTheErrorsOfTheRealCalls) {
  Write("C:\\full\\inside.txt", "inside");
  Write("C:\\existing.txt", "existing");
  Write("C:\\readonly.txt", "readonly");
  Write("C:\\hidden.txt", "hidden");
  Write("C:\\held.txt", "");
  Write("C:\\reading.txt", "reading");
  ASSERT_EQ(files_.CreateFolder("C:\\empty"), kSuccess);
  ASSERT_EQ(files_.SetAttributes("C:\\readonly.txt", attr::kReadOnly), kSuccess);
  ASSERT_EQ(files_.SetAttributes("C:\\hidden.txt", attr::kHidden), kSuccess);
  ErrorCode e;
  auto holder = files_.OpenWrite("C:\\held.txt", e);
  ASSERT_TRUE(holder);
  auto reader = files_.OpenRead("C:\\reading.txt", e);
  ASSERT_TRUE(reader);

  auto openRead = [&](const char* path) {
    ErrorCode error = kSuccess;
    auto r = files_.OpenRead(path, error);
    EXPECT_EQ(r == nullptr, error != kSuccess);
    return error;
  };
  auto openWrite = [&](const std::string& path) {
    ErrorCode error = kSuccess;
    auto w = files_.OpenWrite(path, error);
    EXPECT_EQ(w == nullptr, error != kSuccess);
    return error;
  };
  auto list = [&](const char* path) {
    std::vector<DirEntry> entries;
    return files_.ListFolder(path, entries);
  };
  uint32_t attributes;
  uint64_t size;
  std::string longName = "C:\\" + std::string(200, 'd') + "\\" + std::string(60, 'f');
  struct Case {
    const char* what;
    std::function<ErrorCode()> call;
    ErrorCode expected;
  } cases[] = {
      {"read a missing file", [&] { return openRead("C:\\missing.txt"); }, kErrorFileNotFound},
      {"read in a missing folder", [&] { return openRead("C:\\nodir\\x.txt"); }, kErrorPathNotFound},
      {"read below a file", [&] { return openRead("C:\\existing.txt\\x"); }, kErrorPathNotFound},
      {"read a folder", [&] { return openRead("C:\\full"); }, kErrorAccessDenied},
      {"read on a missing drive", [&] { return openRead("Q:\\x.txt"); }, kErrorPathNotFound},
      {"read an empty name", [&] { return openRead(""); }, kErrorPathNotFound},
      {"write a name with <", [&] { return openWrite("C:\\a<b.txt"); }, kErrorInvalidName},
      {"write a name with |", [&] { return openWrite("C:\\full\\a|b"); }, kErrorInvalidName},
      {"write a name with ?", [&] { return openWrite("C:\\a?b"); }, kErrorInvalidName},
      {"create a folder with :", [&] { return files_.CreateFolder("C:\\x:y"); }, kErrorInvalidName},
      {"write a path of 262 characters", [&] { return openWrite(longName); }, kErrorFilenameExcedRange},
      {"create a folder of 250 characters", [&] { return files_.CreateFolder("C:\\" + std::string(247, 'd')); },
       kErrorFilenameExcedRange},
      {"create an existing folder", [&] { return files_.CreateFolder("C:\\full"); }, kErrorAlreadyExists},
      {"create a folder over a file", [&] { return files_.CreateFolder("C:\\existing.txt"); }, kErrorAlreadyExists},
      {"create under a missing parent", [&] { return files_.CreateFolder("C:\\nodir\\sub"); }, kErrorPathNotFound},
      {"create a drive root", [&] { return files_.CreateFolder("C:\\"); }, kErrorAccessDenied},
      {"remove a missing folder", [&] { return files_.RemoveFolder("C:\\nodir"); }, kErrorFileNotFound},
      {"remove a folder below a missing one", [&] { return files_.RemoveFolder("C:\\nodir\\x"); }, kErrorPathNotFound},
      {"remove a folder that is not empty", [&] { return files_.RemoveFolder("C:\\full"); }, kErrorDirNotEmpty},
      {"remove a file as a folder", [&] { return files_.RemoveFolder("C:\\existing.txt"); }, kErrorDirectory},
      {"remove a drive root", [&] { return files_.RemoveFolder("C:\\"); }, kErrorAccessDenied},
      {"remove a missing file", [&] { return files_.RemoveFile("C:\\missing.txt"); }, kErrorFileNotFound},
      {"remove a folder as a file", [&] { return files_.RemoveFile("C:\\empty"); }, kErrorAccessDenied},
      {"remove a read-only file", [&] { return files_.RemoveFile("C:\\readonly.txt"); }, kErrorAccessDenied},
      {"remove a file open for writing", [&] { return files_.RemoveFile("C:\\held.txt"); }, kErrorSharingViolation},
      {"remove a file open for reading", [&] { return files_.RemoveFile("C:\\reading.txt"); },
       kErrorSharingViolation},
      {"write a read-only file", [&] { return openWrite("C:\\readonly.txt"); }, kErrorAccessDenied},
      {"append to a read-only file", [&] { return files_.AppendToFile("C:\\readonly.txt", "x"); },
       kErrorAccessDenied},
      {"replace a hidden file", [&] { return openWrite("C:\\hidden.txt"); }, kErrorAccessDenied},
      {"write a folder", [&] { return openWrite("C:\\full"); }, kErrorAccessDenied},
      {"write in a missing folder", [&] { return openWrite("C:\\nodir\\x"); }, kErrorPathNotFound},
      {"read a file open for writing", [&] { return openRead("C:\\held.txt"); }, kErrorSharingViolation},
      {"write a file open for writing", [&] { return openWrite("C:\\held.txt"); }, kErrorSharingViolation},
      {"write a file open for reading", [&] { return openWrite("C:\\reading.txt"); }, kErrorSharingViolation},
      {"append to a file open for writing", [&] { return files_.AppendToFile("C:\\held.txt", "x"); },
       kErrorSharingViolation},
      {"copy a missing file", [&] { return files_.CopyFileTo("C:\\missing.txt", "C:\\x.txt", true); },
       kErrorFileNotFound},
      {"copy onto an existing file without overwriting",
       [&] { return files_.CopyFileTo("C:\\full\\inside.txt", "C:\\existing.txt", false); }, kErrorFileExists},
      {"copy over a read-only file", [&] { return files_.CopyFileTo("C:\\existing.txt", "C:\\readonly.txt", true); },
       kErrorAccessDenied},
      {"copy onto itself", [&] { return files_.CopyFileTo("C:\\existing.txt", "c:\\EXISTING.txt", true); },
       kErrorSharingViolation},
      {"copy a folder", [&] { return files_.CopyFileTo("C:\\full", "C:\\copy", true); }, kErrorAccessDenied},
      {"copy onto a file open for writing",
       [&] { return files_.CopyFileTo("C:\\existing.txt", "C:\\held.txt", true); }, kErrorSharingViolation},
      {"copy a file open for writing", [&] { return files_.CopyFileTo("C:\\held.txt", "C:\\x.txt", true); },
       kErrorSharingViolation},
      {"copy into a missing folder", [&] { return files_.CopyFileTo("C:\\existing.txt", "C:\\nodir\\x", true); },
       kErrorPathNotFound},
      {"move onto an existing file", [&] { return files_.MoveFileTo("C:\\existing.txt", "C:\\readonly.txt"); },
       kErrorAlreadyExists},
      {"move a missing file", [&] { return files_.MoveFileTo("C:\\missing.txt", "C:\\x.txt"); }, kErrorFileNotFound},
      {"move a file open for reading", [&] { return files_.MoveFileTo("C:\\reading.txt", "C:\\x.txt"); },
       kErrorSharingViolation},
      {"move a folder into itself", [&] { return files_.MoveFileTo("C:\\full", "C:\\full\\sub"); },
       kErrorSharingViolation},
      {"attributes of a missing file", [&] { return files_.Attributes("C:\\missing.txt", attributes); },
       kErrorFileNotFound},
      {"size of a missing file", [&] { return files_.FileSize("C:\\missing.txt", size); }, kErrorFileNotFound},
      {"size of a folder", [&] { return files_.FileSize("C:\\full", size); }, kErrorAccessDenied},
      {"list a missing folder", [&] { return list("C:\\nodir"); }, kErrorPathNotFound},
      {"list a file", [&] { return list("C:\\existing.txt"); }, kErrorDirectory},
      {"list an empty name", [&] { return list(""); }, kErrorPathNotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(), c.expected) << c.what;

  // Nothing of the failures above changed the files.
  holder.reset();
  reader.reset();
  EXPECT_EQ(Read("C:\\existing.txt"), "existing");
  EXPECT_EQ(Read("C:\\readonly.txt"), "readonly");
  EXPECT_EQ(Read("C:\\hidden.txt"), "hidden");
  EXPECT_EQ(Read("C:\\reading.txt"), "reading");
  EXPECT_TRUE(files_.FileExists("C:\\full\\inside.txt"));
  EXPECT_FALSE(files_.FileExists("C:\\x.txt"));
  EXPECT_EQ(Names("C:\\"), (std::vector<std::string>{"empty", "existing.txt", "full", "held.txt", "hidden.txt",
                                                     "reading.txt", "readonly.txt"}));
  // Handles that are gone no longer hold their files.
  EXPECT_EQ(files_.RemoveFile("C:\\held.txt"), kSuccess);
  EXPECT_EQ(files_.RemoveFile("C:\\reading.txt"), kSuccess);
}

TEST_F(SimFileSystemTest, ReadersShareReadingAndAppendingIsAllowedOnHiddenFiles) {
  Write("C:\\shared.txt", "shared");
  ErrorCode e;
  auto first = files_.OpenRead("C:\\shared.txt", e);
  ASSERT_TRUE(first);
  EXPECT_EQ(Read("C:\\shared.txt"), "shared");
  EXPECT_EQ(files_.CopyFileTo("C:\\shared.txt", "C:\\copy.txt", false), kSuccess);
  ASSERT_EQ(files_.SetAttributes("C:\\shared.txt", attr::kHidden), kSuccess);
  first.reset();
  EXPECT_EQ(files_.AppendToFile("C:\\shared.txt", "+more"), kSuccess);
  EXPECT_EQ(Read("C:\\shared.txt"), "shared+more");
}

TEST_F(SimFileSystemTest, MatchesNamesWithoutRegardToCaseAndKeepsSpellings) {
  Write("C:\\Program Files\\Caf\xC9\\Read Me.TXT", "menu");
  EXPECT_TRUE(files_.FileExists("c:\\PROGRAM FILES\\caf\xE9\\read me.txt"));
  EXPECT_TRUE(files_.FolderExists("C:/program files/CAF\xC9/"));
  EXPECT_EQ(Read("C:\\PROGRAM files\\caf\xE9\\READ ME.txt"), "menu");
  // A new entry in an existing folder: the folder keeps its spelling, the file gets the given one.
  Write("c:\\program files\\caf\xE9\\New.Dat", "new");
  EXPECT_EQ(Names("C:\\Program Files\\Caf\xC9"), (std::vector<std::string>{"New.Dat", "Read Me.TXT"}));
  // Host names are the UTF-8 form of the ANSI names.
  EXPECT_TRUE(root_.HostExists("C/Program Files/Caf\xC3\x89/New.Dat"));
  // An entry made on the host in other letters is the same file.
  root_.PutHostFile("C/Data/FILE.BIN", "host");
  EXPECT_EQ(Read("c:\\data\\file.bin"), "host");
  // A rename that only changes the letter case.
  ASSERT_EQ(files_.MoveFileTo("C:\\data\\file.bin", "C:\\Data\\File.bin"), kSuccess);
  EXPECT_EQ(Names("C:\\Data"), std::vector<std::string>{"File.bin"});
  EXPECT_EQ(Read("C:\\DATA\\FILE.BIN"), "host");
}

TEST_F(SimFileSystemTest, KeepsAttributeBits) {
  Write("C:\\dir\\file.txt", "x");
  EXPECT_EQ(AttributesOf("C:\\dir\\file.txt"), attr::kArchive);
  EXPECT_EQ(AttributesOf("C:\\dir"), attr::kDirectory);
  EXPECT_EQ(AttributesOf("C:\\"), attr::kDirectory | attr::kHidden | attr::kSystem);

  ASSERT_EQ(files_.SetAttributes("C:\\dir\\file.txt", attr::kNormal), kSuccess);
  EXPECT_EQ(AttributesOf("C:\\dir\\file.txt"), attr::kNormal);
  // Directory and compression bits are not SetFileAttributes' to change.
  ASSERT_EQ(files_.SetAttributes("C:\\dir\\file.txt",
                                 attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kDirectory | attr::kCompressed),
            kSuccess);
  EXPECT_EQ(AttributesOf("C:\\dir\\file.txt"), attr::kReadOnly | attr::kHidden | attr::kSystem);
  ASSERT_EQ(files_.SetAttributes("C:\\dir", attr::kHidden), kSuccess);
  EXPECT_EQ(AttributesOf("C:\\dir"), attr::kDirectory | attr::kHidden);

  // Writing marks a file for backup again.
  Write("C:\\log.txt", "a");
  ASSERT_EQ(files_.SetAttributes("C:\\log.txt", attr::kNormal), kSuccess);
  ASSERT_EQ(files_.AppendToFile("C:\\log.txt", "b"), kSuccess);
  EXPECT_EQ(AttributesOf("C:\\log.txt"), attr::kArchive);

  // Compression is kept and handed to new entries of a compressed folder.
  ASSERT_EQ(files_.CreateFolder("C:\\packed"), kSuccess);
  ASSERT_EQ(files_.SetCompression("C:\\packed", true), kSuccess);
  Write("C:\\packed\\a.bin", "a");
  ASSERT_EQ(files_.CreateFolder("C:\\packed\\sub"), kSuccess);
  EXPECT_EQ(AttributesOf("C:\\packed\\a.bin"), attr::kArchive | attr::kCompressed);
  EXPECT_EQ(AttributesOf("C:\\packed\\sub"), attr::kDirectory | attr::kCompressed);
  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.ListFolder("C:\\dir", entries), kSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].attributes, attr::kReadOnly | attr::kHidden | attr::kSystem);
  EXPECT_EQ(entries[0].size, 1u);
  EXPECT_NE(entries[0].lastWrite, 0u);
}

TEST_F(SimFileSystemTest, CopiesAndMovesCarryAttributesAndTimes) {
  Write("C:\\src\\a.txt", "payload");
  ASSERT_EQ(files_.SetAttributes("C:\\src\\a.txt", attr::kReadOnly | attr::kArchive), kSuccess);
  std::filesystem::last_write_time(files_.HostPath("C:\\src\\a.txt"),
                                   std::filesystem::last_write_time(files_.HostPath("C:\\src\\a.txt")) -
                                       std::chrono::hours(48));
  ASSERT_EQ(files_.CreateFolder("C:\\dst"), kSuccess);
  ASSERT_EQ(files_.CopyFileTo("C:\\src\\a.txt", "C:\\dst\\b.txt", false), kSuccess);
  EXPECT_EQ(Read("C:\\dst\\b.txt"), "payload");
  EXPECT_EQ(AttributesOf("C:\\dst\\b.txt"), attr::kReadOnly | attr::kArchive);
  std::vector<DirEntry> src, dst;
  files_.ListFolder("C:\\src", src);
  files_.ListFolder("C:\\dst", dst);
  EXPECT_EQ(src[0].lastWrite, dst[0].lastWrite);

  ASSERT_EQ(files_.MoveFileTo("C:\\src", "C:\\moved"), kSuccess);
  EXPECT_FALSE(files_.FolderExists("C:\\src"));
  EXPECT_EQ(AttributesOf("C:\\moved\\a.txt"), attr::kReadOnly | attr::kArchive);
  EXPECT_EQ(Read("C:\\moved\\a.txt"), "payload");
  // A read-only file may be moved (renamed) but not deleted.
  EXPECT_EQ(files_.MoveFileTo("C:\\moved\\a.txt", "C:\\a.txt"), kSuccess);
  EXPECT_EQ(files_.RemoveFile("C:\\a.txt"), kErrorAccessDenied);
}

TEST_F(SimFileSystemTest, KeepsAttributesForTheNextInstance) {
  Write("C:\\keep\\a.txt", "a");
  Write("C:\\keep\\gone.txt", "g");
  Write("C:\\keep\\deleted.txt", "d");
  ASSERT_EQ(files_.SetAttributes("C:\\keep\\a.txt", attr::kHidden | attr::kReadOnly), kSuccess);
  ASSERT_EQ(files_.SetAttributes("C:\\keep\\gone.txt", attr::kSystem), kSuccess);
  ASSERT_EQ(files_.SetAttributes("C:\\keep\\deleted.txt", attr::kHidden), kSuccess);
  ASSERT_EQ(files_.AddDrive('E', DriveType::Removable), kSuccess);
  // Deleted and re-created through the file system: a new file.
  ASSERT_EQ(files_.SetAttributes("C:\\keep\\deleted.txt", attr::kNormal), kSuccess);
  ASSERT_EQ(files_.RemoveFile("C:\\keep\\deleted.txt"), kSuccess);
  Write("C:\\keep\\deleted.txt", "again");
  // Removed behind the simulation's back: its record goes.
  std::filesystem::remove(files_.HostPath("C:\\keep\\gone.txt"));

  SimFileSystem again(root_.Path(), nullptr);
  uint32_t a = 0;
  ASSERT_EQ(again.Attributes("C:\\keep\\a.txt", a), kSuccess);
  EXPECT_EQ(a, attr::kHidden | attr::kReadOnly);
  ASSERT_EQ(again.Attributes("C:\\keep\\deleted.txt", a), kSuccess);
  EXPECT_EQ(a, attr::kArchive);
  EXPECT_EQ(again.DriveTypeOf('e'), DriveType::Removable);
  root_.PutHostFile("C/keep/gone.txt", "new");
  ASSERT_EQ(again.Attributes("C:\\keep\\gone.txt", a), kSuccess);
  EXPECT_EQ(a, attr::kArchive);
}

TEST_F(SimFileSystemTest, StreamsLargeFiles) {
  Write("C:\\big.bin", "");
  // A sparse host file larger than 4 GiB.
  const uint64_t size = (uint64_t(5) << 30) + 7;
  std::filesystem::resize_file(files_.HostPath("C:\\big.bin"), size);
  ASSERT_EQ(files_.AppendToFile("C:\\big.bin", "END"), kSuccess);
  uint64_t got = 0;
  ASSERT_EQ(files_.FileSize("C:\\big.bin", got), kSuccess);
  EXPECT_EQ(got, size + 3);
  std::string tail;
  ASSERT_EQ(files_.ReadRange("C:\\big.bin", size + 1, 10, tail), kSuccess);
  EXPECT_EQ(tail, "ND");
  ErrorCode e;
  auto reader = files_.OpenRead("C:\\big.bin", e);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Size(), size + 3);
  char buffer[8];
  size_t n = 0;
  ASSERT_EQ(reader->Seek(size + 3), kSuccess);
  ASSERT_EQ(reader->Read(buffer, sizeof buffer, n), kSuccess);
  EXPECT_EQ(n, 0u);

  auto writer = files_.OpenWrite("C:\\out.bin", e);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->Write("abc", 3), kSuccess);
  EXPECT_EQ(writer->Write("def", 3), kSuccess);
  EXPECT_EQ(writer->Close(), kSuccess);
  EXPECT_EQ(writer->Write("x", 1), kErrorInvalidHandle);
  EXPECT_EQ(writer->Close(), kSuccess);
  EXPECT_EQ(Read("C:\\out.bin"), "abcdef");
  ASSERT_EQ(files_.AppendToFile("C:\\new\\..\\appended.txt", "one"), kSuccess);
  ASSERT_EQ(files_.AppendToFile("C:\\appended.txt", "two"), kSuccess);
  EXPECT_EQ(Read("C:\\appended.txt"), "onetwo");
}

TEST_F(SimFileSystemTest, ResolvesRelativePathsAgainstTheCurrentFolder) {
  ASSERT_EQ(files_.CreateFolderTree("C:\\Work\\Sub"), kSuccess);
  EXPECT_EQ(files_.SetCurrentFolder("C:\\nowhere"), kErrorFileNotFound);
  Write("C:\\Work\\file.txt", "f");
  EXPECT_EQ(files_.SetCurrentFolder("C:\\Work\\file.txt"), kErrorDirectory);
  ASSERT_EQ(files_.SetCurrentFolder("c:\\work\\sub\\"), kSuccess);
  EXPECT_EQ(files_.CurrentFolder(), "c:\\work\\sub");
  EXPECT_EQ(files_.FullPath("..\\file.txt"), "c:\\work\\file.txt");
  EXPECT_EQ(Read("..\\file.txt"), "f");
  Write("here.txt", "h");
  EXPECT_TRUE(files_.FileExists("C:\\Work\\Sub\\here.txt"));
  ASSERT_EQ(files_.RemoveFile("here.txt"), kSuccess);
  // The process holds its current folder open.
  EXPECT_EQ(files_.RemoveFolder("C:\\Work\\Sub"), kErrorSharingViolation);
  EXPECT_EQ(files_.MoveFileTo("C:\\Work", "C:\\Elsewhere"), kErrorAccessDenied);
  ASSERT_EQ(files_.SetCurrentFolder("C:\\"), kSuccess);
  EXPECT_EQ(files_.RemoveFolder("C:\\Work\\Sub"), kSuccess);
}

TEST_F(SimFileSystemTest, KnowsDrivesAndShares) {
  ASSERT_EQ(files_.AddDrive('D', DriveType::CdRom), kSuccess);
  root_.PutHostFile("D/setup/data.cab", "cab");
  EXPECT_EQ(Read("d:\\SETUP\\data.cab"), "cab");
  ErrorCode e;
  EXPECT_FALSE(files_.OpenWrite("D:\\new.txt", e));
  EXPECT_EQ(e, kErrorAccessDenied);
  EXPECT_EQ(files_.CreateFolder("D:\\new"), kErrorAccessDenied);
  EXPECT_EQ(files_.RemoveFile("D:\\setup\\data.cab"), kErrorAccessDenied);
  // The medium taken out.
  files_.SetMediumPresent('D', false);
  EXPECT_FALSE(files_.FileExists("D:\\setup\\data.cab"));
  EXPECT_FALSE(files_.OpenRead("D:\\setup\\data.cab", e));
  EXPECT_EQ(e, kErrorNotReady);
  files_.SetMediumPresent('D', true);
  EXPECT_TRUE(files_.FileExists("D:\\setup\\data.cab"));

  // Between drives a file is copied and deleted; a folder cannot move.
  ASSERT_EQ(files_.AddDrive('E'), kSuccess);
  Write("C:\\tree\\a.txt", "a");
  EXPECT_EQ(files_.MoveFileTo("C:\\tree\\a.txt", "E:\\a.txt"), kSuccess);
  EXPECT_FALSE(files_.FileExists("C:\\tree\\a.txt"));
  EXPECT_EQ(Read("E:\\a.txt"), "a");
  EXPECT_EQ(files_.MoveFileTo("C:\\tree", "E:\\tree"), kErrorNotSameDevice);

  std::filesystem::create_directories(root_.Path() + "/UNC/fileserver/Setups");
  Write("\\\\FileServer\\setups\\product\\x.txt", "unc");
  EXPECT_TRUE(root_.HostExists("UNC/fileserver/Setups/product/x.txt"));
  EXPECT_FALSE(files_.OpenRead("\\\\fileserver\\other\\x.txt", e));
  EXPECT_EQ(e, kErrorBadNetPath);
  EXPECT_EQ(files_.CreateFolderTree("\\\\nohost\\share\\dir"), kErrorBadNetPath);
  EXPECT_FALSE(files_.FolderExists("C:\\nohost"));
}

class RedirectionTest : public SimFileSystemTest {
 protected:
  void SetUp() override {
    FileSystemRules rules;
    rules.wow64 = true;
    files_.SetRules(rules);
    files_.SetRedirection(false);
    for (const char* f : {"C:\\Windows\\System32\\drivers\\etc", "C:\\Windows\\System32\\spool",
                          "C:\\Windows\\System32\\DriverStore", "C:\\Windows\\SysWOW64"})
      ASSERT_EQ(files_.CreateFolderTree(f), kSuccess);
    files_.SetRedirection(true);
  }
};

TEST_F(RedirectionTest, ShowsSysWow64ForSystem32) {
  struct Case {
    const char* path;
    const char* host;
  } cases[] = {
      {"C:\\Windows\\System32\\zel.dll", "C/Windows/SysWOW64/zel.dll"},
      {"c:\\windows\\system32", "C/Windows/SysWOW64"},
      {"C:\\Windows\\System32\\drivers\\etc\\hosts", "C/Windows/System32/drivers/etc/hosts"},
      {"C:\\Windows\\System32\\spool\\x", "C/Windows/System32/spool/x"},
      {"C:\\Windows\\System32\\DriverStore\\x", "C/Windows/System32/DriverStore/x"},
      {"C:\\Windows\\Sysnative\\zel.dll", "C/Windows/System32/zel.dll"},
      {"C:\\Windows\\System32x\\a", "C/Windows/System32x/a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Relative(c.path), c.host) << c.path;

  Write("C:\\Windows\\System32\\zel.dll", "32-bit");
  EXPECT_TRUE(files_.FileExists("C:\\Windows\\SysWOW64\\zel.dll"));
  // Turned off for this thread only, and back.
  EXPECT_TRUE(files_.SetRedirection(false));
  EXPECT_FALSE(files_.FileExists("C:\\Windows\\System32\\zel.dll"));
  EXPECT_EQ(Relative("C:\\Windows\\Sysnative\\zel.dll"), "C/Windows/Sysnative/zel.dll");
  bool otherThread = false;
  std::thread([&] { otherThread = files_.FileExists("C:\\Windows\\System32\\zel.dll"); }).join();
  EXPECT_TRUE(otherThread);
  EXPECT_FALSE(files_.SetRedirection(true));
  EXPECT_TRUE(files_.FileExists("C:\\Windows\\System32\\zel.dll"));

  // Earlier systems redirect DriverStore too.
  FileSystemRules vista = files_.Rules();
  vista.redirectDriverStore = true;
  files_.SetRules(vista);
  EXPECT_EQ(Relative("C:\\Windows\\System32\\DriverStore\\x"), "C/Windows/SysWOW64/DriverStore/x");
  // A 64-bit process, or a 32-bit system, sees the folder itself.
  files_.SetRules(FileSystemRules{});
  EXPECT_EQ(Relative("C:\\Windows\\System32\\zel.dll"), "C/Windows/System32/zel.dll");
}

// The token-based switch the system command scope uses: nested scopes put back the
// state they found, and a system without WOW64 refuses.
TEST_F(RedirectionTest, DisablesAndRevertsThroughTokens) {
  Write("C:\\Windows\\SysWOW64\\only32.dll", "32");
  uintptr_t outer = 99, inner = 99;
  ASSERT_TRUE(files_.DisableRedirection(outer));
  EXPECT_FALSE(files_.FileExists("C:\\Windows\\System32\\only32.dll"));
  ASSERT_TRUE(files_.DisableRedirection(inner));
  EXPECT_NE(outer, inner);
  files_.RevertRedirection(inner);
  EXPECT_FALSE(files_.RedirectionEnabled());
  files_.RevertRedirection(outer);
  EXPECT_TRUE(files_.RedirectionEnabled());
  EXPECT_TRUE(files_.FileExists("C:\\Windows\\System32\\only32.dll"));

  files_.SetRules(FileSystemRules{});
  uintptr_t token = 99;
  EXPECT_FALSE(files_.DisableRedirection(token));
  EXPECT_EQ(token, 99u);
  EXPECT_TRUE(files_.RedirectionEnabled());
}

TEST_F(SimFileSystemTest, GivesShortPathsAndStoredNames) {
  Write("C:\\Program Files\\Setup Data.backup", "a");
  Write("C:\\Program Files\\Setup Data Two.backup", "b");
  Write("C:\\Program Files\\SETUPD~1.BAC", "an entry that already holds the first short name");
  Write("C:\\Program Files (x86)\\Tools\\readme.txt", "c");
  ASSERT_EQ(files_.CreateFolder("C:\\Progress Reports"), kSuccess);
  struct Case {
    const char* path;
    const char* shortPath;  // empty: none
  } cases[] = {
      {"C:\\Program Files", "C:\\PROGRA~1"},
      {"c:\\program files (x86)\\TOOLS\\README.txt", "c:\\PROGRA~2\\TOOLS\\README.txt"},
      {"C:\\Progress Reports\\", "C:\\PROGRE~1\\"},
      // Numbered in the folder's order (a blank sorts before a period), past a taken one.
      {"C:\\Program Files\\Setup Data Two.backup", "C:\\PROGRA~1\\SETUPD~2.BAC"},
      {"C:\\Program Files\\Setup Data.backup", "C:\\PROGRA~1\\SETUPD~3.BAC"},
      {"C:\\Program Files\\..\\Program Files\\setupd~1.bac", "C:\\PROGRA~1\\setupd~1.bac"},
      {"C:\\", "C:\\"},
      {"C:\\Program Files\\missing.txt", ""},
      {"C:\\No Such Folder\\x", ""},
      {"Q:\\x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(files_.ShortPathName(c.path), c.shortPath) << c.path;

  struct Stored {
    const char* path;
    const char* name;  // null: none
  } stored[] = {
      {"c:\\PROGRAM FILES", "Program Files"},
      {"C:\\program files (X86)\\tools\\README.TXT", "readme.txt"},
      {"C:\\Program Files\\", nullptr},
      {"C:\\", nullptr},
      {"C:\\Program Files\\Setup*", nullptr},
      {"C:\\Program Files\\Setup Data.backu?", nullptr},
      {"C:\\Program Files\\missing.txt", nullptr},
  };
  for (const auto& c : stored) {
    std::string name = "stale";
    EXPECT_EQ(files_.StoredName(c.path, name), c.name != nullptr) << c.path;
    EXPECT_EQ(name, c.name ? c.name : "") << c.path;
  }
  // Both look the entry up, so a planned fault on queries stops them.
  faults_.Add(FaultRule::On(FaultOp::Query, "C:\\Program Files", kErrorAccessDenied));
  EXPECT_EQ(files_.ShortPathName("C:\\Program Files"), "");
  std::string name;
  EXPECT_FALSE(files_.StoredName("C:\\Program Files", name));
}

TEST_F(RedirectionTest, ShortPathsAndStoredNamesFollowRedirection) {
  files_.SetRedirection(false);
  Write("C:\\Windows\\System32\\Native Library.dll", "64");
  files_.SetRedirection(true);
  Write("C:\\Windows\\System32\\Wow Library.dll", "32");
  std::string name;
  EXPECT_TRUE(files_.StoredName("C:\\Windows\\system32\\wow library.dll", name));
  EXPECT_EQ(name, "Wow Library.dll");
  EXPECT_FALSE(files_.StoredName("C:\\Windows\\System32\\Native Library.dll", name));
  EXPECT_EQ(files_.ShortPathName("C:\\Windows\\System32\\Wow Library.dll"), "C:\\Windows\\System32\\WOWLIB~1.DLL");
  uintptr_t token = 0;
  ASSERT_TRUE(files_.DisableRedirection(token));
  EXPECT_EQ(files_.ShortPathName("C:\\Windows\\System32\\Native Library.dll"),
            "C:\\Windows\\System32\\NATIVE~1.DLL");
  files_.RevertRedirection(token);
}

TEST_F(SimFileSystemTest, ProtectedFoldersNeedRights) {
  Write("C:\\Program Files\\App\\app.exe", "exe");
  FileSystemRules rules;
  rules.privileged = false;
  rules.protectedFolders = {"C:\\Program Files"};
  files_.SetRules(rules);
  ErrorCode e;
  EXPECT_FALSE(files_.OpenWrite("C:\\Program Files\\App\\new.dll", e));
  EXPECT_EQ(e, kErrorAccessDenied);
  EXPECT_EQ(files_.CreateFolder("c:\\program files\\Other"), kErrorAccessDenied);
  EXPECT_EQ(files_.RemoveFile("C:\\Program Files\\App\\app.exe"), kErrorAccessDenied);
  EXPECT_EQ(files_.SetAttributes("C:\\Program Files\\App\\app.exe", attr::kHidden), kErrorAccessDenied);
  EXPECT_EQ(files_.MoveFileTo("C:\\Program Files\\App\\app.exe", "C:\\app.exe"), kErrorAccessDenied);
  EXPECT_EQ(files_.CopyFileTo("C:\\Program Files\\App\\app.exe", "C:\\Program Files\\copy.exe", false),
            kErrorAccessDenied);
  // Reading, and copying out, are anyone's.
  EXPECT_EQ(Read("C:\\Program Files\\App\\app.exe"), "exe");
  EXPECT_EQ(files_.CopyFileTo("C:\\Program Files\\App\\app.exe", "C:\\copy.exe", false), kSuccess);
  // A missing file is missing for everyone.
  EXPECT_EQ(files_.RemoveFile("C:\\Program Files\\App\\none.dll"), kErrorFileNotFound);
}

TEST_F(SimFileSystemTest, FailsWhereTheFaultPlanSays) {
  Write("C:\\f\\a.txt", "0123456789abcdefghijklmno");
  Write("C:\\f\\b.txt", "b");
  ASSERT_EQ(files_.CreateFolder("C:\\f\\sub"), kSuccess);
  ErrorCode e;
  auto openRead = [&](const char* path) {
    auto r = files_.OpenRead(path, e);
    return r ? kSuccess : e;
  };
  auto readOnce = [&](const char* path) {
    auto r = files_.OpenRead(path, e);
    if (!r) return e;
    char buffer[4];
    size_t n;
    return r->Read(buffer, sizeof buffer, n);
  };
  auto writeOnce = [&](const char* path) {
    auto w = files_.OpenWrite(path, e);
    if (!w) return e;
    return w->Write("x", 1);
  };
  uint32_t a;
  struct Case {
    const char* what;
    FaultRule rule;
    std::function<ErrorCode()> call;
  } cases[] = {
      {"open for reading", FaultRule::On(FaultOp::OpenRead, "*\\A.TXT", kErrorSharingViolation),
       [&] { return openRead("C:\\f\\a.txt"); }},
      {"read", FaultRule::On(FaultOp::Read, "C:\\f\\*", kErrorReadFault), [&] { return readOnce("C:\\f\\a.txt"); }},
      {"open for writing", FaultRule::On(FaultOp::OpenWrite, "C:\\f\\new.txt", kErrorAccessDenied),
       [&] { return writeOnce("C:\\f\\new.txt"); }},
      {"append", FaultRule::On(FaultOp::OpenWrite, "C:\\f\\b.txt", kErrorLockViolation),
       [&] { return files_.AppendToFile("C:\\f\\b.txt", "more"); }},
      {"write", FaultRule::On(FaultOp::Write, "C:\\f\\*", kErrorWriteFault), [&] { return writeOnce("C:\\f\\w.txt"); }},
      {"create a folder", FaultRule::On(FaultOp::CreateFolder, "C:\\f\\*", kErrorAccessDenied),
       [&] { return files_.CreateFolder("C:\\f\\new"); }},
      {"remove a file", FaultRule::On(FaultOp::RemoveFile, "C:\\f\\b.txt", kErrorSharingViolation),
       [&] { return files_.RemoveFile("C:\\f\\b.txt"); }},
      {"remove a folder", FaultRule::On(FaultOp::RemoveFolder, "C:\\f\\sub", kErrorAccessDenied),
       [&] { return files_.RemoveFolder("C:\\f\\sub"); }},
      {"copy, by its source", FaultRule::On(FaultOp::Copy, "C:\\f\\a.txt", kErrorAccessDenied),
       [&] { return files_.CopyFileTo("C:\\f\\a.txt", "C:\\elsewhere.txt", true); }},
      {"copy, by its target", FaultRule::On(FaultOp::Copy, "C:\\target.txt", kErrorDiskFull),
       [&] { return files_.CopyFileTo("C:\\f\\a.txt", "C:\\target.txt", true); }},
      {"copy, by the open of its target", FaultRule::On(FaultOp::OpenWrite, "C:\\target.txt", kErrorSharingViolation),
       [&] { return files_.CopyFileTo("C:\\f\\a.txt", "C:\\target.txt", true); }},
      {"move", FaultRule::On(FaultOp::Move, "C:\\moved.txt", kErrorAccessDenied),
       [&] { return files_.MoveFileTo("C:\\f\\b.txt", "C:\\moved.txt"); }},
      {"set attributes", FaultRule::On(FaultOp::SetAttributes, "C:\\f\\a.txt", kErrorAccessDenied),
       [&] { return files_.SetAttributes("C:\\f\\a.txt", attr::kHidden); }},
      {"query", FaultRule::On(FaultOp::Query, "C:\\f\\a.txt", kErrorAccessDenied),
       [&] { return files_.Attributes("C:\\f\\a.txt", a); }},
  };
  for (auto& c : cases) {
    int id = faults_.Add(c.rule);
    EXPECT_EQ(c.call(), c.rule.error) << c.what;
    EXPECT_EQ(faults_.Fired(id), 1) << c.what;
    faults_.Clear();
  }
  EXPECT_EQ(Read("C:\\f\\b.txt"), "b");
  EXPECT_FALSE(files_.FileExists("C:\\target.txt"));
  EXPECT_FALSE(files_.FolderExists("C:\\f\\new"));

  faults_.Add(FaultRule::On(FaultOp::Query, "C:\\f\\*", kErrorAccessDenied));
  EXPECT_FALSE(files_.FileExists("C:\\f\\a.txt"));
  faults_.Clear();
}

TEST_F(SimFileSystemTest, LockedFilesAccessDeniedAndFullDisks) {
  Write("C:\\f\\locked.dll", "lib");
  Write("C:\\f\\data.bin", std::string(25, 'd'));
  ErrorCode e;
  int locked = faults_.Add(FaultRule::LockedFile("*\\locked.dll").Times(5));
  EXPECT_FALSE(files_.OpenRead("C:\\f\\locked.dll", e));
  EXPECT_EQ(e, kErrorSharingViolation);
  EXPECT_EQ(files_.WriteWholeFile("C:\\f\\locked.dll", "new"), kErrorSharingViolation);
  EXPECT_EQ(files_.RemoveFile("C:\\f\\locked.dll"), kErrorSharingViolation);
  EXPECT_EQ(files_.CopyFileTo("C:\\f\\locked.dll", "C:\\copy.dll", false), kErrorSharingViolation);
  EXPECT_EQ(files_.MoveFileTo("C:\\f\\locked.dll", "C:\\moved.dll"), kErrorSharingViolation);
  // Retried after the other program let go.
  EXPECT_EQ(faults_.Fired(locked), 5);
  EXPECT_EQ(files_.RemoveFile("C:\\f\\locked.dll"), kSuccess);

  faults_.Add(FaultRule::AccessDenied("C:\\f\\*"));
  EXPECT_EQ(Read("C:\\f\\data.bin"), std::string(25, 'd'));
  EXPECT_EQ(files_.CopyFileTo("C:\\f\\data.bin", "C:\\out.bin", false), kSuccess);
  EXPECT_EQ(files_.CopyFileTo("C:\\out.bin", "C:\\f\\in.bin", false), kErrorAccessDenied);
  EXPECT_EQ(files_.RemoveFile("C:\\f\\data.bin"), kErrorAccessDenied);
  faults_.Clear();

  // The disk holding D: has 10 bytes left.
  ASSERT_EQ(files_.AddDrive('D'), kSuccess);
  faults_.Add(FaultRule::DiskFull("D:\\*", 10));
  EXPECT_EQ(files_.AppendToFile("D:\\log.txt", "short"), kSuccess);
  EXPECT_EQ(files_.WriteWholeFile("D:\\w.bin", std::string(25, 'w')), kErrorDiskFull);
  uint64_t size = 0;
  ASSERT_EQ(files_.FileSize("D:\\w.bin", size), kSuccess);
  EXPECT_EQ(size, 5u);
  // A failed copy leaves no target behind.
  EXPECT_EQ(files_.CopyFileTo("C:\\f\\data.bin", "D:\\copy.bin", false), kErrorDiskFull);
  EXPECT_FALSE(files_.FileExists("D:\\copy.bin"));
  EXPECT_EQ(files_.AppendToFile("D:\\log.txt", "more"), kErrorDiskFull);
  EXPECT_EQ(Read("D:\\log.txt"), "short");
  EXPECT_EQ(files_.WriteWholeFile("C:\\elsewhere.bin", std::string(25, 'c')), kSuccess);
  faults_.Clear();
  EXPECT_EQ(files_.CopyFileTo("C:\\f\\data.bin", "D:\\copy.bin", false), kSuccess);
}

TEST_F(RedirectionTest, FaultRulesSeeBothPathsOfARedirectedCall) {
  faults_.Add(FaultRule::On(FaultOp::OpenWrite, "C:\\Windows\\SysWOW64\\*", kErrorAccessDenied));
  EXPECT_EQ(files_.WriteWholeFile("C:\\Windows\\System32\\x.dll", "x"), kErrorAccessDenied);
  faults_.Clear();
  faults_.Add(FaultRule::On(FaultOp::OpenWrite, "C:\\Windows\\System32\\*", kErrorAccessDenied));
  EXPECT_EQ(files_.WriteWholeFile("C:\\Windows\\System32\\x.dll", "x"), kErrorAccessDenied);
}

}  // namespace
}  // namespace qv::platform::sim

namespace qv::platform::sim {
namespace {

class FolderSearchTest : public SimFileSystemTest {
 protected:
  FolderSearchTest() {
    for (const char* name : {"README", "a.txt", "b.TXT", "c.txt.bak", "longname.txtx", "ab", "abc", "x.y.z"})
      Write(std::string("C:\\s\\") + name, "x");
    files_.CreateFolder("C:\\s\\Sub");
  }
  std::string Found(const std::string& pattern) {
    std::vector<DirEntry> entries;
    files_.FindFiles(pattern, entries);
    std::string names;
    for (const auto& e : entries) names += (names.empty() ? "" : " ") + e.name;
    return names;
  }
};

TEST_F(FolderSearchTest, MasksMatchAsAFolderSearchMatchesThem) {
  struct Case {
    const char* mask;
    const char* found;
  } cases[] = {
      {"*.*", "a.txt ab abc b.TXT c.txt.bak longname.txtx README Sub x.y.z"},
      {"*", "a.txt ab abc b.TXT c.txt.bak longname.txtx README Sub x.y.z"},
      {"*.", "ab abc README Sub"},
      // The short name LONGNA~1.TXT matches too, as on a volume with 8.3 names.
      {"*.txt", "a.txt b.TXT longname.txtx"},
      {"*.tx?", "a.txt b.TXT longname.txtx"},
      {"ab?", "ab abc"},
      {"a?", "ab"},
      {"x.*", "x.y.z"},
      {"readme", "README"},
      {"*.bak", "c.txt.bak"},
      {"?.*", "a.txt b.TXT c.txt.bak x.y.z"},
      {"*~1*", "c.txt.bak longname.txtx x.y.z"},
      {"nothing*", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Found("C:\\s\\" + std::string(c.mask)), c.found) << c.mask;
}

TEST_F(FolderSearchTest, ErrorsOfAFolderSearch) {
  struct Case {
    const char* pattern;
    ErrorCode error;
  } cases[] = {
      {"C:\\s\\*.none", kErrorFileNotFound}, {"C:\\missing\\*.*", kErrorPathNotFound},
      {"C:\\s\\a.txt\\*", kErrorDirectory},  {"C:\\s\\", kErrorFileNotFound},
      {"C:\\s\\a|b", kErrorInvalidName},     {"", kErrorPathNotFound},
      {"Q:\\*.*", kErrorPathNotFound},       {"C:\\s\\*.txt", kSuccess},
  };
  for (const auto& c : cases) {
    std::vector<DirEntry> entries;
    EXPECT_EQ(files_.FindFiles(c.pattern, entries), c.error) << c.pattern;
  }
  // Relative to the current folder.
  ASSERT_EQ(files_.SetCurrentFolder("C:\\s"), kSuccess);
  EXPECT_EQ(Found("ab*"), "ab abc");
}

TEST_F(FolderSearchTest, AHostSymbolicLinkIsAJunction) {
  Write("C:\\elsewhere\\x.txt", "x");
  std::filesystem::create_directory_symlink(files_.HostPath("C:\\elsewhere"), files_.HostPath("C:\\s") + "/link");
  std::vector<DirEntry> entries;
  ASSERT_EQ(files_.FindFiles("C:\\s\\link", entries), kSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].attributes & (attr::kDirectory | attr::kReparsePoint), attr::kDirectory | attr::kReparsePoint);
  // Removing a tree removes the link, not what it points to.
  EXPECT_EQ(files_.DeleteTree("C:\\s", true), kSuccess);
  EXPECT_FALSE(files_.FolderExists("C:\\s"));
  EXPECT_TRUE(files_.FileExists("C:\\elsewhere\\x.txt"));
}

TEST_F(SimFileSystemTest, DiskSpaceIsTheCapacityLessWhatTheFilesTake) {
  Write("C:\\data\\one.bin", std::string(4000, 'x'));
  ASSERT_EQ(files_.SetCapacity("C:\\data", 1'000'000), kSuccess);
  uint64_t free = 0, total = 0;
  ASSERT_EQ(files_.DiskSpace("C:\\data\\", free, total), kSuccess);
  EXPECT_EQ(total, 1'000'000u);
  const uint64_t before = free;
  Write("C:\\data\\two.bin", std::string(6000, 'x'));
  ASSERT_EQ(files_.DiskSpace("C:\\", free, total), kSuccess);
  EXPECT_EQ(before - free, 6000u);
  ASSERT_EQ(files_.SetCapacity("C:\\", 100), kSuccess);
  ASSERT_EQ(files_.DiskSpace("C:\\", free, total), kSuccess);
  EXPECT_EQ(free, 0u);

  ASSERT_EQ(files_.AddDrive('E', DriveType::CdRom), kSuccess);
  ASSERT_EQ(files_.DiskSpace("E:\\", free, total), kSuccess);
  EXPECT_EQ(free, 0u);
  files_.SetMediumPresent('E', false);
  EXPECT_EQ(files_.DiskSpace("E:\\", free, total), kErrorNotReady);
  EXPECT_EQ(files_.DiskSpace("C:\\data\\one.bin", free, total), kErrorDirectory);
  EXPECT_EQ(files_.DiskSpace("C:\\none\\", free, total), kErrorFileNotFound);
  EXPECT_EQ(files_.DiskSpace("", free, total), kErrorPathNotFound);
}

}  // namespace
}  // namespace qv::platform::sim
