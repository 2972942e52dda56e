#include "platform/sim/find_mask.h"

#include <string>
#include <vector>

#include "common/text.h"

namespace qv::platform::sim {
namespace {

enum class Token : char { Literal, Star, DosStar, DosQm, DosDot };

struct Item {
  Token token;
  unsigned char c;
};

std::vector<Item> Translate(std::string_view mask) {
  if (mask == "*.*") mask = "*";
  std::vector<Item> items;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
    if (c == '?') {
      items.push_back({Token::DosQm, 0});
    } else if (c == '*') {
      items.push_back({next == '.' ? Token::DosStar : Token::Star, 0});
    } else if (c == '.' && (next == '?' || next == '*' || next == '\0')) {
      items.push_back({Token::DosDot, 0});
    } else {
      items.push_back({Token::Literal, text::UpperChar(static_cast<unsigned char>(c))});
    }
  }
  return items;
}

}  // namespace

bool FindMaskMatches(std::string_view mask, std::string_view name) {
  const std::vector<Item> items = Translate(mask);
  const size_t n = name.size();
  const size_t lastDot = name.rfind('.');
  // reach[j]: the items so far can match the first j characters of the name. Each item
  // moves the set forward; the work is items x characters, whatever the mask.
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (const Item& item : items) {
    std::fill(next.begin(), next.end(), 0);
    for (size_t j = 0; j <= n; ++j) {
      if (!reach[j]) continue;
      const unsigned char c = j < n ? static_cast<unsigned char>(name[j]) : 0;
      switch (item.token) {
        case Token::Literal:
          if (j < n && text::UpperChar(c) == item.c) next[j + 1] = 1;
          break;
        case Token::Star:
          for (size_t k = j; k <= n; ++k) next[k] = 1;
          break;
        case Token::DosStar: {
          // Up to the last period, which stays for the items after it.
          size_t end = lastDot == std::string_view::npos ? n : lastDot;
          for (size_t k = j; k <= end && k <= n; ++k) next[k] = 1;
          if (j > end) next[j] = 1;
          break;
        }
        case Token::DosQm:
          if (j == n || c == '.')
            next[j] = 1;
          else
            next[j + 1] = 1;
          break;
        case Token::DosDot:
          if (j == n)
            next[j] = 1;
          else if (c == '.')
            next[j + 1] = 1;
          break;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

}  // namespace qv::platform::sim
