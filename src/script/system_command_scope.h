#pragma once
// The scope around every command that touches the registry or the file system. While it
// is open the registry view follows the run's target platform (the 64-bit view for an
// "x64" or "ia64" target on 64-bit Windows, the 32-bit one for "Win32"), and for a 64-bit
// target WOW64 file-system redirection of the thread is off, so that System32 and
// Program Files are the native ones. When the command ends, also by an exception, the
// redirection is turned back on and the view returns to its value between commands.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace qv::script {

// The steps a command takes, in the order it opens them.
enum class ScopeSteps {
  kViewThenRedirection,  // the usual scope
  kRedirectionThenView,  // Get Folder Location, Register Library
  kRedirectionOnly,      // commands that touch files only (Get Environment, Get Temporary File, ...)
  kViewOnly,             // commands that touch the registry only
};

// The registry view between commands: the 32-bit view on 64-bit Windows, where the
// engine runs under WOW64, and the default view on 32-bit Windows.
platform::RegView ViewBetweenCommands(platform::Platform& platform);

class SystemCommandScope {
 public:
  // `view` is the run's registry view, which the registry commands use; `targetPlatform`
  // is "Win32", "x64" or "ia64".
  SystemCommandScope(platform::Platform& platform, const std::string& targetPlatform, platform::RegView& view,
                     ScopeSteps steps = ScopeSteps::kViewThenRedirection);
  ~SystemCommandScope();
  SystemCommandScope(const SystemCommandScope&) = delete;
  SystemCommandScope& operator=(const SystemCommandScope&) = delete;

  // This scope turned redirection off (and turns it on again when it closes); false
  // when it takes no redirection step, the target is "Win32", the system has no
  // redirection, or an enclosing scope on this thread has turned it off already.
  bool TurnedRedirectionOff() const { return redirectionOff_; }

 private:
  void SetView();
  void TurnRedirectionOff();
  void Close();

  platform::Platform& platform_;
  platform::RegView& view_;
  const bool takesView_;
  const bool os64_;
  const bool target64_;
  bool redirectionOff_ = false;
  uintptr_t token_ = 0;
};

}  // namespace qv::script
