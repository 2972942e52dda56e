#include "tools/qvbuild/decompiler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "support/pe_fixture.h"
#include "support/script_builder.h"
#include "tools/qvbuild/command_catalog.h"
#include "tools/qvbuild/source_compiler.h"

namespace qv::authoring {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::string Messages(const Compilation& c) {
  std::string out;
  for (const auto& d : c.diagnostics.All()) out += FormatDiagnostic(d) + "\n";
  return out;
}

// decompile(compile(source)) must build the very same script text.
void ExpectRoundTrip(const Compilation& built) {
  ASSERT_TRUE(built.Ok()) << Messages(built);
  Decompilation d = Decompile(built.sections);
  EXPECT_THAT(d.notes, ::testing::IsEmpty()) << d.source;
  MemorySourceReader none;
  Compilation again = CompileText(d.source, "decompiled.qvs", none);
  ASSERT_TRUE(again.Ok()) << Messages(again) << d.source;
  EXPECT_EQ(script::WriteScript(again.sections), script::WriteScript(built.sections)) << d.source;
}

TEST(Decompiler, EveryExampleRoundTripsToTheSameScript) {
  size_t examples = 0;
  for (const auto& entry : fs::directory_iterator(kSourceRoot / "examples")) {
    fs::path source = entry.path() / "setup.qvs";
    if (!fs::exists(source)) continue;
    SCOPED_TRACE(source.string());
    ++examples;
    DiskSourceReader disk;
    ExpectRoundTrip(CompileSource(source.string(), disk));
  }
  EXPECT_GE(examples, 2u);
}

// Values that test the bare-word and quoting rules of each kind.
std::vector<std::string> Samples(Kind kind) {
  switch (kind) {
    case Kind::Flag:
      return {"TRUE", "FALSE", "\"true\"", "$FLAG$", "-1", "\"\"", "\"yes\""};
    case Kind::Number:
      return {"0", "-12", "$COUNT$", "\"abc\"", "+7", "\"\""};
    case Kind::Variable:
      return {"RESULT", "$RESULT$", "\"not\"", "\"with blank\""};
    case Kind::Path:
      return {"$TARGETDIR$bin\\", "\"C:\\Program Files\\App\"", "\"\\\"", "\\\\server\\share"};
    case Kind::Text:
      break;
  }
  return {"plain",
          "\"two words\"",
          "\"say \"\"hi\"\"\"",
          "\"//not a comment\"",
          "\"@home\"",
          "\"\"",
          "caf\xC3\xA9\xE2\x82\xAC",
          "\"$\"",
          "equals",
          "\"save\"",
          "a,b|c",
          "#LOCMODE#"};
}

// A source that uses every command of the language, with parameters of every kind and
// every written form, switched-off and commented-out lines, raw names and annotations.
std::string EveryCommandSource() {
  std::string s =
      "Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\n  Title \"Every Command\"\n"
      "  PluginCommand \"File Bag\"\n  PluginCommand \"Windows Installer\"\n  PluginCommand \"(Un)Install MSI Setup\"\n"
      "  PluginCommand \"Own Plug-in\"\n"
      "  WebMediaPassword OFFLINE \"p@ss w\xC3\xB6rd\"\n  ExtractionMap OFFLINE a\\b.txt OFFLINE\\x\\\n"
      "  FileGroup 3D6A0028\n  GroupFile OFFLINE\\3D6A0028\\B51BE994\\a.txt \"\"\n"
      "  ComponentSize KORV-PREDEF-COMPONENT 54644079\n  PayloadSize 54658415\n"
      "  CompilerVariable BUILDMODE SFX\nEnd Setup\n";
  size_t n = 0;
  for (const auto& c : Commands()) {
    std::string line(c.name);
    if (c.form == Form::Condition) {
      const auto& ops = ConditionOperators();
      const auto& op = ops[n % ops.size()];
      line += (n % 2 ? " not" : "") + std::string(" $VAR$ ") + std::string(op.word) + (op.takesValue ? " \"x y\"" : "");
    } else if (c.form == Form::SetVariable) {
      line += n % 2 ? " NAME \"a value\" save" : " $NAME$ value nosave";
    } else {
      for (size_t k = 0; k < c.parameters.size(); ++k) {
        auto samples = Samples(c.parameters[k].kind);
        line += " " + samples[(n + k) % samples.size()];
      }
    }
    s += line + "\n";
    // Each command once more in other forms: switched off, commented out, with the
    // parameters left out, and with annotations.
    s += (n % 3 == 0 ? "off: " : n % 3 == 1 ? "rem: " : "off: rem: ") + line + "\n";
    s += std::string(c.name) + "  @media OFFLINE\\ @flag X @header " + std::to_string(1000 + n) + "\n";
    ++n;
  }
  s += "Own Plug-in \"a, b\" Own\\own.dll\n";
  s += "\"Compiler Variable If\" BUILDMODE SFX\n\"Set Variable\" ONLYNAME\n\"Label\"\n";
  s += "If X 9 \"\" \"maybe\"\nIf X 0 \"\" TRUE\nIf X defined\nSet Variable \"A$KORV$KORV$yes\" 1\n";
  s += "Comment \"\"\nComment\nIgnore a b c\n";
  return s;
}

TEST(Decompiler, AScriptThatUsesEveryCommandRoundTripsToTheSameScript) {
  MemorySourceReader none;
  CompileOptions options;
  options.revisionCode = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
  Compilation built = CompileText(EveryCommandSource(), "every.qvs", none, options);
  ExpectRoundTrip(built);
  EXPECT_EQ(built.sections.commandNames.size(), 3 * Commands().size() + 11);
}

// Scripts another builder may have written: records that do not fit the command,
// unknown names, flag and marker texts this builder would not write, tables out of line
// order. Decompiling them must still give a source that builds the same script.
TEST(Decompiler, IrregularScriptsStillRoundTrip) {
  using testing::ScriptLine;
  script::ScriptSections s = testing::BuildScript({
      {"Set Variable", {"A", "1", "extra line"}},            // more lines than the command reads
      {"Display Dialog", {"welcome"}},                       // fewer
      {"Label"},                                             // no record at all
      {"If", {"X", "0", "", "true"}},                        // a negation flag written in lower case
      {"If", {"X", "7", "", "FALSE"}},                       // an operator code the engine does not know
      {"Set Variable", {"B$KORV$KORV$maybe", "2"}},          // an unknown save option
      {"Display Dialog", {"d", "R", "yes", "", "", "no"}},   // flag texts that are not TRUE/FALSE
      {"Extract Path", {"X", "three"}},                      // a number that is not one
      {"Compiler Variable If", {"BUILDMODE", "SFX"}},        // a name the catalog does not know
      {"Comment", {"first", "second", "third"}},             // a commented-out command
      {"Set Variable", {"$", "$"}},                          // lone dollars
      {"Delete Files", {"Recursive", "*.tmp", "TRUE", ""}},  // a first word that extends the name
      {"If", {"not", "0", "equals", "FALSE"}},               // keywords as values
  });
  s.lineFlags[1] = "X";
  s.lineMediaFolders[2] = "OFFLINE\\";
  s.pluginCommands = {"File Bag"};
  s.commandHeaderMap = {"ABC", "5", "DEF", "2", "GHI", "junk"};  // not in line order
  s.webMediaPasswords = {"OFFLINE", "not scrambled"};
  s.fileGroups = {"3D6A0028", "NEWHEADER", "a", "", "odd"};
  s.details.contact = "";
  s.languageChoice = true;
  s.mediaMode = 2;
  s.totalPayloadSize = 123;
  // Loading and writing again first: the script as a setup carries it.
  script::ScriptSections loaded = script::LoadScript(script::WriteScript(s)).Sections();
  Decompilation d = Decompile(loaded);
  EXPECT_THAT(d.notes, ::testing::IsEmpty()) << d.source;
  MemorySourceReader none;
  Compilation again = CompileText(d.source, "decompiled.qvs", none);
  ASSERT_TRUE(again.Ok()) << Messages(again) << d.source;
  EXPECT_EQ(script::WriteScript(again.sections), script::WriteScript(loaded)) << d.source;
  EXPECT_THAT(d.source, HasSubstr("\"Set Variable\" A 1 \"extra line\""));
  EXPECT_THAT(d.source, HasSubstr("\"Label\"  @id"));
  EXPECT_THAT(d.source, HasSubstr("Delete Files \"Recursive\" *.tmp TRUE"));
}

// Records in another order than the lines (as another builder may group them by
// command) read the same in the engine, but a rebuild writes them in line order: the
// decompiler says so instead of claiming the same script.
TEST(Decompiler, ADifferenceOfTheRebuiltScriptIsReported) {
  script::ScriptSections s = testing::BuildScript({{"Set Variable", {"A", "1"}}, {"Label", {"Start"}}});
  std::rotate(s.parameterLines.begin(), s.parameterLines.begin() + 3, s.parameterLines.end());
  Decompilation d = Decompile(s);
  EXPECT_THAT(d.notes, ::testing::ElementsAre("building the source gives a different script: parameter records differ "
                                              "from entry 1"));
  EXPECT_THAT(d.source, ::testing::StartsWith("// Decompiled by qvbuild; building it does not give the same script"));
  EXPECT_THAT(d.source, HasSubstr("\nSet Variable A 1  @id"));
  EXPECT_THAT(d.source, HasSubstr("\nLabel Start  @id"));
}

TEST(Decompiler, ReadableFormsAreChosenWhereTheyReadBackTheSame) {
  MemorySourceReader none;
  CompileOptions options;
  options.revisionCode = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
  Compilation built = CompileText(
      "Setup\n  ProductCode {11111111-2222-4333-8444-555555555555}\n  Title Demo\nEnd Setup\n"
      "If not $OS$ contains-any-case \"Windows 7\"\n  Set Variable KEEP yes save\nElse\n"
      "  Display Dialog welcome WIZARD TRUE\nEnd\nWhile N greater-than 3\n  off: Set Variable N 0\nWend\n",
      "setup.qvs", none, options);
  ASSERT_TRUE(built.Ok()) << Messages(built);
  DecompileOptions noPositions;
  noPositions.keepPositions = false;
  Decompilation d = Decompile(built.sections, noPositions);
  EXPECT_THAT(d.notes, ::testing::IsEmpty());
  EXPECT_THAT(d.source, HasSubstr("\nIf not $OS$ contains-any-case \"Windows 7\"  @id {"));
  EXPECT_THAT(d.source, HasSubstr("\n  Set Variable KEEP yes save  @id {"));
  EXPECT_THAT(d.source, HasSubstr("\nElse  @id {"));
  EXPECT_THAT(d.source, HasSubstr("\n  Display Dialog welcome WIZARD TRUE  @id {"));
  EXPECT_THAT(d.source, HasSubstr("\n  off: Set Variable N 0  @id {"));
  EXPECT_THAT(d.source, ::testing::Not(HasSubstr("@at")));
}

TEST(Decompiler, ReadsTheScriptAfterTheImageOfASetupExecutable) {
  script::ScriptSections s = testing::BuildScript({{"Set Variable", {"A", "1"}}, {"End"}});
  std::string script = script::WriteScript(s);
  std::string image = qv::testing::MakePeImage({{".text", 0x400}, {".data", 0x200}});
  // A signed setup has its certificate (and padding) after the script.
  std::string exe = image + script + std::string(16, '\0') + "certificate";
  EXPECT_EQ(script::WriteScript(ReadSetupScript(exe)), script);
  EXPECT_EQ(script::WriteScript(ReadSetupScript(script)), script);
  EXPECT_THROW(ReadSetupScript(image), EngineError);
  EXPECT_THROW(ReadSetupScript(image + "Set Variable\r\n$\r\n"), script::ScriptLoadError);
}

// Damaged scripts (lines dropped, doubled or cut) are either refused by the loader or
// decompiled; the decompiler itself never fails on what the loader accepts.
TEST(Decompiler, DamagedScriptsAreRefusedOrDecompiledNeverACrash) {
  MemorySourceReader none;
  CompileOptions options;
  options.revisionCode = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
  Compilation built = CompileText(EveryCommandSource(), "every.qvs", none, options);
  ASSERT_TRUE(built.Ok());
  std::vector<std::string> lines;
  std::string text = script::WriteScript(built.sections);
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  std::mt19937 random(2718);
  size_t decompiled = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> damaged = lines;
    for (int edits = 1 + int(random() % 5); edits > 0 && !damaged.empty(); --edits) {
      size_t at = random() % damaged.size();
      switch (random() % 4) {
        case 0:
          damaged.erase(damaged.begin() + at);
          break;
        case 1:
          damaged.insert(damaged.begin() + at, damaged[random() % damaged.size()]);
          break;
        case 2:
          damaged[at] = damaged[at].substr(0, damaged[at].size() / 2);
          break;
        default:
          damaged[at] = "$";
          break;
      }
    }
    std::string bytes;
    for (const auto& l : damaged) bytes += l + "\r\n";
    script::ScriptSections sections;
    try {
      sections = ReadSetupScript(bytes);
    } catch (const EngineError&) {
      continue;
    }
    ++decompiled;
    EXPECT_NO_THROW(Decompile(sections));
  }
  EXPECT_GT(decompiled, 0u);
}

}  // namespace
}  // namespace qv::authoring
