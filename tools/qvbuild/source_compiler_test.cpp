#include "tools/qvbuild/source_compiler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "tools/qvbuild/guid.h"

namespace qv::authoring {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kHeader =
    "Setup\n"
    "  ProductCode {11111111-2222-4333-8444-555555555555}\n"
    "  Title Demo\n"
    "End Setup\n";  // the body starts on line 5
const std::string kRevision = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";

Compilation Build(const std::string& source, MemorySourceReader reader = {}) {
  CompileOptions options;
  options.revisionCode = kRevision;
  return CompileText(source, "setup.qvs", reader, options);
}

std::vector<std::string> Errors(const Compilation& c) {
  std::vector<std::string> out;
  for (const auto& d : c.diagnostics.All()) out.push_back(FormatDiagnostic(d));
  return out;
}

// The parameter record of line i: the lines after its id up to the next id.
std::vector<std::string> Record(const script::ScriptSections& s, size_t i) {
  const auto& lines = s.parameterLines;
  auto isId = [&](const std::string& l) {
    return std::find(s.commandIds.begin(), s.commandIds.end(), l) != s.commandIds.end();
  };
  std::vector<std::string> out;
  auto at = std::find(lines.begin(), lines.end(), s.commandIds[i]);
  if (at == lines.end()) return out;
  for (++at; at != lines.end() && !isId(*at); ++at) out.push_back(*at);
  return out;
}

bool HasRecord(const script::ScriptSections& s, size_t i) {
  return std::find(s.parameterLines.begin(), s.parameterLines.end(), s.commandIds[i]) != s.parameterLines.end();
}

TEST(SourceCompiler, StatementsCompileToTheStoredFormTheEngineReads) {
  struct Case {
    std::string statement;
    std::string name;
    std::vector<std::string> record;
    bool hasRecord = true;
    std::string flag = "";
  } cases[] = {
      // Conditions: operator names and "not" become the code and the negation flag.
      {"If $OS$ equals XP", "If", {"$OS$", "0", "XP", "FALSE"}},
      {"If not OS contains-any-case \"Windows 7\"", "If", {"OS", "3", "Windows 7", "TRUE"}},
      {"Else If X defined", "Else If", {"X", "5", "", "FALSE"}},
      {"While N greater-than 3", "While", {"N", "2", "3", "FALSE"}},
      {"Until V version-greater-than 1.2.0.0", "Until", {"V", "6", "1.2.0.0", "FALSE"}},
      {"If X contains a", "If", {"X", "1", "a", "FALSE"}},
      {"If X equals-any-case a", "If", {"X", "4", "a", "FALSE"}},
      {"If X 4 abc TRUE", "If", {"X", "4", "abc", "TRUE"}},
      {"If \"not\" equals x", "If", {"not", "0", "x", "FALSE"}},
      {"If not equals x", "If", {"not", "0", "x", "FALSE"}},
      // The save option of Set Variable.
      {"Set Variable NAME value save", "Set Variable", {"NAME$KORV$KORV$TRUE", "value"}},
      {"Set Variable NAME value nosave", "Set Variable", {"NAME$KORV$KORV$FALSE", "value"}},
      {"Set Variable NAME save", "Set Variable", {"NAME", "save"}},
      {"Set Variable $NAME$ \"two words\"", "Set Variable", {"$NAME$", "two words"}},
      {"Set Variable X", "Set Variable", {"X", ""}},
      // Flags: TRUE/FALSE in any case are stored upper-case; quoted texts as they are.
      {"Display Dialog welcome WIZARD true", "Display Dialog", {"welcome", "WIZARD", "TRUE", "", "", ""}},
      {"Display Dialog welcome WIZARD \"true\"", "Display Dialog", {"welcome", "WIZARD", "true", "", "", ""}},
      {"Display Dialog welcome \"\" $MODAL$ SKIP \"\" -1",
       "Display Dialog",
       {"welcome", "", "$MODAL$", "SKIP", "", "-1"}},
      // Switched off, commented out, no record, raw names, free texts.
      {"off: Create Folder $TARGETDIR$", "Create Folder", {"$TARGETDIR$"}, true, "C"},
      {"rem: Set Variable X 1", "Comment", {"X", "1"}},
      {"off: rem: Set Variable X 1", "Comment", {"X", "1"}, true, "C"},
      {"rem: End", "Comment", {}, false},
      {"End", "End", {}, false},
      {"Comment", "Comment", {}, false},
      {"Comment \"a note\" b", "Comment", {"a note", "b"}},
      {"\"Future Command\" a b", "Future Command", {"a", "b"}},
      {"\"Set Variable\" A", "Set Variable", {"A"}},
      {"\"Label\"", "Label", {}, false},
      // Words, quotes, comments and the longest command name.
      {"Replace String X \"say \"\"hi\"\"\" \"\" TRUE", "Replace String", {"X", "say \"hi\"", "", "TRUE", ""}},
      {"Set Variable PRICE \"\xE2\x82\xAC"
       "5 \xE2\x80\x93 caf\xC3\xA9\"",
       "Set Variable",
       {"PRICE",
        "\x80"
        "5 \x96 caf\xE9"}},
      {"Delete Files Recursive C:\\x\\*.tmp", "Delete Files Recursive", {"C:\\x\\*.tmp"}},
      {"Delete Files \"Recursive\" *.tmp TRUE", "Delete Files", {"Recursive", "*.tmp", "TRUE", ""}},
      {"Set Variable X a // a comment", "Set Variable", {"X", "a"}},
      {"Set Variable URL https://example.com//x", "Set Variable", {"URL", "https://example.com//x"}},
      {"Create Shortcut a b \\\n    c", "Create Shortcut", {"a", "b", "c", "", "", "", "", "", ""}},
      {"Terminate with Exit Code $CODE$", "Terminate with Exit Code", {"$CODE$"}},
      {"Mathematics A \"\" 11 R", "Mathematics", {"A", "", "11", "R"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    Compilation r = Build(kHeader + c.statement + "\n");
    ASSERT_TRUE(r.Ok()) << ::testing::PrintToString(Errors(r));
    const auto& s = r.sections;
    ASSERT_EQ(s.commandNames.size(), 1u);
    EXPECT_EQ(s.commandNames[0], c.name);
    EXPECT_EQ(HasRecord(s, 0), c.hasRecord);
    if (c.hasRecord) {
      EXPECT_EQ(Record(s, 0), c.record);
    }
    EXPECT_EQ(s.lineFlags[0], c.flag);
  }
}

TEST(SourceCompiler, ALoneDollarParameterIsWrittenAsTheTokenAndReadsBackAsDollar) {
  Compilation r = Build(kHeader + "Set Variable D \"$\"\n");
  ASSERT_TRUE(r.Ok());
  std::string text = script::WriteScript(r.sections);
  EXPECT_THAT(text, HasSubstr("\r\nD\r\n$DOLLAR$\r\n"));
  EXPECT_EQ(script::LoadScript(text).GetParameter(r.sections.commandIds[0], 2), "$");
}

TEST(SourceCompiler, HeaderFieldsAndRawSectionsLandInTheirSections) {
  Compilation r = Build(
      "Setup\n"
      "  ProductCode {11111111-2222-4333-8444-555555555555}\n"
      "  Title \"Photo Viewer\"\n"
      "  Publisher Brelmont\n  Contact a@b.example\n  HelpLink https://h\n  UpdateLink https://u\n"
      "  Comments \"some text\"\n  Version 2.4.1.0\n  MediaMode 2\n  DefaultLanguage Deutsch\n"
      "  LanguageChoice true\n  FileNameCodePage 1250\n  PayloadSize 9000000000\n"
      "  PluginCommand \"File Bag\"\n  CompilerVariable BUILDMODE SFX\n  ComponentSize Core 1024\n"
      "  ExtractionMap OFFLINE a\\b.txt OFFLINE\\x\\\n  CommandHeader 3D6A0028 0\n"
      "  FileGroup 3D6A0028\n  GroupFile OFFLINE\\3D6A0028\\B51BE994\\a.txt \"\"\n"
      "  WebMediaPassword OFFLINE secret\n  StoredWebMediaPassword Other 3\n"
      "End Setup\n"
      "Create Folder x  @header 0000ABCD @media OFFLINE\\\n");
  ASSERT_TRUE(r.Ok()) << ::testing::PrintToString(Errors(r));
  const auto& s = r.sections;
  EXPECT_EQ(s.productTitle, "Photo Viewer");
  EXPECT_EQ(s.details.publisher, "Brelmont");
  EXPECT_EQ(s.details.contact, "a@b.example");
  EXPECT_EQ(s.details.helpLink, "https://h");
  EXPECT_EQ(s.details.updateInfoLink, "https://u");
  EXPECT_EQ(s.details.comments, "some text");
  EXPECT_EQ(s.details.version, "2.4.1.0");
  EXPECT_EQ(s.mediaMode, 2);
  EXPECT_EQ(s.defaultLanguage, "Deutsch");
  EXPECT_TRUE(s.languageChoice);
  EXPECT_EQ(s.fileNameCodePage, 1250);
  EXPECT_EQ(s.totalPayloadSize, 9000000000);
  EXPECT_THAT(s.pluginCommands, ElementsAre("File Bag"));
  EXPECT_THAT(s.compilerVariables, ElementsAre("BUILDMODE", "SFX"));
  EXPECT_THAT(s.componentSizes, ElementsAre("Core", "1024"));
  EXPECT_THAT(s.extractionMap, ElementsAre("OFFLINE", "a\\b.txt", "OFFLINE\\x\\"));
  // Raw entries first, then the @header annotations with their line indexes.
  EXPECT_THAT(s.commandHeaderMap, ElementsAre("3D6A0028", "0", "0000ABCD", "0"));
  EXPECT_THAT(s.fileGroups, ElementsAre("3D6A0028", "NEWHEADER", "OFFLINE\\3D6A0028\\B51BE994\\a.txt", ""));
  ASSERT_EQ(s.webMediaPasswords.size(), 4u);
  EXPECT_EQ(s.webMediaPasswords[1], script::ScramblePassword("secret"));
  EXPECT_EQ(script::Script(s).GetWebMediaPassword("offline"), "secret");
  EXPECT_EQ(s.webMediaPasswords[3], "3");
  EXPECT_THAT(s.lineMediaFolders, ElementsAre("OFFLINE\\"));
  EXPECT_EQ(s.revisionCode, kRevision);

  Compilation defaults = Build(kHeader);
  ASSERT_TRUE(defaults.Ok());
  EXPECT_EQ(defaults.sections.mediaMode, 1);
  EXPECT_EQ(defaults.sections.defaultLanguage, "English");
  EXPECT_FALSE(defaults.sections.languageChoice);
  EXPECT_EQ(defaults.sections.fileNameCodePage, 1252);
  EXPECT_TRUE(defaults.sections.commandNames.empty());
}

TEST(SourceCompiler, IdsAreUpperCaseGuidsThatARebuildAndEditsElsewhereKeep) {
  std::string body = "Set Variable A 1\nSet Variable B 2\nSet Variable A 3\nrem: Label Start\nEnd\n";
  Compilation first = Build(kHeader + body);
  Compilation again = Build(kHeader + body);
  ASSERT_TRUE(first.Ok());
  const auto& ids = first.sections.commandIds;
  EXPECT_EQ(ids, again.sections.commandIds);
  std::set<std::string> unique(ids.begin(), ids.end());
  EXPECT_EQ(unique.size(), ids.size());
  for (const auto& id : ids) {
    EXPECT_TRUE(IsGuid(id)) << id;
    EXPECT_EQ(id, FormatGuid(*ParseGuid(id))) << "upper-case hex";
  }
  // Inserting a line of another command keeps every other id; commenting a line out
  // and changing a value keep its id too.
  Compilation edited = Build(kHeader +
                             "Create Folder x\nSet Variable A 10\nSet Variable B 2\nSet Variable A 3\n"
                             "Label Start\nEnd\n");
  ASSERT_TRUE(edited.Ok());
  EXPECT_EQ(std::vector<std::string>(edited.sections.commandIds.begin() + 1, edited.sections.commandIds.end()), ids);
  // Another product gets other ids.
  Compilation other =
      Build("Setup\n  ProductCode {99999999-2222-4333-8444-555555555555}\n  Title Demo\nEnd Setup\n" + body);
  EXPECT_NE(other.sections.commandIds[0], ids[0]);
}

TEST(SourceCompiler, AnnotatedIdsAreKeptAndMayNotRepeat) {
  Compilation r = Build(kHeader + "Set Variable A 1  @id {0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}\nSet Variable B 2\n");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.sections.commandIds[0], "{0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}");
  Compilation twice = Build(kHeader +
                            "End  @id {0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}\n"
                            "End  @id {0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}\n");
  EXPECT_THAT(Errors(twice), ElementsAre(HasSubstr("setup.qvs:6:1: the id {0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d} is "
                                                   "already used at setup.qvs:5")));
}

TEST(SourceCompiler, SourcePositionsAndMessagesNameTheFileAndLineOfIncludedStatements) {
  MemorySourceReader reader;
  reader.files["proj/lib/common.qvs"] = "// shared lines\n\nSet Variable SHARED 1\ninclude \"../more.qvs\"\n";
  reader.files["proj/more.qvs"] = "Frobnicate\nEnd\n";
  CompileOptions options;
  options.revisionCode = kRevision;
  Compilation r = CompileText(kHeader + "Set Variable A 1\ninclude lib/common.qvs\nSet Variable B 2\n",
                              "proj/setup.qvs", reader, options);
  EXPECT_THAT(Errors(r), ElementsAre(HasSubstr("proj/more.qvs:1:1: unknown command \"Frobnicate\"")));
  EXPECT_THAT(r.sections.sourcePositions, ElementsAre("setup.qvs*4", "lib\\common.qvs*2", "more.qvs*1", "setup.qvs*6"));
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_EQ(r.lines[1].file, "proj/lib/common.qvs");
  EXPECT_EQ(r.lines[1].line, 3);

  Compilation at = Build(kHeader + "End  @at \"C:\\Projects\\old.zel*41\"\n");
  EXPECT_THAT(at.sections.sourcePositions, ElementsAre("C:\\Projects\\old.zel*41"));

  MemorySourceReader loop;
  loop.files["a.qvs"] = "include b.qvs\n";
  loop.files["b.qvs"] = "include a.qvs\n";
  Compilation cycle = CompileText(kHeader + "include a.qvs\n", "setup.qvs", loop, options);
  EXPECT_THAT(Errors(cycle), ElementsAre(HasSubstr("b.qvs:1:9: \"a.qvs\" is included a second time")));
}

TEST(SourceCompiler, TheRevisionCodeIsFixedOnRequestAndNewForEachReleaseBuild) {
  MemorySourceReader reader;
  Compilation release1 = CompileText(kHeader, "setup.qvs", reader);
  Compilation release2 = CompileText(kHeader, "setup.qvs", reader);
  EXPECT_TRUE(IsGuid(release1.sections.revisionCode));
  EXPECT_NE(release1.sections.revisionCode, release2.sections.revisionCode);

  std::string fixedHeader =
      "Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\n  Title Demo\n"
      "  RevisionCode {12345678-1234-4234-8234-123456789ABC}\nEnd Setup\n";
  EXPECT_EQ(CompileText(fixedHeader, "setup.qvs", reader).sections.revisionCode,
            "{12345678-1234-4234-8234-123456789ABC}");
  CompileOptions options;
  options.revisionCode = kRevision;
  EXPECT_EQ(CompileText(fixedHeader, "setup.qvs", reader, options).sections.revisionCode, kRevision);
}

TEST(SourceCompiler, BadSourcesGetClearPositionedMessages) {
  struct Case {
    std::string source;
    std::string message;
  } cases[] = {
      {kHeader + "Set Varible X 1\n", "setup.qvs:5:1: unknown command \"Set Varible\"; did you mean \"Set Variable\"?"},
      {kHeader + "Lable Start\n", "setup.qvs:5:1: unknown command \"Lable\"; did you mean \"Label\"?"},
      {kHeader + "set variable X 1\n",
       "setup.qvs:5:1: unknown command \"set variable\"; command names are case-sensitive: did you mean \"Set "
       "Variable\"?"},
      {kHeader + "Frobnicate X\n",
       "setup.qvs:5:1: unknown command \"Frobnicate\" (a command the builder does not "
       "know can be given by its name in quotes)"},
      {kHeader + "Set Variable X \"abc\n",
       "setup.qvs:5:16: unterminated quoted text: a quoted text must end on its own line"},
      {kHeader + "Set Variable X \"a\"b\n", "setup.qvs:5:19: a quoted text must be followed by a blank"},
      {kHeader + "Set Variable X a\"b\n", "setup.qvs:5:17: a double quote inside a word"},
      {kHeader + "Set Variable X 1 2\n",
       "setup.qvs:5:18: \"Set Variable\" takes NAME VALUE and optionally the word "
       "save or nosave; 3 words given"},
      {kHeader + "Create Folder a b\n", "setup.qvs:5:17: \"Create Folder\" takes 1 parameter (folder); 2 given"},
      {kHeader + "End x\n", "setup.qvs:5:5: \"End\" takes 0 parameters; 1 given"},
      {kHeader + "Display Dialog d r maybe\n",
       "setup.qvs:5:20: parameter 3 (modal) of \"Display Dialog\" is a flag: write TRUE or FALSE"},
      {kHeader + "Extract Path X first\n", "setup.qvs:5:16: parameter 2 (mode) of \"Extract Path\" is a number"},
      {kHeader + "If X equals\n", "setup.qvs:5:6: the operator equals needs a value to compare with"},
      {kHeader + "If X defined Y\n", "setup.qvs:5:14: too many words in the condition"},
      {kHeader + "Set Variable X \"a\xE2\x86\x92\"\n",
       "setup.qvs:5:18: the character U+2192 has no byte in the ANSI code page (1252) of the script"},
      {kHeader + "Set Variable X 1 @foo bar\n", "setup.qvs:5:18: unknown annotation @foo"},
      {kHeader + "@id {0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}\n",
       "setup.qvs:5:1: an annotation (@...) must follow a command on the same line"},
      {kHeader + "Set Variable X 1 \\\n", "setup.qvs:5:18: the last line ends with a line continuation"},
      {kHeader + "include missing.qvs\n", "setup.qvs:5:9: cannot read the included file \"missing.qvs\""},
      {"Set Variable X 1\n", "setup.qvs:1:1: the source must start with a Setup header"},
      {"Setup\n  Title Demo\nEnd Setup\n", "setup.qvs:1:1: the Setup header has no ProductCode"},
      {"Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\nEnd Setup\n",
       "setup.qvs:1:1: the Setup header has no Title"},
      {"Setup\n  ProductCode 1234\n  Title Demo\nEnd Setup\n", "setup.qvs:2:15: ProductCode must be a GUID in braces"},
      {"Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\n  Title Demo\n",
       "setup.qvs:1:1: the Setup header is not closed: End Setup is missing"},
      {kHeader.substr(0, kHeader.size() - 10) + "  Titel Demo\nEnd Setup\n",
       "setup.qvs:4:3: unknown Setup header entry \"Titel\""},
      {kHeader.substr(0, kHeader.size() - 10) + "  Title Again\nEnd Setup\n",
       "setup.qvs:4:3: Title is given twice (first at line 3)"},
      {kHeader.substr(0, kHeader.size() - 10) + "  MediaMode web\nEnd Setup\n",
       "setup.qvs:4:13: MediaMode must be a number"},
      {kHeader.substr(0, kHeader.size() - 10) + "  CompilerVariable ONLYNAME\nEnd Setup\n",
       "setup.qvs:4:3: CompilerVariable takes 2 values; 1 given"},
      {kHeader.substr(0, kHeader.size() - 10) + "  WebMediaPassword OFFLINE " + std::string(40, 'x') + "\nEnd Setup\n",
       "setup.qvs:4:28: This password cannot be stored in a setup script"},
      {kHeader + "Set Variable X 1\nSetup\n", "setup.qvs:6:1: a Setup header can only come first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Compilation r = Build(c.source);
    EXPECT_FALSE(r.Ok());
    EXPECT_THAT(Errors(r), ::testing::Contains(HasSubstr(c.message)));
  }
}

TEST(SourceCompiler, APlugInCommandThatTheHeaderDoesNotListIsWarnedAbout) {
  Compilation r = Build(kHeader + "File Bag \"a,b\" Bag\\bag.dll\n");
  ASSERT_TRUE(r.Ok());
  EXPECT_THAT(Errors(r), ElementsAre(HasSubstr("setup.qvs:5:1: warning: \"File Bag\" runs as a plug-in only when the "
                                               "Setup header lists it")));
  Compilation own = Build(
      "Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\n  Title Demo\n"
      "  PluginCommand \"My Tool\"\nEnd Setup\nMy Tool \"a,b\" Tool\\tool.dll\n");
  ASSERT_TRUE(own.Ok()) << ::testing::PrintToString(Errors(own));
  EXPECT_TRUE(Errors(own).empty());
  EXPECT_EQ(own.sections.commandNames[0], "My Tool");
  EXPECT_EQ(Record(own.sections, 0), (std::vector<std::string>{"a,b", "Tool\\tool.dll"}));
}

// Whatever the bytes, the builder answers with messages: damaged copies of a real source
// (bytes dropped, doubled, replaced by quotes, backslashes, @ and invalid UTF-8).
TEST(SourceCompiler, DamagedSourcesGetMessagesNeverACrash) {
  const std::string source = kHeader +
                             "If not $A$ equals \"x y\"\n  Set Variable B \"a \"\"q\"\"\" save  @id "
                             "{0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}\n"
                             "Else If B defined\n  off: rem: Display Dialog d R TRUE \\\n     S \"\" FALSE\nEnd\n"
                             "\"Raw\" a b  @media M\\ @header 1 @flag X\nComment caf\xC3\xA9 // note\n";
  const char noise[] = {'"', '\\', '@', ' ', '\n', '\r', '\xC3', '\xFF', '$', '/', '\0', 'x'};
  std::mt19937 random(314);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = source;
    for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
      size_t at = random() % damaged.size();
      switch (random() % 3) {
        case 0:
          damaged.erase(at, 1 + random() % 8);
          break;
        case 1:
          damaged.insert(at, damaged.substr(at, random() % 12));
          break;
        default:
          damaged[at] = noise[random() % sizeof noise];
          break;
      }
      if (damaged.empty()) damaged = "x";
    }
    Compilation c = Build(damaged);
    if (!c.Ok()) {
      for (const auto& d : c.diagnostics.All()) ASSERT_FALSE(d.message.empty());
      continue;
    }
    EXPECT_EQ(c.sections.commandNames.size(), c.sections.commandIds.size());
    EXPECT_NO_THROW(script::WriteScript(c.sections)) << damaged;
  }
}

}  // namespace
}  // namespace qv::authoring
