#include "system/text_file_commands.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/text.h"
#include "script/system_command_scope.h"

namespace qv::system {
namespace {

constexpr std::string_view kReadAllPrefix = "#READALL\\";

// Lines of a file read through a reader; a line ends at CR LF, LF or CR. A read that
// fails ends the file there, as the commands never stop the script for it.
class LineReader {
 public:
  explicit LineReader(std::unique_ptr<platform::FileReader> reader) : reader_(std::move(reader)) {}

  bool AtEnd() {
    Fill();
    return pos_ == buffer_.size();
  }

  // The next line without its line break; empty at the end.
  std::string ReadLine() {
    std::string line;
    while (!AtEnd()) {
      size_t stop = buffer_.find_first_of("\r\n", pos_);
      if (stop == std::string::npos) {
        line.append(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        continue;
      }
      line.append(buffer_, pos_, stop - pos_);
      pos_ = stop + 1;
      // The LF of a CR LF may begin the next block.
      if (buffer_[stop] == '\r' && !AtEnd() && buffer_[pos_] == '\n') ++pos_;
      return line;
    }
    return line;
  }

 private:
  void Fill() {
    if (pos_ < buffer_.size() || ended_) return;
    buffer_.resize(kBlock);
    size_t got = 0;
    if (reader_->Read(buffer_.data(), buffer_.size(), got) != platform::kSuccess || got == 0) {
      ended_ = true;
      got = 0;
    }
    buffer_.resize(got);
    pos_ = 0;
  }

  static constexpr size_t kBlock = 64 * 1024;
  std::unique_ptr<platform::FileReader> reader_;
  std::string buffer_;
  size_t pos_ = 0;
  bool ended_ = false;
};

// The one text file kept open between reads: the file system it is on and the path it
// was opened under.
struct OpenTextFile {
  platform::FileSystem* files = nullptr;
  std::string path;
  std::unique_ptr<LineReader> lines;

  bool Is(platform::FileSystem& other, const std::string& otherPath) const {
    return lines && files == &other && text::EqualsNoCase(path, otherPath);
  }
  void Close() {
    lines.reset();
    files = nullptr;
    path.clear();
  }
};

// Only the interpreter's thread reads text files; the lock keeps the exit stage safe
// whatever thread calls it.
std::mutex openFileLock;
OpenTextFile openFile;

void ReadFromTextFileCommand(script::CommandContext& c) {
  std::string path = c.Normalized(1);
  const bool readAll = path.starts_with(kReadAllPrefix);
  if (readAll) path.erase(0, kReadAllPrefix.size());
  const std::string result = c.Param(2);
  const std::string endOfFile = c.Param(3);
  c.EnsureVariable(result);
  if (!endOfFile.empty()) c.EnsureVariable(endOfFile);

  script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                   script::ScopeSteps::kRedirectionOnly);
  platform::FileSystem& files = c.Machine().Files();
  std::lock_guard lock(openFileLock);
  if (!openFile.Is(files, path)) {
    openFile.Close();
    platform::ErrorCode error = platform::kSuccess;
    std::unique_ptr<platform::FileReader> reader = files.OpenRead(path, error);
    if (!reader) {
      c.SetResult(endOfFile, "TRUE");
      return;
    }
    openFile.files = &files;
    openFile.path = path;
    openFile.lines = std::make_unique<LineReader>(std::move(reader));
  }
  LineReader& lines = *openFile.lines;
  if (!lines.AtEnd()) {
    if (readAll) {
      std::vector<std::string> rest;
      while (!lines.AtEnd()) rest.push_back(lines.ReadLine());
      c.SetResult(result, text::JoinLines(rest, text::kNewlineToken));
    } else {
      c.SetResult(result, lines.ReadLine());
    }
  }
  const bool atEnd = lines.AtEnd();
  if (atEnd) openFile.Close();
  c.SetResult(endOfFile, atEnd ? "TRUE" : "FALSE");
}

bool IsMissing(platform::ErrorCode error) {
  return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound;
}

void WriteToTextFileCommand(script::CommandContext& c) {
  const std::string path = c.Normalized(1);
  const std::string line = c.Expanded(2);
  const bool atTop = script::IsTrue(c.Expanded(3));

  script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                   script::ScopeSteps::kRedirectionOnly);
  platform::FileSystem& files = c.Machine().Files();
  {
    std::lock_guard lock(openFileLock);
    if (openFile.Is(files, path)) openFile.Close();
  }
  std::string bytes;
  platform::ErrorCode error = files.ReadWholeFile(path, bytes);
  // A file that is there but cannot be read now (locked, a read fault) would be replaced
  // by the new line alone: it is left as it is instead.
  if (error != platform::kSuccess && !IsMissing(error)) return;
  std::vector<std::string> lines = text::SplitLines(bytes);
  // Written as it is, a text with line breaks ($NEWLINE$) becomes several lines.
  lines.insert(atTop ? lines.begin() : lines.end(), line);
  std::string out;
  for (const auto& l : lines) out.append(l).append("\r\n");
  files.SetAttributes(path, platform::attr::kNormal);
  files.WriteWholeFile(path, out);
}

}  // namespace

void RegisterTextFileCommands(script::CommandTable& table) {
  table.Add("Read from Text File", ReadFromTextFileCommand);
  table.Add("Write to Text File", WriteToTextFileCommand);
}

void CloseOpenTextFile() {
  std::lock_guard lock(openFileLock);
  openFile.Close();
}

}  // namespace qv::system
