#include "zel/win32_io.h"

#include <windows.h>

namespace zel {
namespace {

bool Failed(IoError& error, DWORD code = GetLastError()) {
  error.notFound = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  error.reason = n && text ? std::string(text, n) : "System error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!error.reason.empty() && (error.reason.back() == '\n' || error.reason.back() == '\r' ||
                                   error.reason.back() == '.' || error.reason.back() == ' '))
    error.reason.pop_back();
  return false;
}

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }
FILETIME FileTime(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

class Win32Input final : public InputFile {
 public:
  Win32Input(HANDLE handle, uint64_t size) : handle_(handle), size_(size) {}
  ~Win32Input() override { CloseHandle(handle_); }
  bool Read(void* buffer, size_t count, size_t& got, IoError& error) override {
    DWORD n = 0;
    DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!ReadFile(handle_, buffer, want, &n, nullptr)) return Failed(error);
    got = n;
    return true;
  }
  bool Seek(uint64_t position, IoError& error) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) || Failed(error);
  }
  uint64_t Size() override { return size_; }

 private:
  HANDLE handle_;
  uint64_t size_;
};

class Win32Output final : public OutputFile {
 public:
  explicit Win32Output(HANDLE handle) : handle_(handle) {}
  ~Win32Output() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Write(const void* data, size_t count, IoError& error) override {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
      DWORD n = 0;
      DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
      if (!WriteFile(handle_, p, want, &n, nullptr)) return Failed(error);
      if (n == 0) return Failed(error, ERROR_WRITE_FAULT);
      p += n;
      count -= n;
    }
    return true;
  }
  bool Close(IoError& error) override {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) || Failed(error);
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<InputFile> Win32Io::OpenRead(const std::string& path, IoError& error) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failed(error), nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    Failed(error);
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<Win32Input>(h, static_cast<uint64_t>(size.QuadPart));
}

std::unique_ptr<OutputFile> Win32Io::OpenWrite(const std::string& path, IoError& error) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failed(error), nullptr;
  return std::make_unique<Win32Output>(h);
}

bool Win32Io::CreateFolder(const std::string& path, IoError& error) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  DWORD code = GetLastError();
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return true;
  return Failed(error, code);
}

bool Win32Io::Stat(const std::string& path, FileInfo& info) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  info.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.size = info.folder ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info.lastWrite = Ticks(data.ftLastWriteTime);
  info.attributes = data.dwFileAttributes;
  return true;
}

bool Win32Io::RemoveFile(const std::string& path, IoError& error) {
  return DeleteFileA(path.c_str()) || Failed(error);
}

bool Win32Io::SetAttributes(const std::string& path, uint32_t attributes, IoError& error) {
  return SetFileAttributesA(path.c_str(), attributes) || Failed(error);
}

bool Win32Io::SetLastWrite(const std::string& path, uint64_t fileTime, IoError& error) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failed(error);
  FILETIME t = FileTime(fileTime);
  bool ok = SetFileTime(h, nullptr, nullptr, &t) != 0;
  if (!ok) Failed(error);
  CloseHandle(h);
  return ok;
}

uint64_t Win32Io::LocalToUtc(uint64_t localTicks) {
  FILETIME local = FileTime(localTicks), utc;
  return LocalFileTimeToFileTime(&local, &utc) ? Ticks(utc) : localTicks;
}

std::string Win32Io::Utf8ToAnsi(std::string_view utf8) {
  if (utf8.empty()) return {};
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (wide <= 0) return std::string(utf8);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), wide);
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string(utf8);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), wide, ansi.data(), n, nullptr, nullptr);
  return ansi;
}

}  // namespace zel
