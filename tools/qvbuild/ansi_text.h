#pragma once
// Source texts are UTF-8; the compiled script holds the ANSI code page (1252).
#include <optional>
#include <string>
#include <string_view>

namespace qv::authoring {

struct AnsiFault {
  size_t character = 0;  // 0-based index of the faulty character
  std::string reason;
};

// The code-page text of a UTF-8 text, or the first character that has no byte (or is not
// valid UTF-8).
std::optional<std::string> Utf8ToAnsi(std::string_view utf8, AnsiFault* fault = nullptr);
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace qv::authoring
