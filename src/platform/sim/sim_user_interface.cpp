#include "platform/sim/sim_user_interface.h"

#include <algorithm>

#include "common/text.h"

namespace qv::platform::sim {
namespace {

constexpr uint32_t kTypeMask = 0xF;
constexpr uint32_t kDefaultButtonMask = 0xF00;
constexpr uint32_t kCancelTryContinue = 0x6;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

}  // namespace

std::vector<int> MessageBoxButtons(uint32_t style) {
  switch (style & kTypeMask) {
    case mb::kOk: return {mb::kIdOk};
    case mb::kOkCancel: return {mb::kIdOk, mb::kIdCancel};
    case mb::kAbortRetryIgnore: return {mb::kIdAbort, mb::kIdRetry, mb::kIdIgnore};
    case mb::kYesNoCancel: return {mb::kIdYes, mb::kIdNo, mb::kIdCancel};
    case mb::kYesNo: return {mb::kIdYes, mb::kIdNo};
    case mb::kRetryCancel: return {mb::kIdRetry, mb::kIdCancel};
    case kCancelTryContinue: return {mb::kIdCancel, kIdTryAgain, kIdContinue};
    default: return {};
  }
}

int DefaultMessageBoxButton(uint32_t style) {
  std::vector<int> buttons = MessageBoxButtons(style);
  if (buttons.empty()) return 0;
  size_t index = (style & kDefaultButtonMask) >> 8;
  return index < buttons.size() ? buttons[index] : buttons[0];
}

int SimUserInterface::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                     uint32_t style) {
  std::lock_guard lock(mutex_);
  UiRecord r;
  r.kind = UiKind::MessageBox;
  r.owner = owner;
  r.text = text;
  r.caption = caption;
  r.style = style;
  std::vector<int> buttons = MessageBoxButtons(style);
  if (buttons.empty()) {
    // MessageBox fails (0) on a style it does not know, and shows nothing.
    r.source = UiRecord::Source::Failed;
    r.note = "invalid message box style";
    log_.push_back(r);
    return 0;
  }
  r.answer = DefaultMessageBoxButton(style);
  if (auto answer = TakeLocked(UiKind::MessageBox, text, caption)) {
    if (std::find(buttons.begin(), buttons.end(), answer->code) != buttons.end()) {
      r.answer = answer->code;
      r.source = UiRecord::Source::Scripted;
    } else {
      r.note = "scripted answer " + std::to_string(answer->code) + " is not a button of this box";
    }
  }
  log_.push_back(r);
  return r.answer;
}

void SimUserInterface::ProcessMessages() {
  std::lock_guard lock(mutex_);
  ++pumps_;
}

uint64_t SimUserInterface::MessagePumps() const {
  std::lock_guard lock(mutex_);
  return pumps_;
}

void SimUserInterface::Answer(UiAnswer answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(std::move(answer));
}

void SimUserInterface::AnswerMessageBox(int code, std::string match) {
  UiAnswer a;
  a.kind = UiKind::MessageBox;
  a.code = code;
  a.match = std::move(match);
  Answer(std::move(a));
}

size_t SimUserInterface::PendingAnswers() const {
  std::lock_guard lock(mutex_);
  return answers_.size();
}

std::vector<UiRecord> SimUserInterface::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void SimUserInterface::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

std::optional<UiAnswer> SimUserInterface::TakeAnswer(UiKind kind, std::string_view text, std::string_view caption) {
  std::lock_guard lock(mutex_);
  return TakeLocked(kind, text, caption);
}

void SimUserInterface::Record(UiRecord record) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(record));
}

std::optional<UiAnswer> SimUserInterface::TakeLocked(UiKind kind, std::string_view text, std::string_view caption) {
  for (auto it = answers_.begin(); it != answers_.end(); ++it) {
    if (it->kind != kind) continue;
    if (!it->match.empty() && !text::ContainsNoCase(text, it->match) && !text::ContainsNoCase(caption, it->match))
      continue;
    UiAnswer a = std::move(*it);
    answers_.erase(it);
    return a;
  }
  return std::nullopt;
}

}  // namespace qv::platform::sim
