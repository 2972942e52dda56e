#pragma once
// The trace of a complete run that ends normally, line for line.
#include <string>
#include <vector>

namespace qv::testing {

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
