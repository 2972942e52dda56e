#include "zel/zel_component.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "zel/posix_io.h"
#include "zel/zel_test_support.h"

namespace zel {
namespace {

using test::TempFolder;
using test::WriteFile;

class ZelComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(tmp_ / "a.zip", test::MakeZip({{"Docs/Read.txt", "read me"}, {"empty/", ""}, {"top.txt", "top"}}));
    WriteFile(tmp_ / "text.zip", "not an archive at all, just words");
  }
  int32_t Extract(const std::string& archive, std::vector<const char*> names = {},
                  ZelProgressCallback progress = nullptr, ZelPasswordCallback password = nullptr) {
    TSZW_TARGETFILES targets{names.data(), static_cast<int32_t>(names.size())};
    return component_.ExtractArchive(archive.c_str(), (tmp_ / "out").c_str(), &targets, 1, "", password, progress,
                                     nullptr, nullptr);
  }
  PosixIo io_;
  Component component_{io_};
  TempFolder tmp_;
};

TEST_F(ZelComponentTest, ListsEntries) {
  ZelEntry* entries = nullptr;
  int32_t count = -1;
  void* handle = component_.OpenListArchive((tmp_ / "a.zip").c_str(), nullptr, "", &entries, &count);
  ASSERT_NE(handle, nullptr) << Component::LastErrorText();
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(entries[0].name, "Docs\\Read.txt");
  EXPECT_EQ(entries[0].size, 7u);
  EXPECT_STREQ(entries[1].name, "empty");
  EXPECT_EQ(entries[1].flags, static_cast<uint32_t>(ZEL_ENTRY_FOLDER));
  EXPECT_STREQ(entries[2].name, "top.txt");
  component_.CloseListArchive(handle);
  component_.CloseListArchive(handle);  // a second close is refused, not a double free
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_INVALID_ARGUMENT);
}

TEST_F(ZelComponentTest, OpenFailuresGiveTheirNumbers) {
  struct Case {
    std::string archive;
    int32_t code;
  };
  const Case cases[] = {
      {tmp_ / "missing.zip", ZEL_ERROR_ARCHIVE_NOT_FOUND},
      {tmp_ / "missing/folder/a.zip", ZEL_ERROR_ARCHIVE_NOT_FOUND},
      {tmp_ / "*.zip", ZEL_ERROR_ILLEGAL_WILDCARD},
      {tmp_ / "text.zip", ZEL_ERROR_CANNOT_OPEN},
      {"", ZEL_ERROR_INVALID_ARGUMENT},
  };
  for (const auto& c : cases) {
    ZelEntry* entries = nullptr;
    int32_t count = 0;
    EXPECT_EQ(component_.OpenListArchive(c.archive.c_str(), nullptr, nullptr, &entries, &count), nullptr);
    EXPECT_EQ(Component::LastError(), c.code) << c.archive;
    EXPECT_STRNE(Component::LastErrorText(), "") << c.archive;
    EXPECT_EQ(Extract(c.archive), 0);
    EXPECT_EQ(Component::LastError(), c.code) << c.archive;
  }
}

TEST_F(ZelComponentTest, ExtractsTargetsOrEverything) {
  ASSERT_EQ(Extract(tmp_ / "a.zip", {"docs\\read.txt"}), 1) << Component::LastErrorText();
  EXPECT_EQ(test::TreeOf(tmp_ / "out"), (std::map<std::string, std::string>{{"Docs/", ""}, {"Docs/Read.txt", "read me"}}));
  EXPECT_EQ(Extract(tmp_ / "a.zip", {"top.txt", "nope.txt"}), 0);
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_NOT_IN_ARCHIVE);
  EXPECT_NE(std::string(Component::LastErrorText()).find("nope.txt"), std::string::npos);
  ASSERT_EQ(Extract(tmp_ / "a.zip"), 1);
  EXPECT_EQ(test::TreeOf(tmp_ / "out").size(), 4u);
}

TEST_F(ZelComponentTest, LastErrorBelongsToTheThread) {
  EXPECT_EQ(Extract(tmp_ / "missing.zip"), 0);
  int32_t other = -1;
  std::thread([&] { other = Component::LastError(); }).join();
  EXPECT_EQ(other, ZEL_OK);
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_ARCHIVE_NOT_FOUND);
  ASSERT_EQ(Extract(tmp_ / "a.zip"), 1);
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_ARCHIVE_NOT_FOUND) << "a success leaves the last failure";
}

int32_t ZEL_CALL StopAtOnce(const char*, int64_t, int64_t) { return 0; }
int g_passwordCalls = 0;
int32_t ZEL_CALL OfferPassword(char* buffer) {
  ++g_passwordCalls;
  std::strcpy(buffer, "pass");
  return 1;
}

TEST_F(ZelComponentTest, CallbacksReachTheExtraction) {
  EXPECT_EQ(Extract(tmp_ / "a.zip", {}, StopAtOnce), 0);
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_CANCELLED);
  EXPECT_FALSE(std::filesystem::exists(tmp_ / "out/Docs/Read.txt"));

  if (!test::HaveCommand("zip")) GTEST_SKIP() << "the zip command is not installed";
  WriteFile(tmp_ / "src/s.txt", "secret");
  ASSERT_TRUE(test::RunIn(tmp_ / "src", "zip -q -P pass ../p.zip s.txt"));
  g_passwordCalls = 0;
  EXPECT_EQ(Extract(tmp_ / "p.zip", {}, nullptr, OfferPassword), 0);
  EXPECT_EQ(Component::LastError(), ZEL_ERROR_ENCRYPTED);
  EXPECT_EQ(g_passwordCalls, 1);
}

}  // namespace
}  // namespace zel
