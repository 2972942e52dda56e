#pragma once
// A small XML reader for the documents setups meet: the XML declaration with its
// encoding (UTF-8, UTF-16 with or without a byte order mark, Latin-1 and code page 1252,
// other code pages through a decoder the caller gives), comments, processing
// instructions, CDATA sections, character references, the predefined entities and the
// internal entities of a document type declaration. External entities are never
// fetched; they stand for no text. A document that is not well formed is refused, as
// a validating-free DOM parser refuses it.
//
// Hostile input is bounded: elements nest without recursion on the machine stack, entity
// references nest at most kMaxEntityDepth deep and all entity expansions of a document
// together give at most kMaxExpandedBytes.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::xml {

inline constexpr int kMaxEntityDepth = 16;
inline constexpr size_t kMaxExpandedBytes = size_t(8) << 20;

// One piece of an element's content, in document order.
struct Content {
  enum class Kind { Text, CData, Element };
  Kind kind = Kind::Text;
  std::string text;    // Text, CData (UTF-8)
  size_t element = 0;  // Element: its index in the document
};

struct Element {
  std::string name;  // as written, a namespace prefix included (UTF-8)
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<size_t> children;  // child elements in document order
  std::vector<Content> content;
};

// Decodes a document whose declaration names an encoding the reader lacks (a legacy
// code page): false when the decoder does not know it either.
using EncodingDecoder = std::function<bool(std::string_view encoding, std::string_view bytes, std::u16string& text)>;

class Document {
 public:
  // Reads a document from the bytes of its file. False (with the reason in `error`) when
  // it is not well formed or its encoding is not known.
  bool Parse(std::string_view bytes, std::string* error = nullptr, const EncodingDecoder& decoder = {});

  // The document element is element 0.
  size_t Root() const { return 0; }
  const Element& At(size_t index) const { return elements_[index]; }
  size_t Size() const { return elements_.size(); }

  // The value of an element's attribute; null when the element has none of that name.
  const std::string* Attribute(size_t element, std::string_view name) const;
  // The text of an element, as a DOM that does not preserve white space gives it: the
  // text and CDATA of the element and its descendants in document order, text pieces of
  // nothing but white space left out, white space at both ends of the whole removed.
  std::string Text(size_t element) const;

 private:
  friend class Parser;
  std::vector<Element> elements_;
};

}  // namespace qv::xml
