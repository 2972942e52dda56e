#include "platform/file_system.h"

#include "common/win_path.h"

namespace qv::platform {

ErrorCode FileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
  return ReadRange(path, 0, UINT64_MAX, bytes);
}

ErrorCode FileSystem::ReadRange(const std::string& path, uint64_t offset, uint64_t count, std::string& bytes) {
  bytes.clear();
  ErrorCode error = kSuccess;
  auto reader = OpenRead(path, error);
  if (!reader) return error;
  uint64_t size = reader->Size();
  if (offset >= size) return kSuccess;
  uint64_t want = std::min(count, size - offset);
  if ((error = reader->Seek(offset)) != kSuccess) return error;
  bytes.resize(static_cast<size_t>(want));
  size_t done = 0;
  while (done < bytes.size()) {
    size_t got = 0;
    if ((error = reader->Read(bytes.data() + done, bytes.size() - done, got)) != kSuccess) return error;
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return kSuccess;
}

ErrorCode FileSystem::WriteWholeFile(const std::string& path, std::string_view bytes) {
  ErrorCode error = kSuccess;
  auto writer = OpenWrite(path, error);
  if (!writer) return error;
  if ((error = writer->Write(bytes.data(), bytes.size())) != kSuccess) return error;
  return writer->Close();
}

ErrorCode FileSystem::CreateFolderTree(const std::string& path) {
  std::string folder = winpath::ExcludeTrailingBackslash(path);
  if (folder.empty() || FolderExists(folder)) return kSuccess;
  std::string parent = winpath::ExcludeTrailingBackslash(winpath::ExtractFilePath(folder));
  // Stop at a drive ("C:") or a share root; those are not created.
  if (!parent.empty() && parent != folder && !(parent.size() == 2 && parent[1] == ':')) {
    ErrorCode e = CreateFolderTree(parent);
    if (e != kSuccess) return e;
  }
  ErrorCode e = CreateFolder(folder);
  return e == kErrorAlreadyExists && FolderExists(folder) ? kSuccess : e;
}

ErrorCode FileSystem::DeleteTree(const std::string& folder, bool removeFolderItself) {
  std::vector<DirEntry> entries;
  ErrorCode first = ListFolder(folder, entries);
  if (first != kSuccess) return first;
  auto note = [&first](ErrorCode e) {
    if (first == kSuccess) first = e;
  };
  for (const auto& entry : entries) {
    std::string path = winpath::Combine(folder, entry.name);
    if ((entry.attributes & attr::kDirectory) && (entry.attributes & attr::kReparsePoint)) {
      // A junction goes as a link; what its target holds is not part of this tree.
      note(RemoveFolder(path));
    } else if (entry.attributes & attr::kDirectory) {
      note(DeleteTree(path, true));
    } else {
      if (entry.attributes & attr::kReadOnly) SetAttributes(path, attr::kNormal);
      note(RemoveFile(path));
    }
  }
  if (removeFolderItself) note(RemoveFolder(folder));
  return first;
}

}  // namespace qv::platform
