#include "script/validator.h"

#include <algorithm>
#include <array>
#include <set>

#include "common/text.h"
#include "common/win_path.h"
#include "script/expression.h"
#include "script/predefined_variables.h"

namespace qv::script {
namespace {

// Where a command names its result variable.
struct ResultParameter {
  const char* command;
  int parameter;
  bool required;
};

constexpr ResultParameter kResultParameters[] = {
    {"Set Variable", 1, true},
    {"Localization Variable", 1, true},
    {"Get Folder Location", 1, true},
    {"Get System Settings", 1, true},
    {"Get OS or SP Level", 1, true},
    {"Get INI File Settings", 1, true},
    {"Get XML File Settings", 1, true},
    {"Check File Version", 1, true},
    {"Read Registry", 1, true},
    {"Check Registry", 1, true},
    {"Does File/Folder Exist", 1, true},
    {"Get Temporary File", 1, true},
    {"Get IIS Site List", 1, true},
    {"IIS Anonymous User", 1, true},
    {"Check Disk Space", 1, true},
    {"Get File Version", 2, true},
    {"Get Environment", 2, true},
    {"Get IIS Site Index", 2, true},
    {"Is MSI Setup Installed", 2, true},
    {"Get Component State", 2, true},
    {"Get Component Space", 2, true},
    {"Check Process", 2, true},
    {"Check Service", 3, true},
    {"Find All Files", 4, true},
    {"Evaluate Expression", 2, true},
    {"Mathematics", 4, true},
    {"Read from Text File", 2, true},
    {"Read from Text File", 3, false},
    {"Parse String", 3, false},
    {"Parse String", 4, false},
    {"System Restore", 3, true},
    {"MessageBox", 5, false},
    {"Display Dialog", 2, false},
    // The exit code of Run Program and the value of Get IIS Property are written to the
    // parameters the commands themselves write (5 and 6).
    {"Run Program", 5, false},
    {"Get IIS Property", 6, true},
    {"Run Program As", 8, false},
    {"Run Light Mode Setup", 2, false},
    {"Extract 7Zip Archive", 3, false},
    {"Terminate Process", 2, false},
    {"Register Library", 3, false},
    {"Apply Changes", 2, false},
    {"Apply Patch", 1, false},
};

// The commands whose lines the change spool tracks as not yet carried out.
constexpr std::array<const char*, 16> kSystemChangingCommands = {
    "Install Files",       "Delete Files",        "Copy/Move Local Files", "Create Folder",
    "Create Shortcut",     "Advertised Shortcut", "Edit INI File",         "Install Assembly",
    "Set Environment",     "Install Service",     "Install ODBC Driver",   "Create ODBC DSN",
    "Control Service",     "Write Registry",      "Create File Type",      "Advertised File Type"};

constexpr const char* kVariableRequired = "Variable required";
constexpr const char* kNotDefined = "Variable not defined: ";

bool IsConditionCommand(const std::string& name) {
  return name == "If" || name == "Else If" || name == "While" || name == "Until";
}

class Validator {
 public:
  Validator(const Script& script, VariableStore& store, bool stopAtFirst)
      : script_(script), store_(store), stopAtFirst_(stopAtFirst) {}

  ValidationResult Run() {
    store_.Clear();
    DefineKnownNames();
    result_.executedLineFlags.assign(script_.LineCount(), "SKIP");
    // Each pass runs only while nothing failed, unless every failure is wanted.
    for (auto pass : {&Validator::BlockStructure, &Validator::Totals, &Validator::Labels,
                      &Validator::SavedVariables, &Validator::PerLineChecks, &Validator::WizardLoops}) {
      if (Stopped()) break;
      (this->*pass)();
    }
    store_.Clear();
    return std::move(result_);
  }

 private:
  bool Stopped() const { return stopAtFirst_ && !result_.failures.empty(); }
  void Fail(size_t line, std::string message) { result_.failures.push_back({line, std::move(message)}); }
  const std::string& Name(size_t i) const { return script_.CommandName(i); }
  bool Off(size_t i) const { return script_.IsSwitchedOff(i); }
  // A record cut short reads as empty parameters here; the line itself fails when it runs.
  std::string Param(size_t i, int k) const {
    try {
      return script_.GetParameter(script_.CommandId(i), k);
    } catch (const EngineError&) {
      return {};
    }
  }

  void DefineKnownNames() {
    for (const auto& v : PredefinedVariables())
      if (v.knownToValidation) store_.Set(v.name, "");
    // The engine switches are known under the names the engine reads, and under the
    // shorter names earlier scripts may test.
    for (const char* name : {"KORV_COMPRESS_INSTALLER_CACHE", "KORV_DISABLE_ROLLBACK",
                             "KORV_DISABLE_VISTA_RESTART_MANAGER", "KORV_COMPRESSCACHE", "KORV_DISABLEROLLBACK",
                             "KORV_DISABLEVISTARESTARTMANAGER"})
      store_.Set(name, "");
  }

  void Define(const std::string& parameter) {
    std::string name = ResultNameOf(parameter);
    if (!name.empty() && !store_.Exists(name)) store_.Set(text::UpperCase(name), "");
  }

  static std::string ResultNameOf(const std::string& parameter) {
    std::string name = StripReference(parameter);
    return name.empty() ? parameter : name;
  }

  bool DefinedReferenceOrBare(const std::string& parameter) const {
    return store_.Exists(ResultNameOf(parameter));
  }

  // 1: blocks close inside the blocks they opened in.
  void BlockStructure() {
    enum Kind { kEnd, kWhile, kRepeat };
    struct Open {
      Kind kind;
      bool wizardLoop;
      size_t others[3];
    };
    std::vector<Open> stacks[3];
    auto counts = [&](Kind k) { return stacks[k].size(); };
    auto open = [&](Kind k, bool wizard) {
      stacks[k].push_back({k, wizard, {counts(kEnd), counts(kWhile), counts(kRepeat)}});
    };
    auto close = [&](Kind k, size_t line, const char* message) {
      if (stacks[k].empty()) return;  // the totals pass reports a closing line too many
      Open o = stacks[k].back();
      stacks[k].pop_back();
      if (k == kEnd && o.wizardLoop) return;
      for (int other = 0; other < 3; ++other)
        if (other != k && o.others[other] != counts(Kind(other))) {
          Fail(line, message);
          return;
        }
    };
    for (size_t i = 0; i < script_.LineCount() && !Stopped(); ++i) {
      if (Off(i)) continue;
      const std::string& n = Name(i);
      if (n == "If" || n == "Wizard Loop")
        open(kEnd, n == "Wizard Loop");
      else if (n == "While")
        open(kWhile, false);
      else if (n == "Repeat")
        open(kRepeat, false);
      else if (n == "End")
        close(kEnd, i, "IF conditional closed outside of LOOP scope");
      else if (n == "Wend")
        close(kWhile, i, "WHILE loop closed outside of CONDITIONAL or REPEAT loop scope");
      else if (n == "Until")
        close(kRepeat, i, "REPEAT loop closed outside of CONDITIONAL or WHILE loop scope");
      else if ((n == "Break" || n == "Continue") && counts(kWhile) == 0 && counts(kRepeat) == 0)
        Fail(i, n + " not allowed outside of LOOP scope");
      else if (n == "Label" && counts(kEnd) + counts(kWhile) + counts(kRepeat) > 0)
        Fail(i, "LABEL statements cannot be nested inside loops/conditionals");
    }
  }

  // 2: as many closing lines as opening ones.
  void Totals() {
    size_t opens[3] = {0, 0, 0}, closes[3] = {0, 0, 0};
    size_t lastLine = script_.LineCount() ? script_.LineCount() - 1 : 0;
    for (size_t i = 0; i < script_.LineCount(); ++i) {
      if (Off(i)) continue;
      const std::string& n = Name(i);
      if (n == "If" || n == "Wizard Loop") ++opens[0];
      if (n == "End") ++closes[0];
      if (n == "While") ++opens[1];
      if (n == "Wend") ++closes[1];
      if (n == "Repeat") ++opens[2];
      if (n == "Until") ++closes[2];
    }
    const char* words[3] = {"END", "WEND", "UNTIL"};
    for (int k = 0; k < 3 && !Stopped(); ++k) {
      if (closes[k] < opens[k]) Fail(lastLine, std::string("Insufficient ") + words[k] + " statements");
      if (closes[k] > opens[k]) Fail(lastLine, std::string("Too many ") + words[k] + " statements");
    }
  }

  // 3: every label once (switched-off lines included).
  void Labels() {
    for (size_t i = 0; i < script_.LineCount() && !Stopped(); ++i) {
      if (Name(i) != "Label") continue;
      std::string label = Param(i, 1);
      if (!labels_.insert(text::UpperCase(label)).second) Fail(i, "LABEL re-defined: " + label);
    }
  }

  // 4: a variable saved by any Set Variable line counts as defined everywhere.
  void SavedVariables() {
    static constexpr std::string_view kMarker = "$KORV$KORV$";
    for (size_t i = 0; i < script_.LineCount(); ++i) {
      if (Name(i) != "Set Variable") continue;
      std::string p = Param(i, 1);
      size_t at = p.find(kMarker);
      if (at != std::string::npos && p.substr(at + kMarker.size()) == "TRUE") Define(p.substr(0, at));
    }
  }

  // 5: what each line reads and defines, in line order.
  void PerLineChecks() {
    for (size_t i = 0; i < script_.LineCount() && !Stopped(); ++i) {
      if (Off(i)) continue;
      const std::string& n = Name(i);
      if (std::find(kSystemChangingCommands.begin(), kSystemChangingCommands.end(), n) !=
          kSystemChangingCommands.end())
        result_.executedLineFlags[i] = "FALSE";
      if (n == "Comment") continue;
      CheckLine(i, n);
    }
  }

  void CheckLine(size_t i, const std::string& n) {
    const size_t failuresBefore = result_.failures.size();
    auto failed = [&] { return result_.failures.size() > failuresBefore; };

    if (n == "Convert Path" || n == "Convert Case" || n == "Extract Path" || n == "Replace String") {
      std::string p1 = Param(i, 1);
      if (!store_.Exists(p1)) Fail(i, kNotDefined + p1);
    } else if (IsConditionCommand(n)) {
      CheckCondition(i);
    } else if (n == "Display Dialog") {
      if (Param(i, 1).empty()) Fail(i, "Dialog name not specified");
      Define(Param(i, 2));
      std::string p4 = Param(i, 4);
      if (!failed() && !p4.empty() && !DefinedReferenceOrBare(p4)) Fail(i, kNotDefined + p4);
      return;
    } else if (n == "GoTo Label") {
      std::string p1 = Param(i, 1);
      if (!labels_.count(text::UpperCase(p1))) Fail(i, "LABEL undefined: " + p1);
    } else if (n == "Web Media Block") {
      CheckWebMediaBlock(i);
    } else if (n == "Delete Files") {
      if (!IsTrue(Param(i, 3)) && !IsTrue(Param(i, 4))) Fail(i, "At least one delete mode must be selected");
    } else if (n == "Install Files") {
      if (Param(i, 3).empty())
        Fail(i,
             "A target folder must be specified for files that are being installed.\rThe value $TARGETDIR$ "
             "represents the destination folder chosen by the user.");
    } else if (n == "Evaluate Expression") {
      if (!ExpressionSyntaxValid(Param(i, 1)))
        Fail(i, "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct "
                "syntax.");
    } else if (n == "Parse String") {
      if (Param(i, 3).empty() && Param(i, 4).empty()) Fail(i, kVariableRequired);
    }
    if (failed() && stopAtFirst_) return;
    CheckResultVariables(i, n);
  }

  void CheckCondition(size_t i) {
    std::string p1 = Param(i, 1);
    if (p1.empty()) {
      Fail(i, kVariableRequired);
      return;
    }
    if (Param(i, 2) == "5") return;
    std::string p3 = Param(i, 3);
    bool leftOk = DefinedReferenceOrBare(p1);
    std::string right = StripReference(p3);
    bool rightOk = right.empty() || store_.Exists(right);
    if (!rightOk)
      Fail(i, kNotDefined + p3);
    else if (!leftOk)
      Fail(i, kNotDefined + p1);
  }

  void CheckWebMediaBlock(size_t i) {
    std::string p1 = Param(i, 1);
    size_t cut = p1.find_last_of("\\:");
    std::string fileName = cut == std::string::npos ? p1 : p1.substr(cut + 1);
    if (!p1.empty() && Param(i, 2).empty())
      Fail(i, "Web Media Block must have at least one download URL");
    else if (fileName.find_first_of("/*?\"<>|") != std::string::npos)
      Fail(i, "Web Media Block name must be a legal file name");
  }

  void CheckResultVariables(size_t i, const std::string& n) {
    for (const auto& r : kResultParameters) {
      if (n != r.command) continue;
      std::string p = Param(i, r.parameter);
      bool required = r.required;
      if (n == "Set Variable") {
        size_t at = p.find("$KORV$KORV$");
        if (at != std::string::npos) p = p.substr(0, at);
      }
      if (n == "Mathematics") {
        std::string code = Param(i, 3);
        if (code == "13" || code == "14") required = false;
      }
      if (n == "System Restore" && !IsTrue(Param(i, 1))) continue;
      if (p.empty()) {
        if (required) {
          Fail(i, kVariableRequired);
          if (stopAtFirst_) return;
        }
        continue;
      }
      Define(p);
    }
  }

  // 6: a Wizard Loop holds only dialogs (and comments).
  void WizardLoops() {
    for (size_t i = 0; i < script_.LineCount() && !Stopped(); ++i) {
      if (Off(i) || Name(i) != "Wizard Loop") continue;
      for (size_t j = i + 1; j < script_.LineCount(); ++j) {
        if (Off(j)) continue;
        const std::string& n = Name(j);
        if (n == "End") break;
        if (n != "Display Dialog" && n != "Comment" && n != "Ignore") {
          Fail(j, "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP");
          break;
        }
      }
    }
  }

  const Script& script_;
  VariableStore& store_;
  bool stopAtFirst_;
  ValidationResult result_;
  std::set<std::string> labels_;
};

}  // namespace

ValidationResult ValidateScript(const Script& script, VariableStore& store, bool stopAtFirst) {
  return Validator(script, store, stopAtFirst).Run();
}

}  // namespace qv::script
