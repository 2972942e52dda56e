#include "platform/sim/sim_user_interface.h"

#include <gtest/gtest.h>

namespace qv::platform::sim {
namespace {

constexpr uint32_t kDefButton2 = 0x100;
constexpr uint32_t kDefButton3 = 0x200;

TEST(SimUserInterfaceTest, PressesTheDefaultButtonWithoutAScriptedAnswer) {
  struct Case {
    uint32_t style;
    int answer;
  } cases[] = {
      {mb::kOk, mb::kIdOk},
      {mb::kOk | mb::kIconError, mb::kIdOk},
      {mb::kOkCancel, mb::kIdOk},
      {mb::kYesNo | mb::kIconQuestion, mb::kIdYes},
      {mb::kYesNoCancel, mb::kIdYes},
      {mb::kAbortRetryIgnore, mb::kIdAbort},
      {mb::kRetryCancel | mb::kIconWarning, mb::kIdRetry},
      {0x6, mb::kIdCancel},  // Cancel, Try Again, Continue
      {mb::kYesNo | kDefButton2, mb::kIdNo},
      {mb::kYesNoCancel | kDefButton3, mb::kIdCancel},
      {mb::kAbortRetryIgnore | kDefButton2, mb::kIdRetry},
      {mb::kOkCancel | kDefButton3, mb::kIdOk},  // no third button: the first
  };
  SimUserInterface ui;
  for (const auto& c : cases) EXPECT_EQ(ui.ShowMessageBox(0, "text", "caption", c.style), c.answer) << c.style;
  auto log = ui.Log();
  ASSERT_EQ(log.size(), std::size(cases));
  for (const auto& r : log) EXPECT_EQ(r.source, UiRecord::Source::Default);

  // A style the system refuses shows nothing and answers 0.
  EXPECT_EQ(ui.ShowMessageBox(0, "bad", "caption", 0x7), 0);
  EXPECT_EQ(ui.Log().back().source, UiRecord::Source::Failed);
}

TEST(SimUserInterfaceTest, AnswersFromTheScriptAndLogsEveryBox) {
  SimUserInterface ui;
  ui.AnswerMessageBox(mb::kIdNo);
  ui.AnswerMessageBox(mb::kIdRetry, "could not be OPENED");
  ui.AnswerMessageBox(mb::kIdCancel);
  EXPECT_EQ(ui.PendingAnswers(), 3u);

  EXPECT_EQ(ui.ShowMessageBox(42, "Overwrite the file?", "Setup", mb::kYesNo | mb::kIconQuestion), mb::kIdNo);
  // The matched answer waits for its box; unmatched boxes take the other answers in order.
  EXPECT_EQ(ui.ShowMessageBox(0, "Continue?", "Setup", mb::kOkCancel), mb::kIdCancel);
  EXPECT_EQ(ui.ShowMessageBox(0, "The file could not be opened.", "Setup", mb::kRetryCancel), mb::kIdRetry);
  EXPECT_EQ(ui.ShowMessageBox(0, "Done", "Setup", mb::kOk), mb::kIdOk);
  EXPECT_EQ(ui.PendingAnswers(), 0u);

  auto log = ui.Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].owner, 42u);
  EXPECT_EQ(log[0].text, "Overwrite the file?");
  EXPECT_EQ(log[0].caption, "Setup");
  EXPECT_EQ(log[0].style, mb::kYesNo | mb::kIconQuestion);
  EXPECT_EQ(log[0].answer, mb::kIdNo);
  EXPECT_EQ(log[0].source, UiRecord::Source::Scripted);
  EXPECT_EQ(log[3].source, UiRecord::Source::Default);
  ui.ClearLog();
  EXPECT_TRUE(ui.Log().empty());
}

TEST(SimUserInterfaceTest, AnswerThatIsNoButtonOfTheBoxIsRefused) {
  SimUserInterface ui;
  ui.AnswerMessageBox(mb::kIdYes);
  EXPECT_EQ(ui.ShowMessageBox(0, "Error", "Setup", mb::kOk | mb::kIconError), mb::kIdOk);
  UiRecord r = ui.Log().back();
  EXPECT_EQ(r.source, UiRecord::Source::Default);
  EXPECT_NE(r.note.find("not a button"), std::string::npos);
  EXPECT_EQ(ui.PendingAnswers(), 0u);
}

TEST(SimUserInterfaceTest, KeepsAnswersForOtherKindsOfWindow) {
  SimUserInterface ui;
  ui.Answer({UiKind::Dialog, 7, "", "Welcome"});
  ui.Answer({UiKind::Prompt, mb::kIdOk, "secret", "password"});
  EXPECT_EQ(ui.ShowMessageBox(0, "Welcome", "Setup", mb::kOkCancel), mb::kIdOk);
  EXPECT_FALSE(ui.TakeAnswer(UiKind::Dialog, "License"));
  auto dialog = ui.TakeAnswer(UiKind::Dialog, "Welcome to the setup");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->code, 7);
  auto prompt = ui.TakeAnswer(UiKind::Prompt, "Enter", "Archive PASSWORD");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt->value, "secret");
  ui.Record({UiKind::Dialog, 0, "Welcome", "", 0, 7, "", UiRecord::Source::Scripted, ""});
  EXPECT_EQ(ui.Log().back().kind, UiKind::Dialog);
}

}  // namespace
}  // namespace qv::platform::sim
