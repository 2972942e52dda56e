#pragma once
// The lines of a setup source: one statement per logical line (a line whose last word is
// a lone backslash continues on the next one), words and double-quoted texts separated
// by blanks, "//" comments.
#include <string>
#include <string_view>
#include <vector>

#include "tools/qvbuild/diagnostics.h"

namespace qv::authoring {

struct Token {
  std::string text;     // UTF-8; a quoted text without its quotes, "" read as one quote
  bool quoted = false;  // quoted texts are always taken as they are, never as keywords
  Position at;
  bool Is(std::string_view word) const { return !quoted && text == word; }
};

struct LogicalLine {
  std::vector<Token> tokens;
  Position at;  // the first physical line
};

// Splits a source text. A faulty line is reported and left out, so that the lines after
// it are still read.
std::vector<LogicalLine> LexSource(std::string_view text, const std::string& file, Diagnostics& diagnostics);

}  // namespace qv::authoring
