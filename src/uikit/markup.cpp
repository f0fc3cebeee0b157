#include "uikit/markup.h"
#include "uikit/utf8.h"

#include <cstdint>

namespace SkinUI {

const std::string* MarkupNode::Attribute(const std::string& attributeName) const {
  for (const auto& attribute : attributes)
    if (attribute.first == attributeName) return &attribute.second;
  return nullptr;
}

namespace {

const char kUnmatchedClosingTag[] = "Unmatched closing tag";
const char kExpectedEndTagStart[] = "Expected end-tag start";
const char kExpectedStartTagClosing[] = "Expected start-tag closing";
const char kErrorParsingElementName[] = "Error parsing element name";
const char kExpectedStartTag[] = "Expected start tag";
const char kErrorParsingAttributeString[] = "Error while parsing attribute string";
const char kExpectedAttributeValue[] = "Expected attribute value";
const char kErrorParsingAttributes[] = "Error while parsing attributes";
const char kNestedTooDeeply[] = "Markup nested too deeply";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Names: ASCII letters, digits and "_:.-", or any byte of a multi-byte UTF-8
// sequence; not starting with a digit, '-' or '.'.
bool IsNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

class Reader {
 public:
  explicit Reader(const std::string& text) : s_(text) {}

  bool Document(MarkupNode* root) {
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    if (!SkipMisc()) return Fail(kExpectedStartTag);
    if (!At('<') || pos_ + 1 >= s_.size() || s_[pos_ + 1] == '/') return Fail(kExpectedStartTag);
    ++pos_;
    return Element(root, 1);
    // Whatever follows the root element is not read: the layout is complete.
  }

  const char* error() const { return error_; }
  size_t pos() const { return pos_; }

 private:
  bool At(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
  bool StartsWith(const char* prefix) const { return s_.compare(pos_, std::char_traits<char>::length(prefix), prefix) == 0; }
  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
  }
  bool Fail(const char* text) {
    error_ = text;
    return false;
  }
  // Moves past the next occurrence of `end`; false when there is none.
  bool SkipPast(const char* end) {
    size_t found = s_.find(end, pos_);
    if (found == std::string::npos) return false;
    pos_ = found + std::char_traits<char>::length(end);
    return true;
  }

  // Blanks, comments, processing instructions and a DOCTYPE before the root.
  bool SkipMisc() {
    for (;;) {
      SkipBlanks();
      if (StartsWith("<!--")) {
        pos_ += 4;
        if (!SkipPast("-->")) return false;
      } else if (StartsWith("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (StartsWith("<!DOCTYPE")) {
        if (!SkipDoctype()) return false;
      } else {
        return true;
      }
    }
  }

  bool SkipDoctype() {
    int bracket = 0;
    for (++pos_; pos_ < s_.size(); ++pos_) {
      char c = s_[pos_];
      if (c == '[') ++bracket;
      else if (c == ']') --bracket;
      else if (c == '>' && bracket <= 0) {
        ++pos_;
        return true;
      }
    }
    return false;
  }

  bool Name(std::string* out) {
    size_t start = pos_;
    if (pos_ >= s_.size() || !IsNameStart(s_[pos_])) return false;
    while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
    *out = s_.substr(start, pos_ - start);
    return true;
  }

  // An entity after '&' at pos_, appended decoded.
  bool Entity(std::string* out) {
    // Bounded look-ahead: a long run of stray '&' stays linear.
    size_t semi = pos_ + 1;
    while (semi < s_.size() && semi - pos_ <= 12 && s_[semi] != ';') ++semi;
    if (semi >= s_.size() || s_[semi] != ';') return false;
    std::string name = s_.substr(pos_ + 1, semi - pos_ - 1);
    pos_ = semi + 1;
    if (name == "lt") out->push_back('<');
    else if (name == "gt") out->push_back('>');
    else if (name == "amp") out->push_back('&');
    else if (name == "quot") out->push_back('"');
    else if (name == "apos") out->push_back('\'');
    else if (name.size() >= 2 && name[0] == '#') {
      bool hex = name[1] == 'x' || name[1] == 'X';
      size_t i = hex ? 2 : 1;
      if (i >= name.size()) return false;
      uint32_t cp = 0;
      for (; i < name.size(); ++i) {
        char c = name[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        if (cp > 0x10FFFF) return false;
      }
      if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
      AppendUtf8(cp, out);
    } else {
      return false;
    }
    return true;
  }

  bool AttributeValue(std::string* out) {
    char quote = s_[pos_++];
    out->clear();
    while (pos_ < s_.size() && s_[pos_] != quote) {
      if (s_[pos_] == '&') {
        if (!Entity(out)) return false;
      } else {
        out->push_back(s_[pos_++]);
      }
    }
    if (pos_ >= s_.size()) return false;
    ++pos_;
    return true;
  }

  // After '<' of a start tag.
  bool Element(MarkupNode* node, int depth) {
    if (depth > kMaxMarkupDepth) return Fail(kNestedTooDeeply);
    if (!Name(&node->name)) return Fail(kErrorParsingElementName);
    for (;;) {
      size_t before = pos_;
      SkipBlanks();
      if (pos_ >= s_.size()) return Fail(kExpectedStartTagClosing);
      if (At('>')) {
        ++pos_;
        break;
      }
      if (At('/')) {
        ++pos_;
        if (!At('>')) return Fail(kExpectedStartTagClosing);
        ++pos_;
        return true;
      }
      if (pos_ == before) return Fail(kErrorParsingAttributes);  // no blank before the name
      std::string name;
      if (!Name(&name)) return Fail(kErrorParsingAttributes);
      SkipBlanks();
      if (!At('=')) return Fail(kErrorParsingAttributeString);
      ++pos_;
      SkipBlanks();
      if (!At('"') && !At('\'')) return Fail(kExpectedAttributeValue);
      std::string value;
      if (!AttributeValue(&value)) return Fail(kErrorParsingAttributeString);
      node->attributes.emplace_back(std::move(name), std::move(value));
    }
    return Content(node, depth);
  }

  // Children up to and including the end tag of `node`.
  bool Content(MarkupNode* node, int depth) {
    for (;;) {
      size_t lt = s_.find('<', pos_);
      if (lt == std::string::npos) {
        pos_ = s_.size();
        return Fail(kExpectedEndTagStart);
      }
      pos_ = lt;
      if (StartsWith("<!--")) {
        pos_ += 4;
        if (!SkipPast("-->")) return Fail(kExpectedEndTagStart);
      } else if (StartsWith("<![CDATA[")) {
        if (!SkipPast("]]>")) return Fail(kExpectedEndTagStart);
      } else if (StartsWith("<?")) {
        if (!SkipPast("?>")) return Fail(kExpectedEndTagStart);
      } else if (StartsWith("</")) {
        pos_ += 2;
        std::string name;
        if (!Name(&name) || name != node->name) return Fail(kUnmatchedClosingTag);
        SkipBlanks();
        if (!At('>')) return Fail(kUnmatchedClosingTag);
        ++pos_;
        return true;
      } else {
        ++pos_;
        node->children.emplace_back();
        if (!Element(&node->children.back(), depth + 1)) return false;
      }
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
  const char* error_ = "";
};

}  // namespace

bool ParseMarkup(const std::string& utf8, MarkupNode* root, std::string* error, size_t* offset) {
  *root = MarkupNode{};
  Reader reader(utf8);
  bool ok = reader.Document(root);
  if (!ok) *root = MarkupNode{};
  if (error) *error = ok ? std::string() : reader.error();
  if (offset) *offset = reader.pos();
  return ok;
}

}  // namespace SkinUI
