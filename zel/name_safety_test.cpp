#include "zel/name_safety.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

struct NameCase {
  const char* name;
  const char* relative;  // null: refused
};

TEST(NameSafety, KeepsNamesBelowTheDestination) {
  const NameCase cases[] = {
      {"a.txt", "a.txt"},
      {"docs/readme.txt", "docs\\readme.txt"},
      {"docs\\sub\\x.bin", "docs\\sub\\x.bin"},
      {"./a/./b", "a\\b"},
      {"a//b", "a\\b"},
      {"a/b/", "a\\b"},
      {"..foo", "..foo"},
      {"foo..", "foo.."},
      {"console.txt", "console.txt"},
      {"com10", "com10"},
      {"..\\evil.txt", nullptr},
      {"../evil.txt", nullptr},
      {"a/../../b", nullptr},
      {"a\\..\\b", nullptr},
      {"a/..", nullptr},
      {"a/.. /b", nullptr},
      {"a/.../b", nullptr},
      {"/abs", nullptr},
      {"\\abs", nullptr},
      {"\\\\srv\\share\\x", nullptr},
      {"//srv/share/x", nullptr},
      {"C:\\x", nullptr},
      {"C:x", nullptr},
      {"c:/x", nullptr},
      {"file.txt:stream", nullptr},
      {"CON", nullptr},
      {"sub/nul.txt", nullptr},
      {"Com1", nullptr},
      {"lpt9.log", nullptr},
      {"aux .txt", nullptr},
      {"", nullptr},
      {"./", nullptr},
  };
  for (const auto& c : cases) {
    std::string relative, reason;
    bool safe = SafeRelativePath(c.name, relative, &reason);
    if (c.relative) {
      EXPECT_TRUE(safe) << c.name << ": " << reason;
      EXPECT_EQ(relative, c.relative) << c.name;
    } else {
      EXPECT_FALSE(safe) << c.name << " gave " << relative;
      EXPECT_FALSE(reason.empty()) << c.name;
    }
  }
}

TEST(NameSafety, RefusalTextNamesTheEntry) {
  std::string text = UnsafeNameText("..\\evil.txt", "it has a \"..\" component");
  EXPECT_NE(text.find("..\\evil.txt"), std::string::npos);
  EXPECT_NE(text.find("outside the destination"), std::string::npos);
}

}  // namespace
}  // namespace zel
