// A Windows program for the end-to-end tests: runs the command line it is given, waits
// for it and prints its whole exit code. Under wine the host sees only the low eight bits
// of a Windows exit code (314 arrives as 58); this program reports all 32.
//   qv_exit_code_runner.exe PROGRAM [ARGUMENTS...]
#include <windows.h>

#include <cstdio>

int main() {
  // The command line after this program's own name.
  char* rest = GetCommandLineA();
  if (*rest == '"') {
    ++rest;
    while (*rest && *rest != '"') ++rest;
    if (*rest) ++rest;
  } else {
    while (*rest && *rest != ' ' && *rest != '\t') ++rest;
  }
  while (*rest == ' ' || *rest == '\t') ++rest;
  if (!*rest) {
    std::printf("usage: qv_exit_code_runner PROGRAM [ARGUMENTS...]\n");
    return 255;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, rest, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start %s: error %lu\n", rest, GetLastError());
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("exit code %lu\n", code);
  std::fflush(stdout);
  return int(code & 0xFF);
}
