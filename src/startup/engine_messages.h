#pragma once
// The engine's own translatable messages: 126 slots with English defaults, replaced by a
// language file. Callers read a slot when they show it, so a language loaded later takes
// effect from then on.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace qv::startup {

// Slots that the engine's code names; the others are read by number.
namespace msg {
inline constexpr int kCommonControls = 1;
inline constexpr int kResourceNotFound = 2;
inline constexpr int kResourceDecompression = 3;
inline constexpr int kDatabaseNotFound = 4;
inline constexpr int kRuntimeErrorInInstall = 5;
inline constexpr int kUndefinedVariableGet = 9;
inline constexpr int kUndefinedVariableSet = 10;
inline constexpr int kGeneralFailure = 19;
inline constexpr int kRuntimeErrorInScript = 20;
inline constexpr int kWizardTitle = 23;
inline constexpr int kPreparing = 24;
inline constexpr int kPendingOperations = 88;
inline constexpr int kSelectLanguageCaption = 89;
inline constexpr int kSelectLanguageLabel = 90;
inline constexpr int kSetupCancelled = 116;
}  // namespace msg

class EngineMessages {
 public:
  static constexpr int kSlots = 126;
  EngineMessages();

  std::string Text(int slot) const;

  // Takes the messages from a language file's text: the first block of 126 lines, then
  // (language name, block) pairs until the block of `userLanguage` (letter case ignored),
  // so the slots end with that block when the file has one and with the last block
  // otherwise. Lines 91 to 111 of a block are read and ignored. A block cut short leaves
  // the slots it does not reach as they were.
  void LoadLanguageText(std::string_view fileText, std::string_view userLanguage);

 private:
  mutable std::mutex lock_;
  std::array<std::string, kSlots> slots_;
};

// Reads a language file (ANSI text) into the messages; false when it cannot be read.
bool LoadLanguageFile(EngineMessages& messages, platform::FileSystem& files, const std::string& path,
                      std::string_view userLanguage);

// The engine's English name of a Windows language identifier ("English", "German", ...);
// identifiers outside its table map to the entry of the same primary language; empty
// when there is none.
std::string LanguageName(uint16_t languageId);

// The caption of every engine message box: the title alone with the engine logo shown,
// else the title, " - " and the engine's wizard name, or the wizard name alone without a
// title.
std::string WindowCaption(std::string_view title, bool logo);

}  // namespace qv::startup
