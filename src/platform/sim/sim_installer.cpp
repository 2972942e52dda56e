#include "platform/sim/sim_installer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "common/text.h"

namespace qv::platform::sim {
namespace {

std::string Key(const std::string& code) { return text::UpperCase(code); }

// One field of a line: tabs, line breaks and backslashes escaped.
std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(Unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

bool IsProductCode(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

SimInstaller::SimInstaller(std::string hostFile) : file_(std::move(hostFile)) {
  if (file_.empty()) return;
  std::ifstream in(file_, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f = Fields(line);
    if (f.size() == 3 && f[0] == "product" && IsProductCode(f[1])) {
      products_[Key(f[1])].state = std::atoi(f[2].c_str());
    } else if (f.size() == 4 && f[0] == "property" && IsProductCode(f[1])) {
      auto it = products_.find(Key(f[1]));
      if (it != products_.end()) it->second.properties[f[2]] = f[3];
    }
  }
}

int SimInstaller::ProductState(const std::string& productCode) {
  if (!IsProductCode(productCode)) return installstate::kInvalidArg;
  std::lock_guard lock(mutex_);
  auto it = products_.find(Key(productCode));
  return it == products_.end() ? installstate::kUnknown : it->second.state;
}

bool SimInstaller::ProductInfo(const std::string& productCode, const std::string& property, std::string& value) {
  value.clear();
  if (!IsProductCode(productCode)) return false;
  std::lock_guard lock(mutex_);
  auto product = products_.find(Key(productCode));
  if (product == products_.end()) return false;
  auto it = product->second.properties.find(property);
  if (it == product->second.properties.end()) return false;
  value = it->second;
  return true;
}

bool SimInstaller::AddProduct(const std::string& productCode, SimProduct product) {
  if (!IsProductCode(productCode)) return false;
  std::lock_guard lock(mutex_);
  products_[Key(productCode)] = std::move(product);
  Save();
  return true;
}

bool SimInstaller::SetProperty(const std::string& productCode, const std::string& property,
                               const std::string& value) {
  std::lock_guard lock(mutex_);
  auto it = products_.find(Key(productCode));
  if (it == products_.end()) return false;
  it->second.properties[property] = value;
  Save();
  return true;
}

bool SimInstaller::RemoveProduct(const std::string& productCode) {
  std::lock_guard lock(mutex_);
  if (products_.erase(Key(productCode)) == 0) return false;
  Save();
  return true;
}

std::vector<std::string> SimInstaller::ProductCodes() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> codes;
  for (const auto& [code, product] : products_) codes.push_back(code);
  return codes;
}

void SimInstaller::Save() const {
  if (file_.empty()) return;
  // Written beside and renamed over, so a crash leaves the old or the new table.
  std::string temp = file_ + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << "# Simulated Windows Installer: registered products, their state and properties\n";
    for (const auto& [code, product] : products_) {
      out << "product\t" << code << '\t' << product.state << '\n';
      for (const auto& [name, value] : product.properties)
        out << "property\t" << code << '\t' << Escape(name) << '\t' << Escape(value) << '\n';
    }
    if (!out) return;
  }
  std::rename(temp.c_str(), file_.c_str());
}

}  // namespace qv::platform::sim
