#include "script/system_command_scope.h"

namespace qv::script {
namespace {

// Redirection is a switch of each thread, and so is the mark that a scope has turned it
// off: a scope opened inside another leaves it alone, and a worker thread that opens
// its own scope turns it off for itself.
thread_local bool redirectionMarkedOff = false;

}  // namespace

platform::RegView ViewBetweenCommands(platform::Platform& platform) {
  return platform.Sys().Is64BitWindows() ? platform::RegView::Force32 : platform::RegView::Default;
}

SystemCommandScope::SystemCommandScope(platform::Platform& platform, const std::string& targetPlatform,
                                       platform::RegView& view, ScopeSteps steps)
    : platform_(platform),
      view_(view),
      takesView_(steps != ScopeSteps::kRedirectionOnly),
      os64_(platform.Sys().Is64BitWindows()),
      target64_(targetPlatform != "Win32") {
  try {
    switch (steps) {
      case ScopeSteps::kViewThenRedirection:
        SetView();
        TurnRedirectionOff();
        break;
      case ScopeSteps::kRedirectionThenView:
        TurnRedirectionOff();
        SetView();
        break;
      case ScopeSteps::kRedirectionOnly: TurnRedirectionOff(); break;
      case ScopeSteps::kViewOnly: SetView(); break;
    }
  } catch (...) {
    Close();
    throw;
  }
}

SystemCommandScope::~SystemCommandScope() {
  // A destructor that runs while an exception unwinds must not throw another.
  try {
    Close();
  } catch (...) {
  }
}

void SystemCommandScope::SetView() {
  if (!os64_)
    view_ = platform::RegView::Default;
  else
    view_ = target64_ ? platform::RegView::Force64 : platform::RegView::Force32;
}

void SystemCommandScope::TurnRedirectionOff() {
  if (!os64_ || !target64_ || redirectionMarkedOff) return;
  if (!platform_.Files().DisableRedirection(token_)) return;
  redirectionOff_ = true;
  redirectionMarkedOff = true;
}

void SystemCommandScope::Close() {
  if (redirectionOff_) {
    redirectionOff_ = false;
    redirectionMarkedOff = false;
    platform_.Files().RevertRedirection(token_);
  }
  if (takesView_) view_ = os64_ ? platform::RegView::Force32 : platform::RegView::Default;
}

}  // namespace qv::script
