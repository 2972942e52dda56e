#include "script/predefined_variables.h"

namespace qv::script {
namespace {

using V = const PredefinedValues&;
constexpr auto Pre = VariablePhase::PreInitialization;
constexpr auto Boot = VariablePhase::Bootstrap;
constexpr auto Init = VariablePhase::Initialization;

std::string Text(const char* t) { return t; }

#define QV_FIXED(text) [](V) { return Text(text); }
#define QV_FIELD(field) [](V v) { return v.field; }

const std::vector<PredefinedVariable> kTable = {
    {"KORV_thProgress", Pre, false, false, QV_FIXED("0")},
    {"KORV_thMax", Pre, false, false, QV_FIXED("100")},
    {"KORV_thMin", Pre, false, false, QV_FIXED("0")},
    {"KORV_thProgressText", Pre, false, false, QV_FIXED("")},
    {"KORV_thFinished", Pre, false, false, QV_FIXED("FALSE")},
    {"KORV_thCancelled", Pre, false, false, QV_FIXED("FALSE")},
    {"KORV_IsCancelled", Pre, false, false, QV_FIXED("FALSE")},
    {"KORV_LastDelegateTick", Pre, false, false, QV_FIELD(tickCount)},
    {"KORV_LastActiveTick", Pre, false, false, QV_FIELD(tickCount)},
    {"TARGETDIR", Pre, true, false, QV_FIELD(targetDir)},
    {"STARTMENU", Pre, true, false, QV_FIELD(title)},
    {"ALLUSERS", Pre, true, false, QV_FIELD(allUsers)},
    {"PRODUCTCODE", Boot, true, false, QV_FIELD(productCode)},
    {"REVISIONCODE", Boot, true, false, QV_FIELD(revisionCode)},
    {"UNINSTALLLINK", Boot, true, false, QV_FIELD(uninstallLink)},
    {"ENGINECACHE", Boot, true, false, QV_FIELD(engineCache)},
    {"DATADIR", Boot, true, false, QV_FIELD(dataDir)},
    {"NEEDSUPGRADE", Boot, true, false, QV_FIELD(needsUpgrade)},
    {"MAINTENANCE", Boot, true, false, QV_FIELD(maintenance)},
    {"NATIVE_OLDLOG", Boot, true, false, QV_FIELD(nativeOldLog)},
    {"RECOMMENDEDUPGRADE", Boot, true, false, [](V v) { return Text(v.nativeOldLog.empty() ? "FALSE" : "TRUE"); }},
    {"NEWINSTANCE", Boot, true, false, QV_FIELD(newInstance)},
    {"KORV_TIMEOUT", Init, true, false, QV_FIXED("10")},
    {"KORV_COMPRESS_INSTALLER_CACHE", Init, false, false, QV_FIXED("TRUE")},
    {"KORV_DISABLE_ROLLBACK", Init, false, false, QV_FIXED("FALSE")},
    {"KORV_DISABLE_VISTA_RESTART_MANAGER", Init, false, false, QV_FIXED("FALSE")},
    {"NATIVE_ENGINE", Init, true, true, QV_FIXED("FALSE")},
    {"NATIVE_LOGGING", Init, true, false, QV_FIXED("")},
    {"NATIVE_ROLLBACK", Init, true, false, QV_FIXED("TRUE")},
    {"NATIVE_ERROR", Init, true, false, QV_FIXED("PROMPT")},
    {"NATIVE_OVERWRITE", Init, true, false, QV_FIXED("PROMPT")},
    {"NATIVE_OVERWRITE_OLDER", Init, true, false, QV_FIXED("FALSE")},
    {"NATIVE_PROGRESS", Init, true, false, QV_FIXED("0")},
    {"DELAYUNTIL_APPLYCHANGES", Init, true, false, QV_FIXED("FALSE")},
    {"IISHOST", Init, true, false, QV_FIXED("localhost")},
    {"OVERRIDECACHE", Init, true, true, QV_FIXED("")},
    {"KORVLOGO", Init, true, false, QV_FIXED("")},
    {"SELECTED", Init, true, false, QV_FIXED("0")},
    {"WINDOWHANDLE", Init, true, false, QV_FIXED("0")},
    {"EXEFILE", Init, true, false, QV_FIELD(exeFile)},
    {"EXEDIR", Init, true, false, QV_FIELD(exeDir)},
    {"PROGRESSTEXT", Init, true, false, QV_FIXED("")},
    {"PROGRESSMODE", Init, true, false, QV_FIXED("")},
    {"ABORT", Init, true, false, QV_FIXED("FALSE")},
    {"PROGRESS", Init, true, false, QV_FIXED("0")},
    {"LASTERROR", Init, true, false, QV_FIXED("")},
    {"LICENSE", Init, true, false, QV_FIXED("FALSE")},
    {"USERNAME", Init, true, false, QV_FIELD(userName)},
    {"USERCOMPANY", Init, true, false, QV_FIELD(userCompany)},
    {"COPYWEBLOCK", Init, true, false, QV_FIXED("")},
    {"REBOOTCOMPUTER", Init, true, false, QV_FIXED("FALSE")},
    {"RUNAPP", Init, true, false, QV_FIXED("TRUE")},
    {"WIZARD", Init, true, false, QV_FIXED("NEXT")},
    {"VERSION", Init, true, false, QV_FIELD(version)},
    {"SILENT", Init, true, false, QV_FIELD(silent)},
    {"LOGGED", Init, true, false, QV_FIELD(logged)},
    {"CMDLINE", Init, true, false, QV_FIELD(cmdLine)},
    {"REBOOTNOW", Init, true, false, QV_FIXED("OK")},
    {"SFXPATH", Init, true, false, QV_FIELD(sfxPath)},
    {"SFXFILE", Init, true, false, QV_FIELD(sfxFile)},
    {"GPOPATH", Init, true, false, QV_FIELD(gpoPath)},
    {"SETUPPATH", Init, true, false, SetupPathReference},
    {"COMPLETE", Init, true, false, QV_FIXED("TRUE")},
    {"NEWLINE", Init, true, false, QV_FIXED("\r\n")},
    {"MINIMUM", Init, true, false, QV_FIXED("FALSE")},
    {"PERSONALIZED", Init, true, false, QV_FIXED("FALSE")},
    {"MODIFY", Init, true, false, QV_FIXED("TRUE")},
    {"GLASS", Init, true, false, QV_FIELD(glass)},
    {"REPAIR", Init, true, false, QV_FIXED("FALSE")},
    {"REMOVE", Init, true, false, QV_FIXED("FALSE")},
    {"ROOTDIR", Init, true, false, QV_FIELD(exeDir)},
    {"TITLE", Init, true, false, QV_FIELD(title)},
    {"COMPANY", Init, true, false, QV_FIELD(company)},
    {"ADVERTISE", Init, true, false, QV_FIXED("FALSE")},
    {"DATE", Init, true, false, QV_FIELD(date)},
    {"TIME", Init, true, false, QV_FIELD(time)},
    {"TEMPDIR", Init, true, false, QV_FIELD(tempDir)},
    {"ABORTONERROR", Init, true, false, QV_FIXED("TRUE")},
    {"ABORTEDONERROR", Init, true, false, QV_FIXED("FALSE")},
    {"SAVEDATA", Init, true, false, QV_FIXED("FALSE")},
    {"SUPPORTDIR", Init, true, false, QV_FIELD(supportDir)},
    {"MSIFILE", Init, true, false, QV_FIELD(msiFile)},
    {"LANGUAGE", Init, true, false, QV_FIELD(language)},
};

#undef QV_FIXED
#undef QV_FIELD

}  // namespace

std::string SetupPathReference(const PredefinedValues& v) {
  if (!v.gpoPath.empty()) return "$GPOPATH$";
  if (!v.sfxPath.empty()) return "$SFXPATH$";
  return "$EXEDIR$";
}

const std::vector<PredefinedVariable>& PredefinedVariables() { return kTable; }

void SetPredefinedVariables(VariableStore& store, VariablePhase phase, const PredefinedValues& values,
                            std::string_view origin) {
  for (const auto& v : kTable) {
    if (v.phase != phase) continue;
    if (v.keepWhenDefined && store.Exists(v.name)) continue;
    store.SetVariable(v.name, v.initial(values), origin);
  }
}

}  // namespace qv::script
