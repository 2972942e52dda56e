#include "platform/in_process_archive.h"

#include "common/codepage1252.h"
#include "zel/zel_component.h"
#include "zel/zel_io.h"

namespace qv::platform {
namespace {

bool Failed(ErrorCode code, zel::IoError& error) {
  error.notFound = code == kErrorFileNotFound || code == kErrorPathNotFound;
  error.reason = StandardErrorText(code);
  return false;
}

class FileSystemInput final : public zel::InputFile {
 public:
  explicit FileSystemInput(std::unique_ptr<FileReader> reader) : reader_(std::move(reader)) {}
  bool Read(void* buffer, size_t count, size_t& got, zel::IoError& error) override {
    ErrorCode code = reader_->Read(buffer, count, got);
    return code == kSuccess || Failed(code, error);
  }
  bool Seek(uint64_t position, zel::IoError& error) override {
    ErrorCode code = reader_->Seek(position);
    return code == kSuccess || Failed(code, error);
  }
  uint64_t Size() override { return reader_->Size(); }

 private:
  std::unique_ptr<FileReader> reader_;
};

class FileSystemOutput final : public zel::OutputFile {
 public:
  explicit FileSystemOutput(std::unique_ptr<FileWriter> writer) : writer_(std::move(writer)) {}
  bool Write(const void* data, size_t count, zel::IoError& error) override {
    ErrorCode code = writer_->Write(data, count);
    return code == kSuccess || Failed(code, error);
  }
  bool Close(zel::IoError& error) override {
    ErrorCode code = writer_->Close();
    return code == kSuccess || Failed(code, error);
  }

 private:
  std::unique_ptr<FileWriter> writer_;
};

// The archive code's file access on a FileSystem of the platform. The FileSystem has no
// call for file times, so extracted files keep the time of their writing.
class FileSystemIo final : public zel::Io {
 public:
  explicit FileSystemIo(FileSystem& files) : files_(files) {}

  std::unique_ptr<zel::InputFile> OpenRead(const std::string& path, zel::IoError& error) override {
    ErrorCode code = kSuccess;
    auto reader = files_.OpenRead(path, code);
    if (!reader) return Failed(code, error), nullptr;
    return std::make_unique<FileSystemInput>(std::move(reader));
  }
  std::unique_ptr<zel::OutputFile> OpenWrite(const std::string& path, zel::IoError& error) override {
    ErrorCode code = kSuccess;
    auto writer = files_.OpenWrite(path, code);
    if (!writer) return Failed(code, error), nullptr;
    return std::make_unique<FileSystemOutput>(std::move(writer));
  }
  bool CreateFolder(const std::string& path, zel::IoError& error) override {
    ErrorCode code = files_.CreateFolder(path);
    if (code == kSuccess || (code == kErrorAlreadyExists && files_.FolderExists(path))) return true;
    return Failed(code, error);
  }
  bool Stat(const std::string& path, zel::FileInfo& info) override {
    uint32_t attributes = 0;
    if (files_.Attributes(path, attributes) != kSuccess || attributes == attr::kInvalid) return false;
    info = {};
    info.attributes = attributes;
    info.folder = (attributes & attr::kDirectory) != 0;
    if (!info.folder) files_.FileSize(path, info.size);
    return true;
  }
  bool RemoveFile(const std::string& path, zel::IoError& error) override {
    ErrorCode code = files_.RemoveFile(path);
    return code == kSuccess || Failed(code, error);
  }
  bool SetAttributes(const std::string& path, uint32_t attributes, zel::IoError& error) override {
    ErrorCode code = files_.SetAttributes(path, attributes);
    return code == kSuccess || Failed(code, error);
  }
  bool SetLastWrite(const std::string&, uint64_t, zel::IoError&) override { return true; }
  // The simulated Windows uses code page 1252.
  std::string Utf8ToAnsi(std::string_view utf8) override { return cp1252::FromUtf8(utf8); }

 private:
  FileSystem& files_;
};

class InProcessArchiveComponent final : public ArchiveComponent {
 public:
  explicit InProcessArchiveComponent(FileSystem& files) : io_(files), component_(io_) {}

  void* OpenListArchive(const char* archive, int32_t, ZelPasswordCallback passwordCallback, int32_t, int32_t,
                        int32_t, const char* password, ZelEntry** entries, int32_t* count) override {
    return component_.OpenListArchive(archive, passwordCallback, password, entries, count);
  }
  void CloseListArchive(void* handle) override { component_.CloseListArchive(handle); }
  int32_t ExtractArchive(const char* archive, int32_t, const char* destination, const TSZW_TARGETFILES* targets,
                         int32_t overwriteExisting, const char* password, ZelPasswordCallback passwordCallback,
                         ZelProgressCallback progressCallback, ZelContinueCallback continueCallback,
                         ZelOverwriteCallback overwriteCallback) override {
    return component_.ExtractArchive(archive, destination, targets, overwriteExisting, password, passwordCallback,
                                     progressCallback, continueCallback, overwriteCallback);
  }
  int32_t GetLastArchiveError(int32_t) override { return zel::Component::LastError(); }
  std::string GetLastArchiveErrorText() override { return zel::Component::LastErrorText(); }

 private:
  FileSystemIo io_;
  zel::Component component_;
};

}  // namespace

std::unique_ptr<ArchiveComponent> MakeInProcessArchiveComponent(FileSystem& files) {
  return std::make_unique<InProcessArchiveComponent>(files);
}

}  // namespace qv::platform
