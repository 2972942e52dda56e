#include "media/seven_zip_wrap.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace qv::media {
namespace {

// What the callbacks of the current call on this thread answer with.
struct CallState {
  std::string password;
  bool passwordGiven = false;
  const ExtractProgress* progress = nullptr;
  bool answerFlag = false;
  std::exception_ptr failure;  // thrown by the progress function; raised again after the call
};

thread_local CallState* t_call = nullptr;

// Installs a call's state and puts the enclosing one back at the end.
class CallScope {
 public:
  explicit CallScope(CallState& state) : previous_(t_call) { t_call = &state; }
  ~CallScope() { t_call = previous_; }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  CallState* previous_;
};

int32_t ZEL_CALL PasswordCallback(char* buffer) {
  CallState* call = t_call;
  if (!call || !buffer || call->passwordGiven || call->password.empty()) return 0;
  call->passwordGiven = true;
  size_t n = std::min(call->password.size(), static_cast<size_t>(ZEL_PASSWORD_BUFFER - 1));
  std::memcpy(buffer, call->password.data(), n);
  buffer[n] = '\0';
  return 1;
}

int32_t ZEL_CALL ProgressCallback(const char* fileName, int64_t done, int64_t total) {
  CallState* call = t_call;
  if (!call || !call->progress || !*call->progress) return 1;
  // An exception must not unwind through the component's frames: keep it for later.
  try {
    return (*call->progress)(fileName ? fileName : "", done, total) ? 1 : 0;
  } catch (...) {
    call->failure = std::current_exception();
    return 0;
  }
}

int32_t ZEL_CALL ContinueCallback(int32_t, int32_t) { return 1; }

int32_t ZEL_CALL OverwriteCallback(const char*, int64_t, uint64_t, uint32_t, const char*, int64_t, uint64_t, uint32_t,
                                   int32_t, int32_t) {
  CallState* call = t_call;
  return call && call->answerFlag ? 4 : 1;
}

void SetDetail(std::string* detail, std::string text) {
  if (detail) *detail = std::move(text);
}

bool List(platform::ArchiveComponent& component, const std::string& archive, const std::string& password,
          std::string& error, std::vector<std::string>& names, std::string* detail) {
  names.clear();
  ZelEntry* entries = nullptr;
  int32_t count = 0;
  void* handle = component.OpenListArchive(archive.c_str(), 0, PasswordCallback, 0, 0, 0, password.c_str(),
                                           &entries, &count);
  if (!handle) {
    error = ListErrorText(component.GetLastArchiveError(0));
    SetDetail(detail, component.GetLastArchiveErrorText());
    return false;
  }
  struct Closer {
    platform::ArchiveComponent& component;
    void* handle;
    ~Closer() { component.CloseListArchive(handle); }
  } closer{component, handle};
  names.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int32_t i = 0; i < count && entries; ++i) names.emplace_back(entries[i].name ? entries[i].name : "");
  return true;
}

}  // namespace

std::string ListErrorText(int32_t errorNumber) {
  switch (errorNumber) {
    case ZEL_ERROR_ARCHIVE_NOT_FOUND: return "The archive file was not found";
    case ZEL_ERROR_ILLEGAL_WILDCARD: return "Illegal path used in a wildcard expression";
    case ZEL_ERROR_CANNOT_OPEN: return "The archive cannot be opened: unsupported archive or incorrect password";
    default: return "General failure opening archive";
  }
}

namespace {

// An exception inside an operation fails it with the exception's message.
template <typename Operation>
bool Guarded(std::string& error, std::string* detail, Operation&& operation) {
  try {
    return operation();
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "Unknown failure of the archive operation";
  }
  SetDetail(detail, error);
  return false;
}

}  // namespace

bool ListArchive(platform::ArchiveComponent& component, const std::string& archive, const std::string& password,
                 std::string& error, std::vector<std::string>& names, std::string* detail) {
  CallState state;
  state.password = password;
  CallScope scope(state);
  return Guarded(error, detail, [&] { return List(component, archive, password, error, names, detail); });
}

bool ExtractArchive(platform::ArchiveComponent& component, const std::string& archive, const std::string& password,
                    const std::string& destination, const ExtractProgress& progress,
                    const std::optional<std::vector<std::string>>& names, std::string& error, bool answerFlag,
                    bool modeFlag, std::string* detail) {
  CallState state;
  state.password = password;
  state.progress = &progress;
  state.answerFlag = answerFlag;
  CallScope scope(state);
  return Guarded(error, detail, [&] {
    std::vector<std::string> listed;
    const std::vector<std::string>* files = names ? &*names : nullptr;
    if (!files) {
      if (!List(component, archive, password, error, listed, detail)) return false;
      state.passwordGiven = false;
      files = &listed;
    }
    std::vector<const char*> pointers;
    pointers.reserve(files->size());
    for (const auto& name : *files) pointers.push_back(name.c_str());
    TSZW_TARGETFILES targets{pointers.data(), static_cast<int32_t>(pointers.size())};
    int32_t ok = component.ExtractArchive(archive.c_str(), 1, destination.c_str(), &targets, modeFlag ? 0 : 1,
                                          password.c_str(), PasswordCallback, ProgressCallback, ContinueCallback,
                                          OverwriteCallback);
    if (state.failure) std::rethrow_exception(state.failure);
    if (!ok) {
      error = "#" + std::to_string(component.GetLastArchiveError(0));
      SetDetail(detail, component.GetLastArchiveErrorText());
      return false;
    }
    return true;
  });
}

}  // namespace qv::media
