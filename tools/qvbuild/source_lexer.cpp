#include "tools/qvbuild/source_lexer.h"

namespace qv::authoring {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

class PhysicalLineReader {
 public:
  PhysicalLineReader(std::string_view line, int lineNumber, const std::string& file, Diagnostics& d)
      : s_(line), line_(lineNumber), file_(file), d_(d) {}

  // Appends the line's tokens; false when the line is faulty.
  bool Read(std::vector<Token>& tokens) {
    size_t i = 0;
    while (true) {
      while (i < s_.size() && IsBlank(s_[i])) ++i;
      if (i >= s_.size()) return true;
      if (s_.compare(i, 2, "//") == 0) return true;
      Token t;
      t.at = At(i);
      if (s_[i] == '"') {
        t.quoted = true;
        size_t j = i + 1;
        bool closed = false;
        while (j < s_.size()) {
          if (s_[j] == '"') {
            if (j + 1 < s_.size() && s_[j + 1] == '"') {
              t.text.push_back('"');
              j += 2;
              continue;
            }
            closed = true;
            ++j;
            break;
          }
          t.text.push_back(s_[j++]);
        }
        if (!closed) {
          d_.Error(file_, t.at, "unterminated quoted text: a quoted text must end on its own line");
          return false;
        }
        if (j < s_.size() && !IsBlank(s_[j])) {
          d_.Error(file_, At(j), "a quoted text must be followed by a blank (write \"\" for a quote inside it)");
          return false;
        }
        i = j;
      } else {
        size_t j = i;
        while (j < s_.size() && !IsBlank(s_[j])) {
          if (s_[j] == '"') {
            d_.Error(file_, At(j), "a double quote inside a word: quote the whole text (\"\" stands for one quote)");
            return false;
          }
          ++j;
        }
        t.text.assign(s_.substr(i, j - i));
        i = j;
      }
      tokens.push_back(std::move(t));
    }
  }

 private:
  // Columns count characters, not the bytes of their UTF-8 form.
  Position At(size_t byte) const {
    int column = 1;
    for (size_t k = 0; k < byte; ++k)
      if ((static_cast<unsigned char>(s_[k]) & 0xC0) != 0x80) ++column;
    return {line_, column};
  }

  std::string_view s_;
  int line_;
  const std::string& file_;
  Diagnostics& d_;
};

}  // namespace

std::vector<LogicalLine> LexSource(std::string_view text, const std::string& file, Diagnostics& diagnostics) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<LogicalLine> lines;
  LogicalLine current;
  bool continuing = false, faulty = false;
  Position continuation;
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    // A line ends at CR LF, LF or a lone CR.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view physical = text.substr(start, end - start);
    size_t next = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++number;
    if (!continuing) {
      current = LogicalLine{};
      faulty = false;
    }
    size_t before = current.tokens.size();
    if (!PhysicalLineReader(physical, number, file, diagnostics).Read(current.tokens)) faulty = true;
    continuing = false;
    if (current.tokens.size() > before && current.tokens.back().Is("\\")) {
      continuation = current.tokens.back().at;
      current.tokens.pop_back();
      continuing = true;
    }
    if (!continuing && !faulty && !current.tokens.empty()) {
      current.at = current.tokens.front().at;
      lines.push_back(std::move(current));
    }
    start = next;
  }
  if (continuing)
    diagnostics.Error(file, continuation, "the last line ends with a line continuation (\\) but no line follows");
  return lines;
}

}  // namespace qv::authoring
