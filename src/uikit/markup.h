// The layout markup: a small XML reader that keeps elements and their
// attributes in document order. Character data between elements is not
// kept (the layouts carry everything in attributes).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace SkinUI {

struct MarkupNode {
  std::string name;
  // Document order, duplicates kept: the builder decides which one wins.
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<MarkupNode> children;

  // The first attribute of that name (exact case), or null.
  const std::string* Attribute(const std::string& name) const;
};

// Deeper nesting than this is refused, so hostile markup cannot exhaust the
// stack of the reader or of the builder that walks the tree.
constexpr int kMaxMarkupDepth = 256;

// Reads a UTF-8 document (an optional BOM, <?xml?> declaration, comments and
// a DOCTYPE are skipped) into its root element. Entities (&lt; &gt; &amp;
// &quot; &apos;, &#N; and &#xN;) are decoded in attribute values.
// On failure *root is cleared and *error holds one of "Unmatched closing
// tag", "Expected end-tag start", "Expected start-tag closing", "Error
// parsing element name", "Expected start tag", "Error while parsing
// attribute string", "Expected attribute value", "Error while parsing
// attributes" or "Markup nested too deeply"; *offset (when given) is the
// byte offset where reading stopped.
bool ParseMarkup(const std::string& utf8, MarkupNode* root, std::string* error, size_t* offset = nullptr);

}  // namespace SkinUI
