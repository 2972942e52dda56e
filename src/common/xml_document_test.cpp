#include "common/xml_document.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qv::xml {
namespace {

std::string Utf16Le(std::string_view ascii, bool bom) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

std::string Utf16Be(std::string_view ascii) {
  std::string out = "\xFE\xFF";
  for (char c : ascii) {
    out.push_back('\0');
    out.push_back(c);
  }
  return out;
}

TEST(XmlDocumentTest, WellFormedDocumentsAreRead) {
  const char* documents[] = {
      "<a/>",
      "<?xml version=\"1.0\"?><a></a>",
      "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<!-- before --><?pi x?><a b='1' c=\"2\"/><!-- after "
      "-->\n",
      "<!DOCTYPE a><a/>",
      "<!DOCTYPE a SYSTEM \"a.dtd\" [ <!ELEMENT a (#PCDATA)> <!ATTLIST a b CDATA \">\"> %pe; ]><a/>",
      "<ns:a xmlns:ns='urn:x'><ns:b/></ns:a>",
      "<a><![CDATA[<not markup>]]></a>",
      "<a>&lt;&gt;&amp;&apos;&quot;&#65;&#x42;</a>",
  };
  for (const char* text : documents) {
    Document d;
    std::string error;
    EXPECT_TRUE(d.Parse(text, &error)) << text << ": " << error;
  }
}

TEST(XmlDocumentTest, DocumentsThatAreNotWellFormedAreRefused) {
  const char* documents[] = {
      "",
      "just text",
      "<a>",
      "<a></b>",
      "<a/><b/>",
      "<a/>text",
      "<a>&undefined;</a>",
      "<a>&amp</a>",
      "<a b='1' b='2'/>",
      "<a b='<'/>",
      "<a b=1/>",
      "<a b='1'c='2'/>",
      "<a>\x01</a>",
      "<a>&#0;</a>",
      "<a>&#xD800;</a>",
      "<a>&#x110000;</a>",
      "<!DOCTYPE a [<!ENTITY e '&e;'>]><a>&e;</a>",
      "<!DOCTYPE a [<!ENTITY x '&y;'><!ENTITY y '&x;'>]><a>&x;</a>",
      "<a><!-- open </a>",
      "<a><![CDATA[ open </a>",
      "<a><!ELEMENT x ANY></a>",
      "<?xml version='1.0' encoding='klingon'?><a/>",
      "<a>\xC3\x28</a>",  // not UTF-8
  };
  for (const char* text : documents) {
    Document d;
    EXPECT_FALSE(d.Parse(text)) << text;
  }
}

TEST(XmlDocumentTest, EncodingsByByteOrderMarkAndDeclaration) {
  struct Case {
    std::string bytes;
    const char* name;  // UTF-8
  } cases[] = {
      {"\xEF\xBB\xBF<caf\xC3\xA9/>", "caf\xC3\xA9"},
      {Utf16Le("<abc/>", true), "abc"},
      {Utf16Le("<?xml version='1.0' encoding='UTF-16'?><abc/>", false), "abc"},
      {Utf16Be("<abc/>"), "abc"},
      {"<?xml version='1.0' encoding='ISO-8859-1'?><caf\xE9/>", "caf\xC3\xA9"},
      {"<?xml version='1.0' encoding='windows-1252'?><x\x80/>", "x\xE2\x82\xAC"},
  };
  for (const auto& c : cases) {
    Document d;
    std::string error;
    ASSERT_TRUE(d.Parse(c.bytes, &error)) << c.name << ": " << error;
    EXPECT_EQ(d.At(d.Root()).name, c.name);
  }
  // A code page the reader lacks comes through the caller's decoder.
  const std::string legacy = "<?xml version='1.0' encoding='windows-1250'?><a>\x8A</a>";
  Document d;
  EXPECT_FALSE(d.Parse(legacy));
  auto decoder = [](std::string_view encoding, std::string_view bytes, std::u16string& text) {
    if (encoding != "windows-1250") return false;
    for (unsigned char b : bytes) text.push_back(b == 0x8A ? u'\u0160' : char16_t(b));
    return true;
  };
  ASSERT_TRUE(d.Parse(legacy, nullptr, decoder));
  EXPECT_EQ(d.Text(d.Root()), "\xC5\xA0");
}

TEST(XmlDocumentTest, TextLeavesOutWhiteSpacePiecesAndTrimsTheWhole) {
  const std::string document =
      "<r>\r\n  <a>  one\r\n two  </a>\n  <b><![CDATA[ <three> ]]><c>four</c></b>\n  <d>&#13;&#10;x&#13;y</d></r>";
  Document d;
  ASSERT_TRUE(d.Parse(document));
  const Element& root = d.At(d.Root());
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(d.Text(root.children[0]), "one\n two");
  EXPECT_EQ(d.Text(root.children[1]), "<three> four");
  // Line ends in the file become LF; a referenced CR stays.
  EXPECT_EQ(d.Text(root.children[2]), "x\ry");
  EXPECT_EQ(d.Text(d.Root()), "one\n two   <three> four\r\nx\ry");
}

TEST(XmlDocumentTest, AttributesAndEntitiesOfTheDocumentType) {
  const std::string document =
      "<!DOCTYPE r [\n"
      "  <!ENTITY name 'Brelmont'>\n"
      "  <!ENTITY full '&name; Viewer &#38;amp; more'>\n"
      "  <!ENTITY name 'ignored: the first declaration binds'>\n"
      "  <!ENTITY ext SYSTEM 'http://example.invalid/x'>\n"
      "]>\n"
      "<r a=\"tab\there&#10;line\" b='&full;' c='say \"hi\"'>&full;&ext;</r>";
  Document d;
  std::string error;
  ASSERT_TRUE(d.Parse(document, &error)) << error;
  EXPECT_EQ(*d.Attribute(d.Root(), "a"), "tab here\nline");
  EXPECT_EQ(*d.Attribute(d.Root(), "b"), "Brelmont Viewer & more");
  EXPECT_EQ(*d.Attribute(d.Root(), "c"), "say \"hi\"");
  EXPECT_EQ(d.Attribute(d.Root(), "missing"), nullptr);
  EXPECT_EQ(d.Text(d.Root()), "Brelmont Viewer & more");
}

TEST(XmlDocumentTest, HostileDocumentsEndQuickly) {
  // Entities that double at each level would make gigabytes.
  std::string laughs = "<!DOCTYPE r [<!ENTITY l0 'lol'>";
  for (int i = 1; i <= 12; ++i)
    laughs += "<!ENTITY l" + std::to_string(i) + " '" + [&] {
      std::string refs;
      for (int k = 0; k < 10; ++k) refs += "&l" + std::to_string(i - 1) + ";";
      return refs;
    }() + "'>";
  laughs += "]><r>&l12;</r>";
  // Deep nesting, which a recursive reader would not survive.
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<e>";
  deep += "x";
  for (int i = 0; i < 200000; ++i) deep += "</e>";

  // Very many attributes, which a pairwise check for doubles would take hours over.
  std::string wide = "<e";
  for (int i = 0; i < 100000; ++i) wide += " a" + std::to_string(i) + "='v'";
  wide += "/>";

  const auto start = std::chrono::steady_clock::now();
  Document d;
  EXPECT_FALSE(d.Parse(laughs));
  ASSERT_TRUE(d.Parse(wide));
  EXPECT_EQ(*d.Attribute(d.Root(), "a99999"), "v");
  ASSERT_TRUE(d.Parse(deep));
  EXPECT_EQ(d.Text(d.Root()), "x");
  EXPECT_EQ(d.Size(), 200000u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(XmlDocumentTest, EveryCutAndFlippedByteOfADocumentIsHandled) {
  const std::string document =
      "\xEF\xBB\xBF<?xml version='1.0'?><!DOCTYPE c [<!ENTITY e 'v&#65;'>]><c a='1' b=\"&e;\"><!-- x -->"
      "<i n='&lt;'>t&amp;<![CDATA[d]]></i><?p?><j/></c>";
  for (size_t cut = 0; cut < document.size(); ++cut) {
    Document d;
    d.Parse(document.substr(0, cut));
  }
  uint32_t seed = 12345;
  for (int round = 0; round < 5000; ++round) {
    std::string mutated = document;
    for (int k = 0; k < 3; ++k) {
      seed = seed * 1103515245 + 12345;
      mutated[(seed >> 8) % mutated.size()] = char(seed >> 24);
    }
    Document d;
    if (d.Parse(mutated))
      for (size_t e = 0; e < d.Size(); ++e) d.Text(e);
  }
}

}  // namespace
}  // namespace qv::xml
