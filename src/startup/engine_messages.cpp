#include "startup/engine_messages.h"

#include "common/text.h"

namespace qv::startup {
namespace {

const char* const kDefaults[EngineMessages::kSlots] = {
#include "startup/engine_message_defaults.inc"
};

struct LanguageEntry {
  uint16_t id;
  const char* name;
};

// The engine names languages by these English names.
constexpr LanguageEntry kLanguages[] = {
    {1025, "Arabic"},   {1027, "Catalan"},   {1028, "Chinese (Taiwan)"}, {2052, "Chinese (PRC)"},
    {1029, "Czech"},    {1030, "Danish"},    {1031, "German"},           {1032, "Greek"},
    {1033, "English"},  {3082, "Spanish"},   {1061, "Estonian"},         {1035, "Finnish"},
    {1036, "French"},   {1037, "Hebrew"},    {1038, "Hungarian"},        {1040, "Italian"},
    {1042, "Korean"},   {1062, "Latvian"},   {1043, "Dutch"},            {1044, "Norwegian"},
    {1045, "Polish"},   {1046, "Portugese (Brazil)"}, {2070, "Portugese (Portugal)"}, {1048, "Romanian"},
    {1049, "Russian"},  {1050, "Croatian"},  {1051, "Slovak"},           {1053, "Swedish"},
    {1054, "Thai"},     {1055, "Turkish"},   {1060, "Slovenian"},        {1066, "Vietnamese"},
    {1069, "Basque"},   {1041, "Japanese"},  {1063, "Lithuanian"},
};

bool IsIgnoredSlot(int slot) { return slot >= 91 && slot <= 111; }

}  // namespace

EngineMessages::EngineMessages() {
  for (int i = 0; i < kSlots; ++i) slots_[size_t(i)] = kDefaults[i];
}

std::string EngineMessages::Text(int slot) const {
  if (slot < 1 || slot > kSlots) return {};
  std::lock_guard<std::mutex> guard(lock_);
  return slots_[size_t(slot - 1)];
}

void EngineMessages::LoadLanguageText(std::string_view fileText, std::string_view userLanguage) {
  std::vector<std::string> lines = text::SplitLines(fileText);
  std::lock_guard<std::mutex> guard(lock_);
  size_t pos = 0;
  auto readBlock = [&]() {
    for (int slot = 1; slot <= kSlots && pos < lines.size(); ++slot, ++pos)
      if (!IsIgnoredSlot(slot)) slots_[size_t(slot - 1)] = lines[pos];
  };
  readBlock();
  const std::string wanted = text::UpperCase(userLanguage);
  while (pos < lines.size()) {
    std::string name = text::UpperCase(lines[pos++]);
    readBlock();
    if (name == wanted) break;
  }
}

bool LoadLanguageFile(EngineMessages& messages, platform::FileSystem& files, const std::string& path,
                      std::string_view userLanguage) {
  std::string bytes;
  if (files.ReadWholeFile(path, bytes) != platform::kSuccess) return false;
  messages.LoadLanguageText(bytes, userLanguage);
  return true;
}

std::string LanguageName(uint16_t languageId) {
  for (const auto& l : kLanguages)
    if (l.id == languageId) return l.name;
  // Another variant of a known language (English (United Kingdom), Spanish (Mexico),
  // ...) takes the name of the table's entry for the same primary language.
  const uint16_t primary = languageId & 0x3FF;
  for (const auto& l : kLanguages)
    if ((l.id & 0x3FF) == primary) return l.name;
  return {};
}

std::string WindowCaption(std::string_view title, bool logo) {
  static constexpr std::string_view kProduct = "Quorvane";
  static constexpr std::string_view kWizardSuffix = " Wizard";
  if (logo) return std::string(title);
  if (title.empty()) return std::string(kProduct) + std::string(kWizardSuffix);
  return std::string(title) + " - " + std::string(kProduct) + std::string(kWizardSuffix);
}

}  // namespace qv::startup
