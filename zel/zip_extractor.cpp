#include "zel/zip_extractor.h"

#include <algorithm>
#include <unordered_map>

#include "common/text.h"
#include "zel/name_safety.h"

namespace zel {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

std::string NameKey(std::string_view name) {
  std::string key(name);
  std::replace(key.begin(), key.end(), '/', '\\');
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return qv::text::LowerCase(key);
}

Error WriteFailed(const std::string& path, const IoError& error) {
  return Fail(ZEL_ERROR_WRITE, "The file " + path + " cannot be written: " + error.reason);
}

Error Cancelled() { return Fail(ZEL_ERROR_CANCELLED, "The extraction was cancelled"); }

constexpr uint32_t kSettableAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
constexpr uint32_t kProtectingAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem;

class Extraction {
 public:
  Extraction(Io& io, ZipReader& archive, const ExtractRequest& request, const ExtractCallbacks& callbacks)
      : io_(io), archive_(archive), request_(request), callbacks_(callbacks) {}

  Error Run() {
    const auto& entries = archive_.Entries();
    std::vector<size_t> selected;
    if (Error e = SelectEntries(entries, request_.names, selected)) return e;
    std::vector<std::string> relative(selected.size());
    for (size_t i = 0; i < selected.size(); ++i) {
      const ZipEntry& entry = entries[selected[i]];
      std::string reason;
      if (!SafeRelativePath(entry.name, relative[i], &reason))
        return Fail(ZEL_ERROR_UNSAFE_NAME, UnsafeNameText(entry.name, reason));
      if (entry.encrypted) AskPassword();
      if (Error e = ZipReader::CheckExtractable(entry)) return e;
      if (!entry.folder) total_ += static_cast<int64_t>(entry.size);
    }

    destination_ = WithoutTrailingSeparators(request_.destination);
    if (Error e = CreateFolderTree(io_, destination_)) return e;
    const int32_t count = static_cast<int32_t>(selected.size());
    for (int32_t i = 0; i < count; ++i) {
      if (i > 0 && callbacks_.continueWith && !callbacks_.continueWith(i, count)) return Cancelled();
      const ZipEntry& entry = entries[selected[i]];
      std::string target = destination_ + "\\" + relative[i];
      Error e = entry.folder ? ExtractFolder(entry, target) : ExtractFile(entry, target, relative[i]);
      if (e) return e;
    }
    return {};
  }

 private:
  // The library cannot decrypt yet, but a caller that offers passwords is still asked,
  // the way it will be once it can.
  void AskPassword() {
    if (asked_ || !request_.password.empty() || !callbacks_.password) return;
    asked_ = true;
    std::string offered;
    callbacks_.password(offered);
  }

  Error ExtractFolder(const ZipEntry& entry, const std::string& target) {
    FileInfo info;
    if (io_.Stat(target, info) && !info.folder)
      return Fail(ZEL_ERROR_WRITE, "The folder " + target + " cannot be created: a file of that name exists");
    if (Error e = CreateFolderTree(io_, target)) return e;
    if (entry.attributes & (kAttrHidden | kAttrSystem)) {
      IoError ignored;
      io_.SetAttributes(target, entry.attributes & (kAttrHidden | kAttrSystem | kAttrReadOnly), ignored);
    }
    return {};
  }

  Error ExtractFile(const ZipEntry& entry, const std::string& target, const std::string& relative) {
    size_t cut = relative.rfind('\\');
    if (cut != std::string::npos) {
      if (Error e = CreateFolderTree(io_, destination_ + "\\" + relative.substr(0, cut))) return e;
    }
    FileInfo existing;
    IoError ioError;
    if (io_.Stat(target, existing)) {
      if (existing.folder)
        return Fail(ZEL_ERROR_WRITE, "The file " + target + " cannot be written: a folder of that name exists");
      switch (DecideOverwrite(entry, target, existing)) {
        case kOverwriteKeep:
          done_ += static_cast<int64_t>(entry.size);
          return Report(entry) ? Error{} : Cancelled();
        case kOverwriteReplace:
          break;
        default:
          return Cancelled();
      }
      // Windows refuses to replace a read-only file, and a hidden or system one unless
      // the new file has the same attributes.
      if ((existing.attributes & kProtectingAttributes) && !io_.SetAttributes(target, kAttrNormal, ioError))
        return WriteFailed(target, ioError);
    }
    if (!Report(entry)) return Cancelled();

    auto out = io_.OpenWrite(target, ioError);
    if (!out) return WriteFailed(target, ioError);
    Error e = archive_.ReadEntry(entry, [&](const char* data, size_t size) -> Error {
      if (!out->Write(data, size, ioError)) return WriteFailed(target, ioError);
      done_ += static_cast<int64_t>(size);
      return Report(entry) ? Error{} : Cancelled();
    });
    if (!e && !out->Close(ioError)) e = WriteFailed(target, ioError);
    if (e) {
      out.reset();
      IoError ignored;
      io_.RemoveFile(target, ignored);
      return e;
    }
    out.reset();
    // Time and attributes are extras: a system without them still gets the files.
    IoError ignored;
    if (entry.lastWrite != 0) io_.SetLastWrite(target, entry.lastWrite, ignored);
    if (entry.attributes & kProtectingAttributes) io_.SetAttributes(target, entry.attributes & kSettableAttributes, ignored);
    return {};
  }

  int32_t DecideOverwrite(const ZipEntry& entry, const std::string& target, const FileInfo& existing) {
    if (request_.overwriteExisting || replaceAll_) return kOverwriteReplace;
    if (!callbacks_.overwrite) return kOverwriteKeep;
    int32_t answer = callbacks_.overwrite(OverwriteQuestion{target, existing, &entry});
    if (answer == kOverwriteReplaceAll) {
      replaceAll_ = true;
      return kOverwriteReplace;
    }
    return answer == kOverwriteReplace || answer == kOverwriteKeep ? answer : kOverwriteStop;
  }

  bool Report(const ZipEntry& entry) {
    return !callbacks_.progress || callbacks_.progress(entry.name, done_, total_);
  }

  Io& io_;
  ZipReader& archive_;
  const ExtractRequest& request_;
  const ExtractCallbacks& callbacks_;
  std::string destination_;
  int64_t total_ = 0;
  int64_t done_ = 0;
  bool asked_ = false;
  bool replaceAll_ = false;
};

}  // namespace

Error SelectEntries(const std::vector<ZipEntry>& entries, const std::vector<std::string>* names,
                    std::vector<size_t>& selected) {
  selected.clear();
  if (!names || names->empty()) {
    for (size_t i = 0; i < entries.size(); ++i) selected.push_back(i);
    return {};
  }
  std::unordered_map<std::string, std::vector<size_t>> byName;
  for (size_t i = 0; i < entries.size(); ++i) byName[NameKey(entries[i].name)].push_back(i);
  std::vector<bool> chosen(entries.size(), false);
  for (const auto& name : *names) {
    auto found = byName.find(NameKey(name));
    if (found == byName.end())
      return Fail(ZEL_ERROR_NOT_IN_ARCHIVE, "The file " + name + " is not in the archive");
    for (size_t i : found->second) chosen[i] = true;
  }
  for (size_t i = 0; i < entries.size(); ++i)
    if (chosen[i]) selected.push_back(i);
  return {};
}

Error ExtractEntries(Io& io, ZipReader& archive, const ExtractRequest& request, const ExtractCallbacks& callbacks) {
  return Extraction(io, archive, request, callbacks).Run();
}

Error ExtractArchive(Io& io, const std::string& archive, const ExtractRequest& request,
                     const ExtractCallbacks& callbacks) {
  std::unique_ptr<ZipReader> reader;
  if (Error e = ZipReader::Open(io, archive, reader)) return e;
  return ExtractEntries(io, *reader, request, callbacks);
}

Error CreateFolderTree(Io& io, const std::string& path) {
  std::string folder = WithoutTrailingSeparators(path);
  FileInfo info;
  if (folder.empty() || io.Stat(folder, info)) {
    if (!folder.empty() && !info.folder)
      return Fail(ZEL_ERROR_WRITE, "The folder " + folder + " cannot be created: a file of that name exists");
    return {};
  }
  size_t cut = folder.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = folder.substr(0, cut);
    // Drives ("C:") and share roots are not created.
    bool root = (parent.size() == 2 && parent[1] == ':') || parent.find_first_not_of("\\/") == std::string::npos;
    if (!root) {
      if (Error e = CreateFolderTree(io, parent)) return e;
    }
  }
  IoError error;
  if (!io.CreateFolder(folder, error))
    return Fail(ZEL_ERROR_WRITE, "The folder " + folder + " cannot be created: " + error.reason);
  return {};
}

}  // namespace zel
