#pragma once
// A headless user. Every window that waits for the user is recorded in a log a test reads,
// and answered from a script of answers the test queued: the first queued answer of the
// window's kind whose match text occurs in the window's text or caption is taken. With
// none, the user presses the default button (Enter), and the log says so.
//
// Message boxes are the first kind; wizard dialogs and prompts will take their answers
// from the same script (TakeAnswer, Record).
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_interface.h"

namespace qv::platform::sim {

enum class UiKind { MessageBox, Dialog, Prompt };

struct UiAnswer {
  UiKind kind = UiKind::MessageBox;
  int code = 0;        // the button, or the dialog's result
  std::string value;   // text typed into a prompt
  std::string match;   // compared without regard to letter case; empty matches anything
};

struct UiRecord {
  enum class Source { Scripted, Default, Failed };

  UiKind kind = UiKind::MessageBox;
  WindowHandle owner = 0;
  std::string text;
  std::string caption;
  uint32_t style = 0;
  int answer = 0;
  std::string value;
  Source source = Source::Default;
  std::string note;  // why an answer was not the scripted one
};

// The buttons of a message box style in their order on the box; empty when the system
// rejects the style.
std::vector<int> MessageBoxButtons(uint32_t style);
// The button Enter presses: the one MB_DEFBUTTON2/3/4 names when the box has it, else
// the first.
int DefaultMessageBoxButton(uint32_t style);

class SimUserInterface : public UserInterface {
 public:
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t style) override;
  // A headless user sends no messages; the calls are counted, so a test sees that a
  // waiting loop keeps the windows answering.
  void ProcessMessages() override;
  uint64_t MessagePumps() const;

  void Answer(UiAnswer answer);
  void AnswerMessageBox(int code, std::string match = {});
  size_t PendingAnswers() const;

  std::vector<UiRecord> Log() const;
  void ClearLog();

  // For the windows of later kinds: takes the first fitting answer, and records one.
  std::optional<UiAnswer> TakeAnswer(UiKind kind, std::string_view text, std::string_view caption = {});
  void Record(UiRecord record);

 private:
  std::optional<UiAnswer> TakeLocked(UiKind kind, std::string_view text, std::string_view caption);

  mutable std::mutex mutex_;
  std::deque<UiAnswer> answers_;
  std::vector<UiRecord> log_;
  uint64_t pumps_ = 0;
};

}  // namespace qv::platform::sim
