#include "script/script.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace qv::script {
namespace {

// A small script with three lines: an If with a record, an End without one and a Label.
ScriptSections Sample() {
  ScriptSections s;
  s.commandNames = {"If", "End", "Label"};
  s.commandIds = {"{00000000-0000-0000-0000-00000000000A}", "{00000000-0000-0000-0000-00000000000B}",
                  "{00000000-0000-0000-0000-00000000000C}"};
  s.parameterLines = {"{00000000-0000-0000-0000-00000000000C}", "Start",
                      "{00000000-0000-0000-0000-00000000000A}", "$TITLE$", "0", "$", "FALSE"};
  s.lineFlags = {"", "", "C"};
  s.productCode = "{11111111-2222-3333-4444-555555555555}";
  s.productTitle = "Sample Product";
  s.pluginCommands = {"File Bag"};
  s.details = {"Publisher", "Contact", "http://help", "http://update", "Comments", "2.2.0.0"};
  s.lineMediaFolders = {"", "OFFLINE\\", ""};
  s.mediaMode = 2;
  s.componentSizes = {"KORV-PREDEF-COMPONENT", "54644079", "Docs", "12"};
  s.revisionCode = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  s.extractionMap = {"OFFLINE", "3D6A0028\\file.txt", "OFFLINE\\3D6A0028\\"};
  s.languageChoice = true;
  s.defaultLanguage = "English";
  s.commandHeaderMap = {"3D6A0028", "0", "2", "1"};
  s.compilerVariables = {"BUILDMODE", "SFX", "OUTER", "#INNER#-x", "INNER", "in"};
  s.fileNameCodePage = 1252;
  s.sourcePositions = {"C:\\Projects\\Demo\\main.zel*12", "C:\\Projects\\Demo\\main.zel", "lib.zel*x"};
  s.totalPayloadSize = 5000000000LL;
  s.fileGroups = {"3D6A0028", "NEWHEADER", "OFFLINE\\3D6A0028\\B51BE994\\file.txt", ""};
  return s;
}

TEST(ScriptLoader, ReadsEverySectionBack) {
  const ScriptSections in = Sample();
  const std::string text = WriteScript(in);
  Script script = LoadScript(text);
  const ScriptSections& s = script.Sections();
  EXPECT_EQ(s.commandNames, in.commandNames);
  EXPECT_EQ(s.commandIds, in.commandIds);
  EXPECT_EQ(s.parameterLines, in.parameterLines);
  EXPECT_EQ(s.lineFlags, in.lineFlags);
  EXPECT_EQ(s.productCode, in.productCode);
  EXPECT_EQ(s.productTitle, in.productTitle);
  EXPECT_EQ(s.pluginCommands, in.pluginCommands);
  EXPECT_EQ(s.details.version, "2.2.0.0");
  EXPECT_EQ(s.details.updateInfoLink, "http://update");
  EXPECT_EQ(s.lineMediaFolders, in.lineMediaFolders);
  EXPECT_EQ(s.mediaMode, 2);
  EXPECT_EQ(s.revisionCode, in.revisionCode);
  EXPECT_TRUE(s.languageChoice);
  EXPECT_EQ(s.defaultLanguage, "English");
  EXPECT_EQ(s.fileNameCodePage, 1252);
  EXPECT_EQ(s.totalPayloadSize, 5000000000LL);
  EXPECT_EQ(s.fileGroups, in.fileGroups);
  EXPECT_EQ(script.LineCount(), 3u);
  EXPECT_TRUE(script.IsSwitchedOff(2));
  EXPECT_EQ(WriteScript(s), text);
}

TEST(ScriptLoader, DataAfterTheLastSectionIsIgnored) {
  std::string text = WriteScript(Sample());
  text += std::string("\0\0\0certificate table", 22);
  EXPECT_EQ(LoadScript(text).Sections().fileGroups, Sample().fileGroups);
}

TEST(ScriptLoader, DollarTokensBecomeADollarOnlyAsWholeLines) {
  ScriptSections s = Sample();
  std::string text = WriteScript(s);
  // Replace the written token by the other spelling and mixed case.
  text = text::ReplaceAll(text, "$DOLLAR$", "$wild_Dollar$");
  s.parameterLines.push_back("cost: $DOLLAR$ each");
  s.parameterLines.push_back("$dollar$");
  Script a = LoadScript(text);
  EXPECT_EQ(a.Sections().parameterLines[5], "$");
  Script b = LoadScript(WriteScript(s));
  EXPECT_EQ(b.Sections().parameterLines[7], "cost: $DOLLAR$ each");
  EXPECT_EQ(b.Sections().parameterLines[8], "$");
}

TEST(ScriptLoader, LanguageChoiceIsCaseSensitive) {
  std::string text = WriteScript(Sample());
  text = text::ReplaceAll(text, "\r\nTRUE\r\nEnglish\r\n", "\r\ntrue\r\nEnglish\r\n");
  EXPECT_FALSE(LoadScript(text).Sections().languageChoice);
}

TEST(ScriptLoader, LoneLineFeedsAreLineEnds) {
  std::string text = text::ReplaceAll(WriteScript(Sample()), "\r\n", "\n");
  EXPECT_EQ(LoadScript(text).Sections().fileGroups, Sample().fileGroups);
}

TEST(ScriptLoader, DamagedTextsFailWithAClearError) {
  const std::string good = WriteScript(Sample());
  std::vector<std::string> lines = text::SplitLines(good);
  struct Case {
    const char* what;
    std::string text;
    const char* expect;
  } cases[] = {
      {"empty", "", "command names"},
      {"no terminator at all", "If\r\nEnd\r\n", "command names"},
      {"cut inside the parameters", text::JoinLines({lines.begin(), lines.begin() + 14}) + "\r\n", "parameter records"},
      {"cut before the payload size",
       text::JoinLines({lines.begin(), lines.end() - 6}) + "\r\n", "total payload size"},
      {"file groups not closed", good.substr(0, good.size() - 3), "file groups"},
      {"media mode not a number", text::ReplaceAll(good, "\r\n2\r\n", "\r\ntwo\r\n"), "media mode"},
      {"payload size not a number", text::ReplaceAll(good, "5000000000", "5e9"), "total payload size"},
      {"code page out of range", text::ReplaceAll(good, "\r\n1252\r\n", "\r\n99999999999\r\n"),
       "file-name code page"},
  };
  for (const auto& c : cases) {
    try {
      LoadScript(c.text);
      ADD_FAILURE() << c.what << ": loaded";
    } catch (const ScriptLoadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expect), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

TEST(Script, GetParameter) {
  Script script(Sample());
  const std::string ifId = "{00000000-0000-0000-0000-00000000000A}";
  EXPECT_EQ(script.GetParameter(ifId, 0), ifId);
  EXPECT_EQ(script.GetParameter(ifId, 1), "$TITLE$");
  EXPECT_EQ(script.GetParameter(ifId, 3), "$");
  // Ids are found without regard to letter case.
  EXPECT_EQ(script.GetParameter("{00000000-0000-0000-0000-00000000000a}", 2), "0");
  // A command without a record reads empty text.
  EXPECT_EQ(script.GetParameter("{00000000-0000-0000-0000-00000000000B}", 1), "");
  // Reading past the end of the table is an error, not a crash.
  EXPECT_THROW(script.GetParameter(ifId, 9), EngineError);
}

TEST(Script, FirstRecordOfADuplicatedIdWinsAndLaterTablesAreConsulted) {
  ScriptSections s = Sample();
  s.parameterLines = {"{ID}", "first", "{ID}", "second"};
  Script script(s);
  EXPECT_EQ(script.GetParameter("{ID}", 1), "first");
  script.AddParameterTable({"{PLUGIN}", "p1"});
  EXPECT_EQ(script.GetParameter("{plugin}", 1), "p1");
}

TEST(Script, CompilerVariables) {
  Script script(Sample());
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"#BUILDMODE#", "SFX"},
      {"mode=#buildmode#;", "mode=SFX;"},
      {"#LOCMODE#", "#LOCMODE#"},  // unknown stays, so callers can tell it is not set
      {"#OUTER#", "in-x"},         // a value that names another variable is expanded again
      {"no hash", "no hash"},
  };
  for (const auto& c : cases) EXPECT_EQ(script.ExpandCompilerVariables(c.in), c.out) << c.in;

  ScriptSections loop = Sample();
  loop.compilerVariables = {"A", "#A##A#"};
  Script growing(loop);
  // A variable that keeps producing references ends instead of running forever.
  std::string result = growing.ExpandCompilerVariables("#A#");
  EXPECT_NE(result.find("#A#"), std::string::npos);
}

TEST(Script, HeaderIds) {
  Script script(Sample());
  EXPECT_EQ(script.GetHeaderId(0, false), "3D6A0028");
  // "2" is a header id at an even position; only line numbers are matched.
  EXPECT_THROW(script.GetHeaderId(2, false), EngineError);
  EXPECT_EQ(script.GetHeaderId(2, false, true), "");
  // With the native engine, commands that carry no files have none and raise nothing.
  EXPECT_EQ(script.GetHeaderId(0, true), "");
  try {
    script.GetHeaderId(2, false);
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
  }
}

TEST(Script, ComponentSizesAndSources) {
  Script script(Sample());
  EXPECT_EQ(script.GetComponentSize("korv-predef-component"), 54644079);
  EXPECT_EQ(script.GetComponentSize("Docs"), 12);
  EXPECT_EQ(script.GetComponentSize("Missing"), 0);
  EXPECT_EQ(script.SourceFileOf(0), "main");
  EXPECT_EQ(script.SourceLineOf(0), 13);
  EXPECT_EQ(script.SourceFileOf(1), "");  // no "*"
  EXPECT_EQ(script.SourceLineOf(1), 1);
  EXPECT_EQ(script.SourceLineOf(2), 1);  // not a number
  EXPECT_EQ(script.SourceLineOf(99), 1);
}

TEST(Script, WebMediaPasswords) {
  ScriptSections s = Sample();
  s.webMediaPasswords = {"Docs", ScramblePassword("s3cret!"), "Empty", "", "offline",
                         ScramblePassword("fallback")};
  Script script(s);
  EXPECT_EQ(script.GetWebMediaPassword("docs"), "s3cret!");
  EXPECT_EQ(script.GetWebMediaPassword("Empty"), "fallback");
  EXPECT_EQ(script.GetWebMediaPassword("Other"), "fallback");
  // The stored form: low digit first, then each character XORed with its position.
  EXPECT_EQ(UnscramblePassword(std::string("1") + char('4' ^ 1)), "A");
  for (std::string p : {"", "a", "P@ss w0rd \xE9\xFF"}) EXPECT_EQ(UnscramblePassword(ScramblePassword(p)), p);
  // A long password whose stored form would hold a line break is refused at build time.
  EXPECT_THROW(ScramblePassword(std::string(40, '0')), EngineError);
}

}  // namespace
}  // namespace qv::script
