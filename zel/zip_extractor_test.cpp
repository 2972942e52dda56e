#include "zel/zip_extractor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "zel/posix_io.h"
#include "zel/zel_test_support.h"
#include "zel/zip_format.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::TreeOf;
using test::WriteFile;

class ZipExtractorTest : public ::testing::Test {
 protected:
  // Writes the archive bytes to a file and extracts them into "out".
  Error Extract(const std::string& archive, const ExtractRequest& base = {}, const ExtractCallbacks& callbacks = {}) {
    WriteFile(tmp_ / "a.zip", archive);
    ExtractRequest request = base;
    if (request.destination.empty()) request.destination = Out();
    return ExtractArchive(io_, tmp_ / "a.zip", request, callbacks);
  }
  std::string Out() const { return tmp_ / "out"; }
  std::vector<std::string> OutNames() const {
    std::vector<std::string> names;
    for (const auto& [name, data] : OutTree()) names.push_back(name);
    return names;
  }
  std::map<std::string, std::string> OutTree() const { return fs::exists(Out()) ? TreeOf(Out()) : decltype(TreeOf("")){}; }

  PosixIo io_;
  TempFolder tmp_;
};

TEST_F(ZipExtractorTest, FolderTreeRoundTrip) {
  WriteFile(tmp_ / "src/readme.txt", test::TextBytes(50000));
  WriteFile(tmp_ / "src/bin/tool.exe", test::RandomBytes(300000));
  WriteFile(tmp_ / "src/bin/zero.dat", "");
  WriteFile(tmp_ / "src/a/b/c/deep.txt", "deep");
  fs::create_directories(tmp_ / "src/empty/inner");
  std::string archive;
  ZipWriter writer(MakeMemorySink(archive));
  ASSERT_TRUE(writer.AddFolderTree(tmp_ / "src").Ok());
  ASSERT_TRUE(writer.Finish().Ok());

  ExtractRequest request;
  request.destination = tmp_ / "out/new/levels";  // missing parents are created
  Error e = Extract(archive, request);
  ASSERT_TRUE(e.Ok()) << e.text;
  EXPECT_EQ(TreeOf(tmp_ / "out/new/levels"), TreeOf(tmp_ / "src"));
}

TEST_F(ZipExtractorTest, SetsTimeAndReadOnlyAttribute) {
  WriteFile(tmp_ / "src/locked.txt", "keep me");
  fs::permissions(tmp_ / "src/locked.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  std::string archive;
  ZipWriter writer(MakeMemorySink(archive));
  writer.AddFile("locked.txt", tmp_ / "src/locked.txt");
  writer.AddBytes("dated.txt", "old", 1000000000);
  writer.Finish();
  ASSERT_TRUE(Extract(archive).Ok());
  struct stat st {};
  ASSERT_EQ(stat((tmp_ / "out/dated.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
  ASSERT_EQ(stat((tmp_ / "out/locked.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0200, 0u);

  // A second extraction replaces the read-only file when replacing is granted.
  ExtractRequest again;
  again.overwriteExisting = true;
  Error e = Extract(archive, again);
  EXPECT_TRUE(e.Ok()) << e.text;
}

TEST_F(ZipExtractorTest, InfoZipArchivesExtractToTheSameTree) {
  if (!test::HaveCommand("zip")) GTEST_SKIP() << "the zip command is not installed";
  WriteFile(tmp_ / "src/readme.txt", test::TextBytes(40000));
  WriteFile(tmp_ / "src/sub/deep/x.bin", test::RandomBytes(70000));
  WriteFile(tmp_ / "src/sub/empty.txt", "");
  fs::create_directories(tmp_ / "src/empty");
  for (const char* options : {"", "-0", "-fz", "-9 -fd"}) {
    fs::remove_all(Out());
    fs::remove(tmp_ / "z.zip");
    ASSERT_TRUE(test::RunIn(tmp_ / "src", std::string("zip -r -q ") + options + " ../z.zip ."));
    // Streamed input makes zip write data descriptors.
    Error e = Extract(ReadFile(tmp_ / "z.zip"));
    ASSERT_TRUE(e.Ok()) << options << ": " << e.text;
    EXPECT_EQ(OutTree(), TreeOf(tmp_ / "src")) << options;
  }
  fs::remove_all(Out());
  ASSERT_TRUE(test::RunIn(tmp_.Path(), "cat src/readme.txt | zip -q -fd piped.zip -"));
  Error e = Extract(ReadFile(tmp_ / "piped.zip"));
  ASSERT_TRUE(e.Ok()) << e.text;
  EXPECT_EQ(ReadFile(Out() + "/-"), ReadFile(tmp_ / "src/readme.txt"));
}

TEST_F(ZipExtractorTest, UnsafeNamesRefuseTheWholeArchive) {
  for (const char* name : {"..\\evil.txt", "../evil.txt", "a/../../b", "/abs", "C:\\x", "\\\\srv\\share\\x",
                           "ok/NUL", "sub\\x:stream"}) {
    fs::remove_all(tmp_ / "out");
    std::string archive = test::MakeZip({{"good.txt", "fine"}, {name, "escaped"}, {"late.txt", "late"}});
    Error e = Extract(archive);
    EXPECT_EQ(e.code, ZEL_ERROR_UNSAFE_NAME) << name;
    std::string listed = name;
    std::replace(listed.begin(), listed.end(), '/', '\\');
    EXPECT_NE(e.text.find(listed), std::string::npos) << e.text;
    EXPECT_TRUE(OutTree().empty()) << name << ": nothing is written when any name is refused";
    EXPECT_FALSE(fs::exists(tmp_ / "evil.txt"));
  }
  // A selection that leaves the unsafe entry out extracts.
  std::vector<std::string> names{"good.txt"};
  ExtractRequest request;
  request.names = &names;
  EXPECT_TRUE(Extract(test::MakeZip({{"good.txt", "fine"}, {"../evil.txt", "x"}}), request).Ok());
}

TEST_F(ZipExtractorTest, SelectsNamesIgnoringCaseAndSeparators) {
  std::string archive = test::MakeZip({{"Docs/Read.txt", "r"}, {"docs/other.txt", "o"}, {"top.txt", "t"}, {"emptyDir/", ""}});
  std::vector<std::string> names{"DOCS\\read.TXT", "top.txt", "emptydir"};
  ExtractRequest request;
  request.names = &names;
  ASSERT_TRUE(Extract(archive, request).Ok());
  EXPECT_EQ(OutTree(), (std::map<std::string, std::string>{
                           {"Docs/", ""}, {"Docs/Read.txt", "r"}, {"top.txt", "t"}, {"emptyDir/", ""}}));

  fs::remove_all(Out());
  std::vector<std::string> missing{"top.txt", "absent.txt"};
  request.names = &missing;
  Error e = Extract(archive, request);
  EXPECT_EQ(e.code, ZEL_ERROR_NOT_IN_ARCHIVE);
  EXPECT_NE(e.text.find("absent.txt"), std::string::npos);
  EXPECT_TRUE(OutTree().empty());

  std::vector<std::string> none;
  request.names = &none;
  ASSERT_TRUE(Extract(archive, request).Ok());
  EXPECT_EQ(OutTree().size(), 6u) << "an empty list extracts everything";
}

TEST_F(ZipExtractorTest, ProgressCountsAllSelectedBytes) {
  const std::string big = test::RandomBytes(700000), small = "small";
  std::string archive = test::MakeZip({{"big.bin", big}, {"dir/", ""}, {"small.txt", small}});
  std::vector<std::tuple<std::string, int64_t, int64_t>> calls;
  ExtractCallbacks callbacks;
  callbacks.progress = [&](const std::string& name, int64_t done, int64_t total) {
    calls.emplace_back(name, done, total);
    return true;
  };
  ASSERT_TRUE(Extract(archive, {}, callbacks).Ok());
  ASSERT_GE(calls.size(), 4u);
  int64_t last = 0;
  for (const auto& [name, done, total] : calls) {
    EXPECT_EQ(total, static_cast<int64_t>(big.size() + small.size()));
    EXPECT_GE(done, last);
    last = done;
  }
  EXPECT_EQ(std::get<0>(calls.front()), "big.bin");
  EXPECT_EQ(std::get<1>(calls.front()), 0);
  EXPECT_EQ(std::get<0>(calls.back()), "small.txt");
  EXPECT_EQ(last, std::get<2>(calls.back()));
}

TEST_F(ZipExtractorTest, StoppingLeavesNoPartialFile) {
  const std::string big = test::RandomBytes(900000);
  std::string archive = test::MakeZip({{"first.txt", "done"}, {"big.bin", big}, {"after.txt", "never"}});
  struct Stop {
    const char* what;
    std::function<void(ExtractCallbacks&)> set;
  };
  const Stop stops[] = {
      {"progress in the middle of a file",
       [](ExtractCallbacks& c) {
         // "done" counts the whole extraction: first.txt's 4 bytes come before big.bin's.
         c.progress = [](const std::string& n, int64_t done, int64_t) { return !(n == "big.bin" && done > 4); };
       }},
      {"progress at the start of a file",
       [](ExtractCallbacks& c) { c.progress = [](const std::string& n, int64_t, int64_t) { return n != "big.bin"; }; }},
      {"continue between files", [](ExtractCallbacks& c) { c.continueWith = [](int32_t index, int32_t) { return index < 1; }; }},
  };
  for (const auto& stop : stops) {
    fs::remove_all(Out());
    ExtractCallbacks callbacks;
    stop.set(callbacks);
    Error e = Extract(archive, {}, callbacks);
    EXPECT_EQ(e.code, ZEL_ERROR_CANCELLED) << stop.what;
    EXPECT_EQ(OutNames(), std::vector<std::string>{"first.txt"}) << stop.what;
  }
}

TEST_F(ZipExtractorTest, DamagedEntryIsRemoved) {
  std::string archive = test::MakeZip({{"ok.txt", "fine"}, {"bad.txt", test::TextBytes(400000)}});
  std::string sig;
  zip::Put32(sig, zip::kCentralHeaderSignature);
  size_t second = archive.find(sig, archive.find(sig) + 1);
  archive[second + 16] ^= 0x55;  // its CRC
  Error e = Extract(archive);
  EXPECT_EQ(e.code, ZEL_ERROR_DATA);
  EXPECT_NE(e.text.find("bad.txt"), std::string::npos) << e.text;
  EXPECT_EQ(OutNames(), std::vector<std::string>{"ok.txt"});
}

TEST_F(ZipExtractorTest, OverwriteAnswers) {
  std::string archive = test::MakeZip({{"a.txt", "new a"}, {"b.txt", "new b"}});
  struct Case {
    const char* what;
    bool grant;
    std::vector<int32_t> answers;  // empty: no callback
    int32_t code;
    std::string a, b;
    size_t asked;
  };
  const Case cases[] = {
      {"granted", true, {}, ZEL_OK, "new a", "new b", 0},
      {"no callback keeps", false, {}, ZEL_OK, "old a", "old b", 0},
      {"replace", false, {1, 1}, ZEL_OK, "new a", "new b", 2},
      {"keep then replace", false, {2, 1}, ZEL_OK, "old a", "new b", 2},
      {"replace all", false, {4}, ZEL_OK, "new a", "new b", 1},
      {"stop", false, {3}, ZEL_ERROR_CANCELLED, "old a", "old b", 1},
      {"unknown answer stops", false, {0}, ZEL_ERROR_CANCELLED, "old a", "old b", 1},
  };
  for (const auto& c : cases) {
    WriteFile(Out() + "/a.txt", "old a");
    WriteFile(Out() + "/b.txt", "old b");
    ExtractRequest request;
    request.overwriteExisting = c.grant;
    ExtractCallbacks callbacks;
    size_t asked = 0;
    if (!c.answers.empty()) {
      callbacks.overwrite = [&](const OverwriteQuestion& q) {
        EXPECT_EQ(q.existing.size, 5u);
        EXPECT_EQ(q.existingPath, Out() + "\\" + q.entry->name);
        return c.answers[std::min(asked++, c.answers.size() - 1)];
      };
    }
    EXPECT_EQ(Extract(archive, request, callbacks).code, c.code) << c.what;
    EXPECT_EQ(ReadFile(Out() + "/a.txt"), c.a) << c.what;
    EXPECT_EQ(ReadFile(Out() + "/b.txt"), c.b) << c.what;
    EXPECT_EQ(asked, c.asked) << c.what;
  }
}

TEST_F(ZipExtractorTest, EncryptedEntriesAskForAPasswordAndFail) {
  if (!test::HaveCommand("zip")) GTEST_SKIP() << "the zip command is not installed";
  WriteFile(tmp_ / "src/secret.txt", "secret");
  ASSERT_TRUE(test::RunIn(tmp_ / "src", "zip -q -P pass ../p.zip secret.txt"));
  for (const char* given : {"", "pass"}) {
    int asked = 0;
    ExtractCallbacks callbacks;
    callbacks.password = [&](std::string& password) {
      ++asked;
      password = "pass";
      return true;
    };
    ExtractRequest request;
    request.password = given;
    Error e = Extract(ReadFile(tmp_ / "p.zip"), request, callbacks);
    EXPECT_EQ(e.code, ZEL_ERROR_ENCRYPTED);
    EXPECT_EQ(e.text, "The archive entry secret.txt is encrypted; encrypted archives are not supported yet");
    EXPECT_EQ(asked, *given ? 0 : 1) << "asked only when no password was given";
    EXPECT_TRUE(OutTree().empty());
  }
}

TEST_F(ZipExtractorTest, FileInTheWayOfAFolder) {
  WriteFile(Out() + "/docs", "a file where a folder should go");
  Error e = Extract(test::MakeZip({{"docs/readme.txt", "x"}}));
  EXPECT_EQ(e.code, ZEL_ERROR_WRITE);
  EXPECT_NE(e.text.find("docs"), std::string::npos) << e.text;
}

}  // namespace
}  // namespace zel
