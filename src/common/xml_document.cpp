#include "common/xml_document.h"

#include <algorithm>
#include <map>
#include <set>

#include "common/codepage1252.h"
#include "common/text.h"
#include "common/utf8.h"

namespace qv::xml {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-'; }

bool StartsWith(std::string_view s, size_t at, std::string_view prefix) {
  return s.size() - std::min(at, s.size()) >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

// --- encodings ---

std::string FromUtf16Bytes(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned char a = bytes[i], b = bytes[i + 1];
    units.push_back(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
  }
  return utf8::FromUtf16(units);
}

// The encoding an ASCII-compatible document declares; empty when it declares none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (!StartsWith(bytes, 0, "<?xml")) return {};
  size_t end = bytes.find("?>");
  if (end == std::string_view::npos) return {};
  std::string_view decl = bytes.substr(0, end);
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return {};
  at += 8;
  while (at < decl.size() && IsSpace(decl[at])) ++at;
  if (at >= decl.size() || decl[at] != '=') return {};
  ++at;
  while (at < decl.size() && IsSpace(decl[at])) ++at;
  if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) return {};
  size_t close = decl.find(decl[at], at + 1);
  if (close == std::string_view::npos) return {};
  return text::LowerCase(decl.substr(at + 1, close - at - 1));
}

bool Decode(std::string_view bytes, const EncodingDecoder& decoder, std::string& out, std::string& error) {
  auto starts = [&](std::string_view prefix) { return StartsWith(bytes, 0, prefix); };
  if (starts("\xEF\xBB\xBF")) {
    out = std::string(bytes.substr(3));
  } else if (starts("\xFF\xFE")) {
    out = FromUtf16Bytes(bytes.substr(2), false);
    return true;
  } else if (starts("\xFE\xFF")) {
    out = FromUtf16Bytes(bytes.substr(2), true);
    return true;
  } else if (starts(std::string_view("<\0?\0", 4))) {
    out = FromUtf16Bytes(bytes, false);
    return true;
  } else if (starts(std::string_view("\0<\0?", 4))) {
    out = FromUtf16Bytes(bytes, true);
    return true;
  } else {
    const std::string encoding = DeclaredEncoding(bytes);
    if (encoding == "iso-8859-1" || encoding == "latin1" || encoding == "us-ascii" || encoding == "ascii") {
      out.clear();
      for (unsigned char c : bytes) utf8::Append(out, c);
      return true;
    }
    if (encoding == "windows-1252" || encoding == "cp1252") {
      out = cp1252::ToUtf8(bytes);
      return true;
    }
    if (!encoding.empty() && encoding != "utf-8" && encoding != "utf8") {
      std::u16string units;
      if (!decoder || !decoder(encoding, bytes, units)) {
        error = "unsupported encoding \"" + encoding + "\"";
        return false;
      }
      out = utf8::FromUtf16(units);
      return true;
    }
    out = std::string(bytes);
  }
  if (!utf8::IsValid(out)) {
    error = "invalid UTF-8";
    return false;
  }
  return true;
}

// CR LF and lone CRs become LF, as the end-of-line rule of XML says.
std::string NormalizeLineEnds(std::string s) {
  size_t w = 0;
  for (size_t r = 0; r < s.size(); ++r) {
    if (s[r] == '\r') {
      s[w++] = '\n';
      if (r + 1 < s.size() && s[r + 1] == '\n') ++r;
    } else {
      s[w++] = s[r];
    }
  }
  s.resize(w);
  return s;
}

struct Entity {
  std::string value;  // replacement text (character references already resolved)
  bool external = false;
};

}  // namespace

class Parser {
 public:
  Parser(std::string text, std::vector<Element>& elements) : s_(std::move(text)), elements_(elements) {}

  bool Run() {
    if (StartsWith(s_, 0, "\xEF\xBB\xBF")) p_ = 3;  // a byte order mark inside UTF-16
    if (StartsWith(s_, p_, "<?xml") && p_ + 5 < s_.size() && IsSpace(s_[p_ + 5])) {
      size_t end = s_.find("?>", p_);
      if (end == std::string::npos) return Fail("unterminated XML declaration");
      p_ = end + 2;
    }
    if (!Misc()) return false;
    if (StartsWith(s_, p_, "<!DOCTYPE")) {
      if (!Doctype() || !Misc()) return false;
    }
    if (p_ >= s_.size() || s_[p_] != '<') return Fail("no document element");
    if (!Elements()) return false;
    if (!Misc()) return false;
    if (p_ != s_.size()) return Fail("content after the document element");
    return true;
  }

  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& message) {
    if (error_.empty()) error_ = message + " at offset " + std::to_string(p_);
    return false;
  }

  void SkipSpace() {
    while (p_ < s_.size() && IsSpace(s_[p_])) ++p_;
  }

  bool Name(std::string& name) {
    size_t start = p_;
    if (p_ >= s_.size() || !IsNameStart(static_cast<unsigned char>(s_[p_]))) return Fail("a name expected");
    while (p_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[p_]))) ++p_;
    name = s_.substr(start, p_ - start);
    return true;
  }

  bool Expect(std::string_view what) {
    if (!StartsWith(s_, p_, what)) return Fail(std::string(what).append(" expected"));
    p_ += what.size();
    return true;
  }

  // Moves past `terminator`, which must come.
  bool SkipPast(std::string_view terminator, const char* what) {
    size_t end = s_.find(terminator, p_);
    if (end == std::string::npos) return Fail(std::string("unterminated ") + what);
    p_ = end + terminator.size();
    return true;
  }

  // Comments, processing instructions and white space outside the document element.
  bool Misc() {
    for (;;) {
      SkipSpace();
      if (StartsWith(s_, p_, "<!--")) {
        p_ += 4;
        if (!SkipPast("-->", "comment")) return false;
      } else if (StartsWith(s_, p_, "<?")) {
        p_ += 2;
        if (!SkipPast("?>", "processing instruction")) return false;
      } else {
        return true;
      }
    }
  }

  bool QuotedLiteral(std::string& value) {
    if (p_ >= s_.size() || (s_[p_] != '"' && s_[p_] != '\'')) return Fail("a quoted literal expected");
    const char quote = s_[p_++];
    size_t end = s_.find(quote, p_);
    if (end == std::string::npos) return Fail("unterminated literal");
    value = s_.substr(p_, end - p_);
    p_ = end + 1;
    return true;
  }

  // SYSTEM "uri" or PUBLIC "id" "uri", when there.
  bool ExternalId(bool& present) {
    std::string literal;
    present = false;
    if (StartsWith(s_, p_, "SYSTEM")) {
      p_ += 6;
      SkipSpace();
      present = true;
      return QuotedLiteral(literal);
    }
    if (StartsWith(s_, p_, "PUBLIC")) {
      p_ += 6;
      SkipSpace();
      present = true;
      if (!QuotedLiteral(literal)) return false;
      SkipSpace();
      return QuotedLiteral(literal);
    }
    return true;
  }

  bool Doctype() {
    p_ += 9;
    SkipSpace();
    std::string name;
    if (!Name(name)) return false;
    SkipSpace();
    bool external;
    if (!ExternalId(external)) return false;
    SkipSpace();
    if (p_ < s_.size() && s_[p_] == '[') {
      ++p_;
      if (!InternalSubset()) return false;
      SkipSpace();
    }
    return Expect(">");
  }

  bool InternalSubset() {
    for (;;) {
      SkipSpace();
      if (p_ >= s_.size()) return Fail("unterminated document type declaration");
      if (s_[p_] == ']') {
        ++p_;
        return true;
      }
      if (StartsWith(s_, p_, "<!--")) {
        p_ += 4;
        if (!SkipPast("-->", "comment")) return false;
      } else if (StartsWith(s_, p_, "<?")) {
        p_ += 2;
        if (!SkipPast("?>", "processing instruction")) return false;
      } else if (StartsWith(s_, p_, "<!ENTITY")) {
        if (!EntityDecl()) return false;
      } else if (StartsWith(s_, p_, "<!")) {
        if (!SkipDeclaration()) return false;
      } else if (s_[p_] == '%') {
        ++p_;
        std::string name;
        if (!Name(name) || !Expect(";")) return false;
      } else {
        return Fail("unexpected text in the document type declaration");
      }
    }
  }

  // An element, attribute-list or notation declaration: up to its ">" outside quotes.
  bool SkipDeclaration() {
    p_ += 2;
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (c == '>') {
        ++p_;
        return true;
      }
      if (c == '"' || c == '\'') {
        std::string ignored;
        if (!QuotedLiteral(ignored)) return false;
      } else {
        ++p_;
      }
    }
    return Fail("unterminated declaration");
  }

  bool EntityDecl() {
    p_ += 8;
    SkipSpace();
    bool parameter = false;
    if (p_ < s_.size() && s_[p_] == '%') {
      parameter = true;
      ++p_;
      SkipSpace();
    }
    std::string name;
    if (!Name(name)) return false;
    SkipSpace();
    Entity entity;
    bool external;
    if (!ExternalId(external)) return false;
    if (external) {
      entity.external = true;
      SkipSpace();
      if (StartsWith(s_, p_, "NDATA")) {
        p_ += 5;
        SkipSpace();
        std::string notation;
        if (!Name(notation)) return false;
      }
    } else {
      std::string literal;
      if (!QuotedLiteral(literal)) return false;
      // Character references count at once; entity references when the entity is used.
      if (!ResolveCharacterReferences(literal, entity.value)) return false;
    }
    SkipSpace();
    if (!Expect(">")) return false;
    // The first declaration of a name binds.
    if (!parameter) entities_.emplace(name, std::move(entity));
    return true;
  }

  // "&#N;" or "&#xH;" at `at` of `text` (after the "&#"); false when it is not a valid
  // character of a document.
  bool CharacterReference(std::string_view text, size_t& at, std::string& out) {
    bool hex = at < text.size() && text[at] == 'x';
    if (hex) ++at;
    char32_t value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] != ';'; ++at, ++digits) {
      char c = text[at];
      int d = c >= '0' && c <= '9'          ? c - '0'
              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                            : -1;
      if (d < 0) return Fail("bad character reference");
      value = value * (hex ? 16 : 10) + char32_t(d);
      if (value > 0x10FFFF) return Fail("character reference out of range");
    }
    if (at >= text.size() || digits == 0) return Fail("bad character reference");
    ++at;
    const bool allowed = value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
                         (value >= 0xE000 && value <= 0xFFFD) || value >= 0x10000;
    if (!allowed) return Fail("character reference to a character documents may not hold");
    utf8::Append(out, value);
    return true;
  }

  bool ResolveCharacterReferences(std::string_view literal, std::string& out) {
    for (size_t at = 0; at < literal.size();) {
      if (StartsWith(literal, at, "&#")) {
        at += 2;
        if (!CharacterReference(literal, at, out)) return false;
      } else {
        out.push_back(literal[at++]);
      }
    }
    return true;
  }

  // The text a reference at `text[at]` (its "&") stands for, appended to `out` with its
  // own references resolved. `inAttribute`: white space becomes blanks.
  bool Reference(std::string_view text, size_t& at, std::string& out, bool inAttribute, int depth) {
    ++at;
    if (at < text.size() && text[at] == '#') {
      ++at;
      return CharacterReference(text, at, out);
    }
    size_t end = text.find(';', at);
    if (end == std::string_view::npos || end == at) return Fail("bad entity reference");
    const std::string name(text.substr(at, end - at));
    at = end + 1;
    static const std::pair<const char*, char> kPredefined[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [n, c] : kPredefined) {
      if (name == n) {
        out.push_back(c);
        return true;
      }
    }
    auto it = entities_.find(name);
    if (it == entities_.end()) return Fail("undefined entity \"" + name + "\"");
    if (it->second.external) return true;  // never fetched
    if (depth >= kMaxEntityDepth) return Fail("entities nest too deep");
    if (std::find(active_.begin(), active_.end(), name) != active_.end())
      return Fail("entity \"" + name + "\" refers to itself");
    active_.push_back(name);
    const std::string& value = it->second.value;
    bool ok = true;
    for (size_t i = 0; ok && i < value.size();) {
      if (value[i] == '&') {
        ok = Reference(value, i, out, inAttribute, depth + 1);
      } else {
        char c = value[i++];
        if (inAttribute && c == '<') ok = Fail("\"<\" in an attribute value");
        out.push_back(inAttribute && IsSpace(c) ? ' ' : c);
        if (++expanded_ > kMaxExpandedBytes) ok = Fail("entities expand too far");
      }
    }
    active_.pop_back();
    return ok;
  }

  bool AttributeValue(std::string& value) {
    if (p_ >= s_.size() || (s_[p_] != '"' && s_[p_] != '\'')) return Fail("an attribute value expected");
    const char quote = s_[p_++];
    value.clear();
    for (;;) {
      if (p_ >= s_.size()) return Fail("unterminated attribute value");
      char c = s_[p_];
      if (c == quote) {
        ++p_;
        return true;
      }
      if (c == '<') return Fail("\"<\" in an attribute value");
      if (c == '&') {
        if (!Reference(s_, p_, value, true, 0)) return false;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c)) return Fail("a control character");
      value.push_back(IsSpace(c) ? ' ' : c);
      ++p_;
    }
  }

  // A start tag at p_ ("<" seen); `empty` is set for "<name/>".
  bool StartTag(size_t parent, bool hasParent, size_t& index, bool& empty) {
    ++p_;
    Element element;
    if (!Name(element.name)) return false;
    std::set<std::string> names;  // a set: an element may come with very many attributes
    for (;;) {
      const size_t before = p_;
      SkipSpace();
      if (p_ >= s_.size()) return Fail("unterminated start tag");
      if (s_[p_] == '>' || StartsWith(s_, p_, "/>")) break;
      if (p_ == before) return Fail("white space expected between attributes");
      std::string name, value;
      if (!Name(name)) return false;
      SkipSpace();
      if (!Expect("=")) return false;
      SkipSpace();
      if (!AttributeValue(value)) return false;
      if (!names.insert(name).second) return Fail("attribute \"" + name + "\" given twice");
      element.attributes.emplace_back(std::move(name), std::move(value));
    }
    empty = s_[p_] == '/';
    p_ += empty ? 2 : 1;
    index = elements_.size();
    elements_.push_back(std::move(element));
    if (hasParent) {
      elements_[parent].children.push_back(index);
      Content child;
      child.kind = Content::Kind::Element;
      child.element = index;
      elements_[parent].content.push_back(std::move(child));
    }
    return true;
  }

  // Character data and references join the element's last text piece.
  std::string& TextOf(size_t element) {
    auto& content = elements_[element].content;
    if (content.empty() || content.back().kind != Content::Kind::Text) content.emplace_back();
    return content.back().text;
  }

  // The document element and everything in it, without recursion.
  bool Elements() {
    size_t root;
    bool empty;
    if (!StartTag(0, false, root, empty)) return false;
    std::vector<size_t> open;
    if (!empty) open.push_back(root);
    while (!open.empty()) {
      if (p_ >= s_.size()) return Fail("element \"" + elements_[open.back()].name + "\" is not closed");
      const size_t current = open.back();
      if (StartsWith(s_, p_, "</")) {
        p_ += 2;
        std::string name;
        if (!Name(name)) return false;
        SkipSpace();
        if (!Expect(">")) return false;
        if (name != elements_[current].name)
          return Fail("end tag \"" + name + "\" closes \"" + elements_[current].name + "\"");
        open.pop_back();
      } else if (StartsWith(s_, p_, "<!--")) {
        p_ += 4;
        if (!SkipPast("-->", "comment")) return false;
      } else if (StartsWith(s_, p_, "<![CDATA[")) {
        p_ += 9;
        size_t end = s_.find("]]>", p_);
        if (end == std::string::npos) return Fail("unterminated CDATA section");
        Content cdata;
        cdata.kind = Content::Kind::CData;
        cdata.text = s_.substr(p_, end - p_);
        elements_[current].content.push_back(std::move(cdata));
        p_ = end + 3;
      } else if (StartsWith(s_, p_, "<?")) {
        p_ += 2;
        if (!SkipPast("?>", "processing instruction")) return false;
      } else if (StartsWith(s_, p_, "<!")) {
        return Fail("markup declaration inside an element");
      } else if (s_[p_] == '<') {
        size_t child;
        if (!StartTag(current, true, child, empty)) return false;
        if (!empty) open.push_back(child);
      } else if (s_[p_] == '&') {
        if (!Reference(s_, p_, TextOf(current), false, 0)) return false;
      } else {
        size_t end = std::min(s_.find_first_of("<&", p_), s_.size());
        for (size_t i = p_; i < end; ++i) {
          const char c = s_[i];
          if (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c)) return Fail("a control character");
        }
        TextOf(current).append(s_, p_, end - p_);
        p_ = end;
      }
    }
    return true;
  }

  std::string s_;
  size_t p_ = 0;
  std::vector<Element>& elements_;
  std::map<std::string, Entity> entities_;
  std::vector<std::string> active_;  // entities being expanded
  size_t expanded_ = 0;
  std::string error_;
};

bool Document::Parse(std::string_view bytes, std::string* error, const EncodingDecoder& decoder) {
  elements_.clear();
  std::string text, reason;
  bool ok = Decode(bytes, decoder, text, reason);
  if (ok) {
    Parser parser(NormalizeLineEnds(std::move(text)), elements_);
    ok = parser.Run();
    reason = parser.Error();
  }
  if (!ok) elements_.clear();
  if (error) *error = ok ? std::string() : reason;
  return ok;
}

const std::string* Document::Attribute(size_t element, std::string_view name) const {
  for (const auto& attribute : elements_[element].attributes)
    if (attribute.first == name) return &attribute.second;
  return nullptr;
}

std::string Document::Text(size_t element) const {
  std::string out;
  // Depth first in document order, with an explicit stack of (element, next content).
  std::vector<std::pair<size_t, size_t>> stack{{element, 0}};
  while (!stack.empty()) {
    auto& [index, next] = stack.back();
    const auto& content = elements_[index].content;
    if (next == content.size()) {
      stack.pop_back();
      continue;
    }
    const Content& piece = content[next++];
    if (piece.kind == Content::Kind::Element) {
      stack.emplace_back(piece.element, 0);
    } else if (piece.kind == Content::Kind::CData ||
               std::any_of(piece.text.begin(), piece.text.end(), [](char c) { return !IsSpace(c); })) {
      out += piece.text;
    }
  }
  size_t first = 0, last = out.size();
  while (first < last && IsSpace(out[first])) ++first;
  while (last > first && IsSpace(out[last - 1])) --last;
  return out.substr(first, last - first);
}

}  // namespace qv::xml
