#include "tools/qvbuild/build_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/qvbuild/validation_failure_cases.h"

namespace qv::authoring {
namespace {

std::vector<std::string> Failures(const Compilation& c) {
  std::vector<std::string> out;
  for (const auto& d : ValidateCompilation(c))
    out.push_back(d.file + ":" + std::to_string(d.at.line) + ": " + d.message);
  return out;
}

Compilation Build(const std::string& body, MemorySourceReader reader = {}) {
  CompileOptions options;
  options.revisionCode = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
  return CompileText(testdata::kValidationHeader + body, "setup.qvs", reader, options);
}

TEST(BuildCheck, EachFailureOfTheEngineValidationIsReportedAtItsSourceLine) {
  for (const auto& c : testdata::ValidationCases()) {
    SCOPED_TRACE(c.what);
    Compilation built = Build(c.body);
    ASSERT_TRUE(built.Ok());
    EXPECT_EQ(Failures(built), c.failures);
  }
}

TEST(BuildCheck, FailuresInAnIncludedFileNameThatFile) {
  MemorySourceReader reader;
  reader.files["pages.qvs"] = "// the wizard pages\nDisplay Dialog welcome WIZARD\nGoTo Label Finish\n";
  Compilation built = Build("Wizard Loop\ninclude pages.qvs\nEnd\n", reader);
  ASSERT_TRUE(built.Ok());
  EXPECT_THAT(Failures(built), ::testing::UnorderedElementsAre(
                                   "pages.qvs:3: LABEL undefined: Finish",
                                   "pages.qvs:3: Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"));
}

}  // namespace
}  // namespace qv::authoring
