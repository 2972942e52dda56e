#pragma once
// The objects of a run that every stage and command uses, owned by start-up and passed
// explicitly.
#include "platform/platform.h"
#include "script/script.h"
#include "script/variable_store.h"
#include "startup/engine_messages.h"
#include "startup/startup_values.h"
#include "startup/trace_log.h"

namespace qv::script {

struct EngineContext {
  platform::Platform& platform;
  VariableStore& store;
  Script& script;
  startup::TraceLog& trace;
  startup::EngineMessages& messages;
  const startup::StartupValues& startup;
};

}  // namespace qv::script
