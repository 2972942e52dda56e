// The engine executable: the real Windows platform, the process-wide variable store and
// the start-up sequence.
#include <exception>

#include "platform/win32/win32_platform.h"
#include "script/variable_store.h"
#include "startup/startup.h"

int main() {
  // The variable store exists before the entry code runs, as workers and every stage use it.
  static qv::script::VariableStore store;
  static qv::platform::win32::Win32Platform platform;
  try {
    qv::startup::Startup startup(platform, store);
    return startup.Run();
  } catch (const std::exception&) {
    return qv::startup::kExitStartupError;
  }
}
