#pragma once
// Libraries of the system that the engine binds at run time, so that it still starts
// on systems that lack them (dwmapi before Vista, msi.dll on a bare 95).
#include <windows.h>

namespace qv::platform::win32 {

// A 32-bit process on 64-bit Windows (IsWow64Process, looked up: older systems lack it).
bool RunsUnderWow64();

// Loads `name` from the folder of the process's own system libraries, never by a bare
// name (which would also be searched for beside the executable). Under WOW64 that is
// SysWOW64 by its own name, so that the load works while the thread has file-system
// redirection turned off. Null when the library is missing.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace qv::platform::win32
