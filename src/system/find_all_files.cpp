#include "system/find_all_files.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "script/system_command_scope.h"
#include "startup/engine_messages.h"

namespace qv::system {
namespace {

constexpr std::string_view kProgressOrigin = "Find All Files Progress";
constexpr std::string_view kWatchdogOrigin = "Find All Files Watchdog";
// How long the waiting thread sleeps between looks at its windows and the cancel flag.
constexpr auto kWaitSlice = std::chrono::milliseconds(10);

// What the command and its worker share. The worker may outlive the command when the
// watchdog gives it up, so it holds this with its own reference.
struct SearchShared {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::atomic<bool> terminate{false};
  std::vector<std::string> found;  // handed over when done
};

// The worker's side of the progress protocol: each report is a heartbeat; position -1
// keeps the numbers and the text "$IGNORE$" keeps the text.
void ReportProgress(script::VariableStore& store, uint64_t tick, std::string_view text, int64_t position) {
  store.SetVariable("KORV_LastDelegateTick", std::to_string(tick), kProgressOrigin);
  if (position != -1) {
    store.SetVariable("KORV_thMin", "0", kProgressOrigin);
    store.SetVariable("KORV_thMax", "100", kProgressOrigin);
    store.SetVariable("KORV_thProgress", std::to_string(position), kProgressOrigin);
  }
  if (text != "$IGNORE$") store.SetVariable("KORV_thProgressText", text, kProgressOrigin);
}

// TFindAllFilesThread: the search with its progress reports and stop requests.
class FindAllFilesThread final : public SearchObserver {
 public:
  FindAllFilesThread(platform::Platform& machine, platform::FileSystem& files, script::VariableStore& store,
                     FileSearch search, std::string targetPlatform, std::shared_ptr<SearchShared> shared)
      : machine_(machine),
        files_(files),
        store_(store),
        search_(std::move(search)),
        targetPlatform_(std::move(targetPlatform)),
        shared_(std::move(shared)) {}

  void Execute() {
    std::vector<std::string> found;
    try {
      // Redirection is a switch of each thread: the worker turns it off for itself.
      platform::RegView unusedView = platform::RegView::Default;
      script::SystemCommandScope scope(machine_, targetPlatform_, unusedView, script::ScopeSteps::kRedirectionOnly);
      found = SearchFiles(files_, search_, this);
    } catch (...) {
      // A worker never takes the process down; what it found so far is lost with it.
    }
    std::lock_guard lock(shared_->lock);
    shared_->found = std::move(found);
    shared_->done = true;
    shared_->finished.notify_all();
  }

  void EnteredFolder(const std::string&) override {
    position_ = position_ == 100 ? 0 : position_ + 1;
    ReportProgress(store_, machine_.Sys().TickCount(), "$IGNORE$", position_);
  }
  void FoundFile(const std::string& path) override { ReportProgress(store_, machine_.Sys().TickCount(), path, -1); }
  bool StopRequested() override { return shared_->terminate; }

 private:
  platform::Platform& machine_;
  platform::FileSystem& files_;
  script::VariableStore& store_;
  const FileSearch search_;
  const std::string targetPlatform_;
  std::shared_ptr<SearchShared> shared_;
  int64_t position_ = 0;
};

bool NeedsQuotes(const std::string& entry) {
  for (unsigned char c : entry)
    if (c <= ' ' || c == '"' || c == '|') return true;
  return false;
}

void FindAllFilesCommand(script::CommandContext& c) {
  const FileSearch search{c.Normalized(1), script::IsTrue(c.Param(2)), script::IsTrue(c.Param(3))};
  FindAllFilesOutcome outcome;
  {
    script::SystemCommandScope scope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                     script::ScopeSteps::kRedirectionOnly);
    outcome =
        RunFindAllFiles(c.Machine(), c.Machine().Files(), c.Store(), search, c.Run().targetPlatform, c.Run().silent);
  }
  if (outcome.cancelled) {
    script::VariableStore& store = c.Store();
    if (!script::IsTrue(store.Get("ABORTEDONERROR")) && !c.Run().silent)
      c.Machine().Ui().ShowMessageBox(0, c.Engine().messages.Text(startup::msg::kSetupCancelled),
                                      startup::WindowCaption(c.Run().title, c.Run().logo),
                                      platform::mb::kOk | platform::mb::kIconError);
    if (script::IsTrue(store.Get("ABORTONERROR"))) {
      // The setup is aborted: the run ends here (the install engine adds its rollback).
      c.Run().leaveLoop = true;
      return;
    }
    store.SetVariable("ABORTEDONERROR", "TRUE", "Cancel at Find-Files Time");
  }
  c.SetResult(c.Param(4), DelimitedText(outcome.found));
}

}  // namespace

FindAllFilesOutcome RunFindAllFiles(platform::Platform& machine, platform::FileSystem& files,
                                    script::VariableStore& store, const FileSearch& search,
                                    const std::string& targetPlatform, bool silent) {
  auto shared = std::make_shared<SearchShared>();
  auto worker = std::make_shared<FindAllFilesThread>(machine, files, store, search, targetPlatform, shared);
  std::thread thread([worker] { worker->Execute(); });

  FindAllFilesOutcome outcome;
  uint64_t watchdogDue = 0;  // 0: the watchdog is not running
  auto isDone = [&shared] { return shared->done; };
  for (;;) {
    {
      std::unique_lock lock(shared->lock);
      if (silent) {
        shared->finished.wait(lock, isDone);
        break;
      }
      if (shared->finished.wait_for(lock, kWaitSlice, isDone)) break;
    }
    machine.Ui().ProcessMessages();
    const uint64_t now = machine.Sys().TickCount();
    if (!outcome.cancelled && script::IsTrue(store.Get("KORV_IsCancelled"))) {
      outcome.cancelled = true;
      store.SetVariable("KORV_LastActiveTick", store.Get("KORV_LastDelegateTick"), kWatchdogOrigin);
      shared->terminate = true;
      watchdogDue = now + kFindFilesWatchdogMs;
    }
    if (watchdogDue && now >= watchdogDue) {
      const std::string lastReport = store.Get("KORV_LastDelegateTick");
      if (store.Get("KORV_LastActiveTick") == lastReport) {
        // No report for a whole interval after the cancel: the worker is given up. It
        // keeps its shared state and ends on its own when its system call returns.
        outcome.givenUp = true;
        break;
      }
      store.SetVariable("KORV_LastActiveTick", lastReport, kWatchdogOrigin);
      watchdogDue = now + kFindFilesWatchdogMs;
    }
  }
  if (outcome.givenUp) {
    thread.detach();
    outcome.waitForGivenUpWorker = [shared] {
      std::unique_lock lock(shared->lock);
      shared->finished.wait(lock, [&shared] { return shared->done; });
    };
    return outcome;
  }
  thread.join();
  // A cancel that came as the worker ended (or, silent, while it ran) counts as well.
  if (script::IsTrue(store.Get("KORV_IsCancelled"))) outcome.cancelled = true;
  outcome.found = std::move(shared->found);
  return outcome;
}

std::string DelimitedText(const std::vector<std::string>& entries) {
  if (entries.size() == 1 && entries[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i) out.push_back('|');
    const std::string& entry = entries[i];
    if (!NeedsQuotes(entry)) {
      out += entry;
      continue;
    }
    out.push_back('"');
    for (char ch : entry) {
      if (ch == '"') out.push_back('"');
      out.push_back(ch);
    }
    out.push_back('"');
  }
  return out;
}

void RegisterFindAllFiles(script::CommandTable& table) { table.Add("Find All Files", FindAllFilesCommand); }

}  // namespace qv::system
