#pragma once
// Reading traces in tests, and the trace of a complete run that ends normally.
#include <string>
#include <vector>

namespace qv::testing {

// The lines of a UTF-16LE trace (CR LF separated; the elements are plain ASCII).
inline std::vector<std::string> TraceLines(const std::string& utf16) {
  std::string ansi;
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) ansi.push_back(utf16[i]);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = ansi.find("\r\n", start)) != std::string::npos; start = p + 2)
    lines.push_back(ansi.substr(start, p - start));
  return lines;
}

inline const std::vector<std::string>& FullRunTrace() {
  static const std::vector<std::string> lines = {
      "<Quorvane>",          "    <SupportDir>",     "    </SupportDir>",     "  <SetupSplash>",
      "    <StubSize>",      "    </StubSize>",      "    <StubData>",        "    </StubData>",
      "    <GlobalLists>",   "    </GlobalLists>",   "    <ExtractArchive>",  "    </ExtractArchive>",
      "    <ResourcePath>",  "    </ResourcePath>",  "    <Dialogs>",         "    </Dialogs>",
      "  </SetupSplash>",    "  <RunScript>",        "    <Variables>",       "    </Variables>",
      "    <CompileScript>", "    </CompileScript>", "    <BootStrap>",       "    </BootStrap>",
      "    <korv>",          "    </korv>",          "    <ExitScript>",      "    </ExitScript>",
      "  </RunScript>",      "  <Free>",             "  </Free>",            "  <CachedSupportDir>",
      "  </CachedSupportDir>", "</Quorvane>",
  };
  return lines;
}

}  // namespace qv::testing
