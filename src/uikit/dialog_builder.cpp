#include "uikit/dialog_builder.h"

#include "uikit/container.h"
#include "uikit/control_registry.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

bool IsResourceElement(const std::string& name) {
  return name == "Font" || name == "Image" || name == "Default" || name == "MultiLanguage" || name == "Include";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool CDialogBuilder::ParseAttributeList(const std::string& text,
                                        std::vector<std::pair<std::string, std::string>>* out) {
  size_t i = 0;
  const size_t n = text.size();
  while (true) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i == n) return true;
    const size_t nameStart = i;
    while (i < n && text[i] != '=' && !IsBlank(text[i])) ++i;
    std::string name = text.substr(nameStart, i - nameStart);
    while (i < n && IsBlank(text[i])) ++i;
    if (name.empty() || i == n || text[i] != '=') return false;
    ++i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i == n || (text[i] != '"' && text[i] != '\'')) return false;
    const char quote = text[i++];
    const size_t end = text.find(quote, i);
    if (end == std::string::npos) return false;
    out->emplace_back(std::move(name), text.substr(i, end - i));
    i = end + 1;
  }
}

std::unique_ptr<Control> CDialogBuilder::Create(const std::string& layout, const SkinPackage& package,
                                                IDialogBuilderCallback* callback, CPaintManagerUI* manager) {
  std::string bytes;
  error_.clear();
  if (!package.ReadEntry(layout, &bytes, &error_)) return nullptr;
  return CreateFromString(bytes, callback, manager);
}

std::unique_ptr<Control> CDialogBuilder::CreateFromString(const std::string& markup, IDialogBuilderCallback* callback,
                                                          CPaintManagerUI* manager) {
  error_.clear();
  MarkupNode root;
  if (!ParseMarkup(markup, &root, &error_)) return nullptr;
  std::unique_ptr<Control> tree = Build(root, callback, manager);
  if (!tree && error_.empty()) error_ = "Expected start tag";
  return tree;
}

std::unique_ptr<Control> CDialogBuilder::Build(const MarkupNode& root, IDialogBuilderCallback* callback,
                                               CPaintManagerUI* manager) {
  if (root.name != "Window") return std::unique_ptr<Control>(BuildControl(root, callback, manager));
  if (manager) {
    for (const auto& kv : root.attributes) manager->Window().Set(kv.first, kv.second);
  }
  // Declarations first, wherever they stand, so every control sees the
  // defaults and fonts; then the first element that yields a control.
  for (const MarkupNode& child : root.children) {
    if (!manager) break;
    if (child.name == "Font") {
      ReadFont(child, manager);
    } else if (child.name == "Default") {
      const std::string* name = child.Attribute("name");
      const std::string* value = child.Attribute("value");
      if (name && value) manager->SetDefaultAttributes(*name, *value);
    } else if (child.name == "MultiLanguage" || child.name == "Image" || child.name == "Include") {
      // Understood and not needed by these skins: images load on first use.
    }
  }
  for (const MarkupNode& child : root.children) {
    if (IsResourceElement(child.name)) continue;
    if (Control* c = BuildControl(child, callback, manager)) return std::unique_ptr<Control>(c);
  }
  return nullptr;
}

void CDialogBuilder::ReadFont(const MarkupNode& node, CPaintManagerUI* manager) {
  FontSpec font;
  int id = -1;
  bool isDefault = false;
  for (const auto& kv : node.attributes) {
    const std::string& k = kv.first;
    const std::string& v = kv.second;
    if (k == "id") ParseInt(v, &id);
    else if (k == "name") font.face = v;
    else if (k == "size") ParseInt(v, &font.size);
    else if (k == "bold") font.bold = ParseBool(v);
    else if (k == "underline") font.underline = ParseBool(v);
    else if (k == "italic") font.italic = ParseBool(v);
    else if (k == "default") isDefault = ParseBool(v);
  }
  if (font.size <= 0) font.size = 12;
  if (id < 0) {
    // Fonts without an id are numbered in declaration order.
    for (id = 0; manager->Fonts().Has(id); ++id) {
    }
  }
  manager->Fonts().Add(id, font, isDefault);
}

Control* CDialogBuilder::BuildControl(const MarkupNode& node, IDialogBuilderCallback* callback,
                                      CPaintManagerUI* manager) {
  Control* c = ControlRegistry::Instance().Create(node.name);
  if (!c && callback) c = callback->CreateControl(node.name);
  if (!c) return nullptr;
  if (manager) {
    if (const std::string* defaults = manager->GetDefaultAttributes(node.name)) {
      std::vector<std::pair<std::string, std::string>> pairs;
      ParseAttributeList(*defaults, &pairs);
      for (const auto& kv : pairs) c->SetAttribute(kv.first, kv.second);
    }
  }
  for (const auto& kv : node.attributes) c->SetAttribute(kv.first, kv.second);
  if (Container* box = static_cast<Container*>(c->GetInterface("Container"))) {
    for (const MarkupNode& child : node.children)
      if (Control* sub = BuildControl(child, callback, manager)) box->Add(sub);
  }
  return c;
}

}  // namespace SkinUI
