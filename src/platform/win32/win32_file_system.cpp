#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_proc_address.h"
#include "platform/win32/win32_system_library.h"

namespace qv::platform::win32 {
namespace {

// One read or write call moves at most this much, so that the count fits a DWORD.
constexpr size_t kMaxTransfer = size_t(1) << 30;

ErrorCode LastError() {
  DWORD e = GetLastError();
  // A failing call that left no error number is still a failure.
  return e == ERROR_SUCCESS ? kErrorInvalidFunction : ErrorCode(e);
}

uint64_t Join64(DWORD high, DWORD low) { return uint64_t(high) << 32 | low; }

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  ErrorCode Close() {
    if (!IsOpen()) return kSuccess;
    HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) ? kSuccess : LastError();
  }

 private:
  HANDLE handle_;
};

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

ErrorCode WriteAll(HANDLE handle, const void* data, size_t count) {
  const char* at = static_cast<const char*>(data);
  while (count > 0) {
    DWORD chunk = DWORD(std::min(count, kMaxTransfer));
    DWORD written = 0;
    if (!WriteFile(handle, at, chunk, &written, nullptr)) return LastError();
    // A write that succeeds without moving anything would loop for ever.
    if (written == 0) return kErrorWriteFault;
    at += written;
    count -= written;
  }
  return kSuccess;
}

class Win32FileReader final : public FileReader {
 public:
  explicit Win32FileReader(HANDLE handle) : file_(handle) {}

  ErrorCode Read(void* buffer, size_t count, size_t& got) override {
    got = 0;
    DWORD read = 0;
    if (!ReadFile(file_.Get(), buffer, DWORD(std::min(count, kMaxTransfer)), &read, nullptr)) return LastError();
    got = read;
    return kSuccess;
  }

  ErrorCode Seek(uint64_t position) override {
    if (position > uint64_t(INT64_MAX)) return kErrorInvalidParameter;
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(position);
    return SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) ? kSuccess : LastError();
  }

  uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_.Get(), &size) ? uint64_t(size.QuadPart) : 0;
  }

 private:
  FileHandle file_;
};

class Win32FileWriter final : public FileWriter {
 public:
  explicit Win32FileWriter(HANDLE handle) : file_(handle) {}

  ErrorCode Write(const void* data, size_t count) override {
    if (!file_.IsOpen()) return kErrorInvalidHandle;
    return WriteAll(file_.Get(), data, count);
  }

  ErrorCode Close() override { return file_.Close(); }

 private:
  FileHandle file_;
};

using Wow64DisableFn = BOOL(WINAPI*)(PVOID*);
using Wow64RevertFn = BOOL(WINAPI*)(PVOID);

// A path call of the form "the answer is the length when it fits, else the size needed
// with the zero" (GetFullPathNameA, GetShortPathNameA), with a growing buffer.
template <typename Call>
std::string GrowingPath(Call call) {
  std::string buffer(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = call(buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(size_t(n) + 1, '\0');
  }
  return {};
}

bool GetAttributes(const std::string& path, DWORD& attributes) {
  if (HasEmbeddedZero(path)) return false;
  attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES;
}

// The entries of a folder search (FindFirstFileA / FindNextFileA) without "." and "..".
ErrorCode Search(const std::string& pattern, std::vector<DirEntry>& entries) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return LastError();
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = std::move(name);
    entry.attributes = found.dwFileAttributes;
    entry.size = Join64(found.nFileSizeHigh, found.nFileSizeLow);
    entry.lastWrite = Join64(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    entries.push_back(std::move(entry));
  } while (FindNextFileA(search, &found));
  DWORD e = GetLastError();
  FindClose(search);
  if (e == ERROR_NO_MORE_FILES) return kSuccess;
  return e == ERROR_SUCCESS ? kErrorInvalidFunction : ErrorCode(e);
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD a;
  return GetAttributes(path, a) && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  DWORD a;
  return GetAttributes(path, a) && (a & FILE_ATTRIBUTE_DIRECTORY);
}

ErrorCode Win32FileSystem::CreateFolder(const std::string& path) {
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  return CreateDirectoryA(path.c_str(), nullptr) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::RemoveFolder(const std::string& path) {
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  return RemoveDirectoryA(path.c_str()) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::RemoveFile(const std::string& path) {
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  return DeleteFileA(path.c_str()) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::CopyFileTo(const std::string& from, const std::string& to, bool overwrite) {
  if (HasEmbeddedZero(from) || HasEmbeddedZero(to)) return kErrorInvalidName;
  return CopyFileA(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::MoveFileTo(const std::string& from, const std::string& to) {
  if (HasEmbeddedZero(from) || HasEmbeddedZero(to)) return kErrorInvalidName;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::Attributes(const std::string& path, uint32_t& attributes) {
  attributes = attr::kInvalid;
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return LastError();
  attributes = a;
  return kSuccess;
}

ErrorCode Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  return SetFileAttributesA(path.c_str(), attributes) ? kSuccess : LastError();
}

ErrorCode Win32FileSystem::FileSize(const std::string& path, uint64_t& size) {
  size = 0;
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  // From the folder entry, so that a file another program holds open still answers.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return LastError();
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kErrorAccessDenied;
  size = Join64(data.nFileSizeHigh, data.nFileSizeLow);
  return kSuccess;
}

ErrorCode Win32FileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
  entries.clear();
  if (HasEmbeddedZero(folder)) return kErrorInvalidName;
  // An empty name is no folder (and must not become the current one or a drive root).
  if (folder.empty()) return kErrorPathNotFound;
  char last = folder.back();
  ErrorCode e = Search(folder + (last == '\\' || last == ':' ? "*" : "\\*"), entries);
  // The root of an empty drive has no "." entry, so nothing at all matches there.
  return e == kErrorFileNotFound && FolderExists(folder) ? kSuccess : e;
}

std::unique_ptr<FileReader> Win32FileSystem::OpenRead(const std::string& path, ErrorCode& error) {
  if (HasEmbeddedZero(path)) {
    error = kErrorInvalidName;
    return nullptr;
  }
  HANDLE h = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  error = kSuccess;
  return std::make_unique<Win32FileReader>(h);
}

std::unique_ptr<FileWriter> Win32FileSystem::OpenWrite(const std::string& path, ErrorCode& error) {
  if (HasEmbeddedZero(path)) {
    error = kErrorInvalidName;
    return nullptr;
  }
  HANDLE h = Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  error = kSuccess;
  return std::make_unique<Win32FileWriter>(h);
}

ErrorCode Win32FileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  FileHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS));
  if (!file.IsOpen()) return LastError();
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return LastError();
  ErrorCode e = WriteAll(file.Get(), bytes.data(), bytes.size());
  ErrorCode closed = file.Close();
  return e != kSuccess ? e : closed;
}

std::string Win32FileSystem::FullPath(const std::string& path) { return FullPathName(path); }

std::string Win32FileSystem::ShortPathName(const std::string& path) {
  if (path.empty() || HasEmbeddedZero(path)) return {};
  return GrowingPath([&](char* buffer, DWORD size) { return GetShortPathNameA(path.c_str(), buffer, size); });
}

bool Win32FileSystem::StoredName(const std::string& path, std::string& name) {
  name.clear();
  // "*" and "?", and the DOS forms "<", ">" and '"', would find some other entry.
  if (path.empty() || HasEmbeddedZero(path) || path.find_first_of("*?<>\"") != std::string::npos) return false;
  char last = path.back();
  if (last == '\\' || last == '/' || last == ':') return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  name = found.cFileName;
  return !name.empty();
}

bool Win32FileSystem::DisableRedirection(uintptr_t& token) {
  if (!RunsUnderWow64()) return false;
  auto disable = LoadedProcAddress<Wow64DisableFn>("kernel32.dll", "Wow64DisableWow64FsRedirection");
  PVOID old = nullptr;
  if (!disable || !disable(&old)) return false;
  token = reinterpret_cast<uintptr_t>(old);
  return true;
}

void Win32FileSystem::RevertRedirection(uintptr_t token) {
  auto revert = LoadedProcAddress<Wow64RevertFn>("kernel32.dll", "Wow64RevertWow64FsRedirection");
  if (revert) revert(reinterpret_cast<PVOID>(token));
}

ErrorCode Win32FileSystem::FindFiles(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (HasEmbeddedZero(pattern)) return kErrorInvalidName;
  if (pattern.empty()) return kErrorPathNotFound;
  return Search(pattern, entries);
}

ErrorCode Win32FileSystem::DiskSpace(const std::string& path, uint64_t& freeToCaller, uint64_t& total) {
  freeToCaller = total = 0;
  if (HasEmbeddedZero(path)) return kErrorInvalidName;
  using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  static const auto diskFreeSpaceEx = LoadedProcAddress<DiskFreeSpaceExFn>("kernel32.dll", "GetDiskFreeSpaceExA");
  if (diskFreeSpaceEx) {
    ULARGE_INTEGER available, size, free;
    if (!diskFreeSpaceEx(path.c_str(), &available, &size, &free)) return LastError();
    freeToCaller = available.QuadPart;
    total = size.QuadPart;
    return kSuccess;
  }
  // That system knows drive letters only; an empty path is the current drive.
  std::string root = path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters))
    return LastError();
  const uint64_t cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
  freeToCaller = cluster * freeClusters;
  total = cluster * clusters;
  return kSuccess;
}

std::string Win32FileSystem::ProfileString(const std::string& file, const std::string& section,
                                           const std::string& key, size_t capacity) {
  if (capacity == 0 || HasEmbeddedZero(file) || HasEmbeddedZero(section) || HasEmbeddedZero(key)) return {};
  std::string buffer(std::min<size_t>(capacity, MAXDWORD), '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), DWORD(buffer.size()),
                                     file.c_str());
  buffer.resize(std::min<size_t>(n, buffer.size()));
  return buffer;
}

std::string FullPathName(const std::string& path) {
  if (path.empty() || HasEmbeddedZero(path)) return {};
  return GrowingPath([&](char* buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); });
}

}  // namespace qv::platform::win32
