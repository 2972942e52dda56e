#include "platform/registry.h"

namespace qv::platform {

RegValue RegValue::String(const std::string& text, uint32_t type) {
  RegValue v;
  v.type = type;
  v.data = text;
  v.data.push_back('\0');
  return v;
}

RegValue RegValue::Dword(uint32_t value) {
  RegValue v;
  v.type = regtype::kDword;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return v;
}

RegValue RegValue::Qword(uint64_t value) {
  RegValue v;
  v.type = regtype::kQword;
  for (int i = 0; i < 8; ++i) v.data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return v;
}

std::string RegValue::AsString() const {
  std::string s = data;
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

uint32_t RegValue::AsDword() const {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && i < data.size(); ++i) v |= uint32_t(uint8_t(data[i])) << (8 * i);
  return v;
}

}  // namespace qv::platform
