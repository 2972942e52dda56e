#pragma once
// Functions looked up at run time, so that the engine still starts on systems whose
// libraries lack them.
#include <windows.h>

namespace qv::platform::win32 {

// The exported function `name` of `module` as a pointer of type Fn, or null.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through void(*)() so that the compiler accepts the change of function type.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The same for a system library the process has already loaded (ntdll, kernel32, and
// advapi32, which the engine imports). Never loaded by name here: a bare name would also
// be searched for in the folder of the executable.
template <typename Fn>
Fn LoadedProcAddress(const char* library, const char* name) {
  return ProcAddress<Fn>(GetModuleHandleA(library), name);
}

}  // namespace qv::platform::win32
