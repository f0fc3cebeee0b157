#include "uikit/text_table.h"

#include <map>
#include <mutex>

namespace SkinUI {
namespace {

// Keyed by the id written in decimal, as the tokens write it.
std::mutex tableLock;
std::map<std::string, std::string>& Table() {
  static std::map<std::string, std::string> table;
  return table;
}

}  // namespace

void AddLocalText(int id, const std::string& text) {
  std::lock_guard<std::mutex> lock(tableLock);
  Table()[std::to_string(id)] = text;
}

std::optional<std::string> LocalText(int id) {
  std::lock_guard<std::mutex> lock(tableLock);
  auto it = Table().find(std::to_string(id));
  if (it == Table().end()) return std::nullopt;
  return it->second;
}

void ClearLocalTexts() {
  std::lock_guard<std::mutex> lock(tableLock);
  Table().clear();
}

std::string ExpandTextTokens(const std::string& text) {
  if (text.find("%{") == std::string::npos) return text;
  std::lock_guard<std::mutex> lock(tableLock);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find("%{", i);
    if (open == std::string::npos) break;
    size_t j = open + 2;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    out.append(text, i, open - i);
    if (j > open + 2 && j < text.size() && text[j] == '}') {
      auto it = Table().find(text.substr(open + 2, j - open - 2));
      if (it != Table().end()) {
        out += it->second;
      } else {
        out.append(text, open, j + 1 - open);
      }
      i = j + 1;
    } else {
      // Not a token: keep the two characters and look on after them, so
      // "%{%{1}" still finds the second one.
      out.append(text, open, 2);
      i = open + 2;
    }
  }
  out.append(text, i, std::string::npos);
  return out;
}

}  // namespace SkinUI
