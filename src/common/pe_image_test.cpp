#include "common/pe_image.h"

#include <gtest/gtest.h>

#include "support/pe_fixture.h"

namespace qv::pe {
namespace {

TEST(PeImage, StubSizeIsTheEndOfTheLastSectionData) {
  std::string image = testing::MakePeImage({{".text", 0x400}, {".data", 0x200}, {".rsrc", 0x600}});
  Image img;
  ASSERT_TRUE(ParseHeaders(image, img));
  EXPECT_EQ(img.machine, kMachineI386);
  EXPECT_FALSE(img.pe32Plus);
  EXPECT_EQ(img.subsystem, kSubsystemGui);
  ASSERT_EQ(img.sections.size(), 3u);
  EXPECT_EQ(img.StubSize(), image.size());
  // Appended data (a script, a symbol table) does not change the stub size.
  std::string withTail = image + "tail bytes";
  ASSERT_TRUE(ParseHeaders(withTail, img));
  EXPECT_EQ(img.StubSize(), image.size());
}

TEST(PeImage, Pe32PlusDllHeaders) {
  std::string image = testing::MakePeImage({{".text", 0x200}, {".edata", 0x200}}, true, 3, true);
  Image img;
  ASSERT_TRUE(ParseHeaders(image, img));
  EXPECT_TRUE(img.pe32Plus);
  EXPECT_EQ(img.characteristics & kCharacteristicDll, kCharacteristicDll);
  EXPECT_EQ(img.StubSize(), image.size());
}

TEST(PeImage, RejectsWhatIsNotAnImage) {
  const std::string good = testing::MakePeImage({{".text", 0x200}});
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"no MZ", "XX" + good.substr(2)},
      {"cut inside the headers", good.substr(0, 0x90)},
      {"cut inside the section table", good.substr(0, 0x80 + 24 + 224 + 10)},
      {"bad PE offset", [&] { std::string b = good; b[0x3C] = char(0xF0); b[0x3D] = char(0xFF); return b; }()},
  };
  for (const auto& c : cases) {
    Image img;
    std::string why;
    EXPECT_FALSE(ParseHeaders(c.bytes, img, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

}  // namespace
}  // namespace qv::pe
