#include "media/seven_zip_wrap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "common/text.h"
#include "platform/in_process_archive.h"
#include "platform/sim/fault_plan.h"
#include "platform/sim/sim_file_system.h"
#include "zel/zel_test_support.h"

namespace qv::media {
namespace {

namespace fs = std::filesystem;
using platform::ErrorCode;

// A small Windows-style file system over a host folder for these tests: "C:\a\b" is
// <root>/C/a/b; attribute bits are kept in memory, and read-only files refuse to be
// written or removed, as on Windows.
class TestFileSystem final : public platform::FileSystem {
 public:
  explicit TestFileSystem(std::string root) : root_(std::move(root)) {}

  std::string Host(const std::string& path) const {
    std::string p = path;
    p.erase(std::remove(p.begin(), p.end(), ':'), p.end());
    std::replace(p.begin(), p.end(), '\\', '/');
    return root_ + "/" + p;
  }
  bool FileExists(const std::string& path) override { return fs::is_regular_file(Host(path)); }
  bool FolderExists(const std::string& path) override { return fs::is_directory(Host(path)); }
  ErrorCode CreateFolder(const std::string& path) override {
    std::error_code ec;
    if (fs::exists(Host(path))) return platform::kErrorAlreadyExists;
    if (!fs::is_directory(fs::path(Host(path)).parent_path())) return platform::kErrorPathNotFound;
    return fs::create_directory(Host(path), ec) ? platform::kSuccess : platform::kErrorAccessDenied;
  }
  ErrorCode RemoveFolder(const std::string& path) override {
    std::error_code ec;
    return fs::remove(Host(path), ec) ? platform::kSuccess : platform::kErrorDirNotEmpty;
  }
  ErrorCode RemoveFile(const std::string& path) override {
    if (!FileExists(path)) return platform::kErrorFileNotFound;
    if (Attr(path) & platform::attr::kReadOnly) return platform::kErrorAccessDenied;
    fs::remove(Host(path));
    attributes_.erase(Key(path));
    return platform::kSuccess;
  }
  ErrorCode CopyFileTo(const std::string&, const std::string&, bool) override { return platform::kErrorNotSupported; }
  ErrorCode MoveFileTo(const std::string&, const std::string&) override { return platform::kErrorNotSupported; }
  ErrorCode Attributes(const std::string& path, uint32_t& attributes) override {
    if (FolderExists(path)) return attributes = platform::attr::kDirectory, platform::kSuccess;
    if (!FileExists(path)) return attributes = platform::attr::kInvalid, platform::kErrorFileNotFound;
    attributes = Attr(path) ? Attr(path) : platform::attr::kNormal;
    return platform::kSuccess;
  }
  ErrorCode SetAttributes(const std::string& path, uint32_t attributes) override {
    if (!FileExists(path) && !FolderExists(path)) return platform::kErrorFileNotFound;
    attributes_[Key(path)] = attributes == platform::attr::kNormal ? 0 : attributes;
    return platform::kSuccess;
  }
  ErrorCode FileSize(const std::string& path, uint64_t& size) override {
    std::error_code ec;
    size = fs::file_size(Host(path), ec);
    return ec ? platform::kErrorFileNotFound : platform::kSuccess;
  }
  ErrorCode ListFolder(const std::string&, std::vector<platform::DirEntry>&) override {
    return platform::kErrorNotSupported;
  }
  std::unique_ptr<platform::FileReader> OpenRead(const std::string& path, ErrorCode& error) override {
    if (!FileExists(path)) {
      error = fs::is_directory(fs::path(Host(path)).parent_path()) ? platform::kErrorFileNotFound
                                                                   : platform::kErrorPathNotFound;
      return nullptr;
    }
    return std::make_unique<Reader>(Host(path));
  }
  std::unique_ptr<platform::FileWriter> OpenWrite(const std::string& path, ErrorCode& error) override {
    if (FileExists(path) && (Attr(path) & platform::attr::kReadOnly)) return error = platform::kErrorAccessDenied, nullptr;
    if (!fs::is_directory(fs::path(Host(path)).parent_path())) return error = platform::kErrorPathNotFound, nullptr;
    return std::make_unique<Writer>(Host(path));
  }
  ErrorCode AppendToFile(const std::string&, std::string_view) override { return platform::kErrorNotSupported; }
  std::string FullPath(const std::string& path) override { return path; }

 private:
  std::string Key(const std::string& path) const { return text::LowerCase(path); }
  uint32_t Attr(const std::string& path) const {
    auto it = attributes_.find(Key(path));
    return it == attributes_.end() ? 0 : it->second;
  }
  class Reader final : public platform::FileReader {
   public:
    explicit Reader(const std::string& path) : in_(path, std::ios::binary), size_(fs::file_size(path)) {}
    ErrorCode Read(void* buffer, size_t count, size_t& got) override {
      in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
      got = static_cast<size_t>(in_.gcount());
      in_.clear();
      return platform::kSuccess;
    }
    ErrorCode Seek(uint64_t position) override {
      in_.seekg(static_cast<std::streamoff>(position));
      return platform::kSuccess;
    }
    uint64_t Size() override { return size_; }

   private:
    std::ifstream in_;
    uint64_t size_;
  };
  class Writer final : public platform::FileWriter {
   public:
    explicit Writer(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {}
    ErrorCode Write(const void* data, size_t count) override {
      out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(count));
      return out_ ? platform::kSuccess : platform::kErrorWriteFault;
    }
    ErrorCode Close() override {
      out_.close();
      return platform::kSuccess;
    }

   private:
    std::ofstream out_;
  };

  std::string root_;
  std::map<std::string, uint32_t> attributes_;
};

class SevenZipWrapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(tmp_ / "C/media");
    Put("C:\\media\\support.zip",
        zel::test::MakeZip({{"quorvane.png", "png"}, {"dialogs/", ""}, {"dialogs/Welcome.dfm", zel::test::TextBytes(300000)}}));
    Put("C:\\media\\broken.zip", "no archive in here");
  }
  void Put(const std::string& path, const std::string& bytes) { zel::test::WriteFile(files_.Host(path), bytes); }
  std::string Get(const std::string& path) { return zel::test::ReadFile(files_.Host(path)); }

  zel::test::TempFolder tmp_;
  TestFileSystem files_{tmp_.Path()};
  std::unique_ptr<platform::ArchiveComponent> component_ = platform::MakeInProcessArchiveComponent(files_);
  std::string error_, detail_;
};

TEST_F(SevenZipWrapTest, ListsNames) {
  std::vector<std::string> names{"stale"};
  ASSERT_TRUE(ListArchive(*component_, "C:\\media\\support.zip", "", error_, names)) << error_;
  EXPECT_EQ(names, (std::vector<std::string>{"quorvane.png", "dialogs", "dialogs\\Welcome.dfm"}));
}

TEST_F(SevenZipWrapTest, ListErrorsHaveTheirTexts) {
  struct Case {
    const char* archive;
    const char* error;
  };
  const Case cases[] = {
      {"C:\\media\\missing.zip", "The archive file was not found"},
      {"C:\\nowhere\\missing.zip", "The archive file was not found"},
      {"C:\\media\\*.zip", "Illegal path used in a wildcard expression"},
      {"C:\\media\\broken.zip", "The archive cannot be opened: unsupported archive or incorrect password"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> names;
    EXPECT_FALSE(ListArchive(*component_, c.archive, "", error_, names, &detail_));
    EXPECT_EQ(error_, c.error) << c.archive;
    EXPECT_NE(detail_.find(c.archive), std::string::npos) << "the component's text names the archive: " << detail_;
    // Extraction without names lists first, and the list error ends it.
    EXPECT_FALSE(ExtractArchive(*component_, c.archive, "", "C:\\out", {}, std::nullopt, error_, false, false));
    EXPECT_EQ(error_, c.error);
  }
  EXPECT_EQ(ListErrorText(ZEL_ERROR_GENERAL), "General failure opening archive");
  EXPECT_EQ(ListErrorText(7), "General failure opening archive");
}

TEST_F(SevenZipWrapTest, ExtractsEverythingOrTheNamedFiles) {
  ASSERT_TRUE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\Temp\\sup", {}, std::nullopt, error_,
                             false, false))
      << error_;
  EXPECT_EQ(Get("C:\\Temp\\sup\\quorvane.png"), "png");
  EXPECT_EQ(Get("C:\\Temp\\sup\\dialogs\\Welcome.dfm").size(), 300000u);

  ASSERT_TRUE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\Temp\\one", {},
                             std::vector<std::string>{"QUORVANE.PNG"}, error_, false, false));
  EXPECT_TRUE(files_.FileExists("C:\\Temp\\one\\quorvane.png"));
  EXPECT_FALSE(files_.FolderExists("C:\\Temp\\one\\dialogs"));

  EXPECT_FALSE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\Temp\\two", {},
                              std::vector<std::string>{"quorvane.png", "missing.txt"}, error_, false, false, &detail_));
  EXPECT_EQ(error_, "#" + std::to_string(ZEL_ERROR_NOT_IN_ARCHIVE));
  EXPECT_EQ(detail_, "The file missing.txt is not in the archive");
  EXPECT_FALSE(ExtractArchive(*component_, "C:\\media\\gone.zip", "", "C:\\Temp\\two", {},
                              std::vector<std::string>{"a"}, error_, false, false));
  EXPECT_EQ(error_, "#1001") << "with names the archive is not listed first";
}

TEST_F(SevenZipWrapTest, ProgressAndCancel) {
  int64_t lastDone = -1, lastTotal = 0;
  ExtractProgress record = [&](const std::string&, int64_t done, int64_t total) {
    lastDone = done;
    lastTotal = total;
    return true;
  };
  ASSERT_TRUE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\out", record, std::nullopt, error_,
                             false, false));
  EXPECT_EQ(lastTotal, 300003);
  EXPECT_EQ(lastDone, lastTotal);

  // Stops once part of the dialog file is written ("done" already counts quorvane.png).
  ExtractProgress stop = [](const std::string& name, int64_t done, int64_t) {
    return !(name == "dialogs\\Welcome.dfm" && done > 3);
  };
  EXPECT_FALSE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\stopped", stop, std::nullopt, error_,
                              false, false));
  EXPECT_EQ(error_, "#" + std::to_string(ZEL_ERROR_CANCELLED));
  EXPECT_TRUE(files_.FileExists("C:\\stopped\\quorvane.png"));
  EXPECT_FALSE(files_.FileExists("C:\\stopped\\dialogs\\Welcome.dfm")) << "no partial file is left";

  ExtractProgress fails = [](const std::string&, int64_t, int64_t) -> bool { throw std::runtime_error("disk on fire"); };
  EXPECT_FALSE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\thrown", fails, std::nullopt, error_,
                              false, false));
  EXPECT_EQ(error_, "disk on fire");
}

TEST_F(SevenZipWrapTest, ModeFlagDecidesWhetherExistingFilesAreReplaced) {
  auto prepare = [&](const std::string& folder) {
    Put(folder + "\\quorvane.png", "old");
    ASSERT_EQ(files_.SetAttributes(folder + "\\quorvane.png", platform::attr::kReadOnly), platform::kSuccess);
  };
  prepare("C:\\clear");
  ASSERT_TRUE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\clear", {}, std::nullopt, error_, false,
                             false))
      << error_;
  EXPECT_EQ(Get("C:\\clear\\quorvane.png"), "png") << "a clear mode flag replaces, read-only or not";
  // With the mode flag set the overwrite question is asked; both answers replace.
  for (bool answer : {false, true}) {
    prepare("C:\\set");
    ASSERT_TRUE(ExtractArchive(*component_, "C:\\media\\support.zip", "", "C:\\set", {}, std::nullopt, error_, answer,
                               true))
        << error_;
    EXPECT_EQ(Get("C:\\set\\quorvane.png"), "png");
    ASSERT_EQ(files_.SetAttributes("C:\\set\\quorvane.png", platform::attr::kNormal), platform::kSuccess);
  }
}

TEST_F(SevenZipWrapTest, Utf8NamesArriveInTheCodePage) {
  zel::ZipWriterOptions options;
  options.utf8Names = true;
  Put("C:\\media\\names.zip", zel::test::MakeZip({{"caf\xc3\xa9.txt", "x"}}, options));
  std::vector<std::string> names;
  ASSERT_TRUE(ListArchive(*component_, "C:\\media\\names.zip", "", error_, names));
  EXPECT_EQ(names, std::vector<std::string>{"caf\xe9.txt"});
}

// Records how the wrapper calls the component and what its callbacks answer.
class ScriptedComponent final : public platform::ArchiveComponent {
 public:
  int32_t errorNumber = ZEL_ERROR_GENERAL;
  bool throwOnExtract = false;
  int32_t reserved = -1, overwriteExisting = -1, overwriteAnswer = 0, continueAnswer = 0;
  std::vector<std::pair<int32_t, std::string>> passwordAnswers;
  std::vector<std::string> listedNames = {"a.txt", "b\\c.txt"};
  std::vector<std::string> targets;

  void* OpenListArchive(const char*, int32_t, ZelPasswordCallback, int32_t, int32_t, int32_t, const char*,
                        ZelEntry** entries, int32_t* count) override {
    if (errorNumber != ZEL_OK) return nullptr;
    list_.clear();
    for (const auto& name : listedNames) list_.push_back(ZelEntry{name.c_str(), 0, 0, 0, 0, 0, 0, 0});
    *entries = list_.data();
    *count = static_cast<int32_t>(list_.size());
    return this;
  }
  void CloseListArchive(void* handle) override { closed = handle == this; }
  int32_t ExtractArchive(const char*, int32_t reserved1, const char*, const TSZW_TARGETFILES* files,
                         int32_t overwrite, const char*, ZelPasswordCallback password, ZelProgressCallback,
                         ZelContinueCallback more, ZelOverwriteCallback replace) override {
    if (throwOnExtract) throw std::runtime_error("component exploded");
    reserved = reserved1;
    overwriteExisting = overwrite;
    for (int32_t i = 0; i < files->count; ++i) targets.emplace_back(files->files[i]);
    for (int i = 0; i < 2; ++i) {
      char buffer[ZEL_PASSWORD_BUFFER] = {};
      int32_t answer = password(buffer);
      passwordAnswers.emplace_back(answer, buffer);
    }
    continueAnswer = more(0, 1);
    overwriteAnswer = replace("x", 0, 0, 0, "x", 0, 0, 0, 0, 0);
    return errorNumber == ZEL_OK;
  }
  int32_t GetLastArchiveError(int32_t) override { return errorNumber; }
  std::string GetLastArchiveErrorText() override { return "scripted failure"; }
  bool closed = false;

 private:
  std::vector<ZelEntry> list_;
};

TEST(SevenZipWrapCallbacks, AnswerAsTheCallAsks) {
  struct Case {
    const char* password;
    bool answerFlag, modeFlag;
    int32_t firstPassword;
    int32_t overwriteExisting, overwriteAnswer;
  };
  const Case cases[] = {
      {"secret", false, false, 1, 1, 1},
      {"secret", true, true, 1, 0, 4},
      {"", true, false, 0, 1, 4},
  };
  for (const auto& c : cases) {
    ScriptedComponent component;
    component.errorNumber = ZEL_OK;
    std::string error;
    ASSERT_TRUE(ExtractArchive(component, "a.zip", c.password, "C:\\out", {}, std::nullopt, error, c.answerFlag,
                               c.modeFlag));
    EXPECT_TRUE(component.closed) << "the list handle is closed";
    EXPECT_EQ(component.targets, (std::vector<std::string>{"a.txt", "b\\c.txt"}));
    EXPECT_EQ(component.reserved, 1);
    EXPECT_EQ(component.overwriteExisting, c.overwriteExisting);
    EXPECT_EQ(component.overwriteAnswer, c.overwriteAnswer);
    EXPECT_EQ(component.continueAnswer, 1);
    ASSERT_EQ(component.passwordAnswers.size(), 2u);
    EXPECT_EQ(component.passwordAnswers[0], std::make_pair(c.firstPassword, std::string(c.firstPassword ? c.password : "")));
    EXPECT_EQ(component.passwordAnswers[1].first, 0) << "the password is offered once";
  }
}

TEST(SevenZipWrapCallbacks, FailuresOfTheComponent) {
  ScriptedComponent component;
  std::string error, detail;
  std::vector<std::string> names;
  component.errorNumber = ZEL_ERROR_GENERAL;
  EXPECT_FALSE(ListArchive(component, "a.zip", "", error, names, &detail));
  EXPECT_EQ(error, "General failure opening archive");
  EXPECT_EQ(detail, "scripted failure");

  component.errorNumber = ZEL_OK;
  component.throwOnExtract = true;
  EXPECT_FALSE(ExtractArchive(component, "a.zip", "", "C:\\out", {}, std::vector<std::string>{"a.txt"}, error, false,
                              false, &detail));
  EXPECT_EQ(error, "component exploded");

  component.throwOnExtract = false;
  component.errorNumber = ZEL_OK;
  ScriptedComponent failing;
  failing.errorNumber = ZEL_OK;
  EXPECT_TRUE(ExtractArchive(failing, "a.zip", "", "C:\\out", {}, std::vector<std::string>{}, error, false, false));
  EXPECT_TRUE(failing.targets.empty()) << "an empty list is passed on as it is";
}


// The same component on the simulated Windows file system, with its rules and faults.
class SevenZipWrapOnSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(files_.CreateFolderTree("C:\\Setup"), platform::kSuccess);
    ASSERT_EQ(files_.WriteWholeFile("C:\\Setup\\media.zip",
                                    zel::test::MakeZip({{"Data/Small.txt", "small"}, {"data/big.bin", zel::test::RandomBytes(600000)}})),
              platform::kSuccess);
  }
  bool Extract(const std::string& destination, bool modeFlag = false) {
    return ExtractArchive(*component_, "C:\\SETUP\\Media.zip", "", destination, {}, std::nullopt, error_, false,
                          modeFlag, &detail_);
  }
  zel::test::TempFolder root_;
  platform::sim::FaultPlan faults_;
  platform::sim::SimFileSystem files_{root_.Path(), &faults_};
  std::unique_ptr<platform::ArchiveComponent> component_ = platform::MakeInProcessArchiveComponent(files_);
  std::string error_, detail_;
};

TEST_F(SevenZipWrapOnSimTest, ExtractsAndReplacesReadOnlyFiles) {
  ASSERT_TRUE(Extract("C:\\Temp\\Support")) << error_ << ": " << detail_;
  EXPECT_TRUE(files_.FileExists("c:\\temp\\support\\DATA\\small.txt"));
  std::string bytes;
  ASSERT_EQ(files_.ReadWholeFile("C:\\Temp\\Support\\data\\big.bin", bytes), platform::kSuccess);
  EXPECT_EQ(bytes.size(), 600000u);

  ASSERT_EQ(files_.SetAttributes("C:\\Temp\\Support\\Data\\Small.txt", platform::attr::kReadOnly), platform::kSuccess);
  ASSERT_TRUE(Extract("C:\\Temp\\Support")) << error_ << ": " << detail_;
}

TEST_F(SevenZipWrapOnSimTest, FaultsEndInAnErrorNumberAndLeaveNoPartialFile) {
  struct Case {
    const char* what;
    platform::sim::FaultRule rule;
    std::string error;
    const char* reason;
  };
  const Case cases[] = {
      {"disk full", platform::sim::FaultRule::DiskFull("C:\\Out\\*", 1000), "#1012", "not enough space"},
      {"locked target", platform::sim::FaultRule::LockedFile("*\\big.bin"), "#1012", "being used"},
      {"unreadable archive", platform::sim::FaultRule::On(platform::sim::FaultOp::Read, "*.zip", platform::kErrorReadFault),
       "The archive cannot be opened: unsupported archive or incorrect password", "cannot read"},
  };
  for (const auto& c : cases) {
    files_.DeleteTree("C:\\Out", true);
    int id = faults_.Add(c.rule);
    EXPECT_FALSE(Extract("C:\\Out")) << c.what;
    EXPECT_EQ(error_, c.error) << c.what << ": " << detail_;
    EXPECT_NE(text::LowerCase(detail_).find(c.reason), std::string::npos) << c.what << ": " << detail_;
    EXPECT_FALSE(files_.FileExists("C:\\Out\\data\\big.bin")) << c.what;
    faults_.Remove(id);
  }
}

}  // namespace
}  // namespace qv::media
