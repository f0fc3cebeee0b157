#include "uikit/control_registry.h"

#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/edit.h"
#include "uikit/label.h"
#include "uikit/progress.h"

namespace SkinUI {
namespace {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

template <class T>
ControlRegistry::Factory Make() {
  return [] { return static_cast<Control*>(new T); };
}

void RegisterStandardControls(ControlRegistry& r) {
  r.Register("Control", Make<Control>());
  r.Register("Container", Make<Container>());
  r.Register("VerticalLayout", Make<VerticalLayout>());
  r.Register("HorizontalLayout", Make<HorizontalLayout>());
  r.Register("TabLayout", Make<TabLayout>());
  r.Register("Label", Make<Label>());
  r.Register("Text", Make<Text>());
  r.Register("Button", Make<Button>());
  r.Register("Option", Make<Option>());
  r.Register("CheckBox", Make<CheckBox>());
  r.Register("Edit", Make<Edit>());
  r.Register("Combo", Make<Combo>());
  r.Register("Progress", Make<Progress>());
  for (const auto& alias : ControlRegistry::Aliases()) {
    const std::string base = alias.second;
    r.Register(alias.first, [base] { return ControlRegistry::Instance().Create(base); });
  }
}

}  // namespace

const std::vector<std::pair<const char*, const char*>>& ControlRegistry::Aliases() {
  static const std::vector<std::pair<const char*, const char*>> aliases = {
      {"TileLayout", "HorizontalLayout"},
      {"ChildLayout", "Container"},
      {"RichEdit", "Edit"},
      {"Slider", "Progress"},
      {"ScrollBar", "Control"},
      {"List", "VerticalLayout"},
      {"ListHeader", "HorizontalLayout"},
      {"ListHeaderItem", "Button"},
      {"ListElement", "Label"},
      {"ListLabelElement", "Label"},
      {"ListTextElement", "Label"},
      {"ListContainerElement", "HorizontalLayout"},
      {"TreeView", "VerticalLayout"},
      {"TreeNode", "HorizontalLayout"},
      {"GifAnim", "Label"},
      {"DateTime", "Label"},
      {"ActiveX", "Control"},
      {"WebBrowser", "Control"},
  };
  return aliases;
}

ControlRegistry& ControlRegistry::Instance() {
  static ControlRegistry* registry = [] {
    auto* r = new ControlRegistry;  // lives for the process; controls may be built at exit
    RegisterStandardControls(*r);
    return r;
  }();
  return *registry;
}

bool ControlRegistry::Register(const std::string& name, Factory factory) {
  if (name.empty() || !factory || factories_.count(name)) return false;
  factories_.emplace(name, std::move(factory));
  return true;
}

const ControlRegistry::Factory* ControlRegistry::Find(const std::string& name) const {
  auto it = factories_.find(name);
  if (it != factories_.end()) return &it->second;
  for (const auto& kv : factories_)
    if (EqualsIgnoreCase(kv.first, name)) return &kv.second;
  return nullptr;
}

Control* ControlRegistry::Create(const std::string& name) const {
  const Factory* f = Find(name);
  return f ? (*f)() : nullptr;
}

bool ControlRegistry::Knows(const std::string& name) const { return Find(name) != nullptr; }

std::vector<std::string> ControlRegistry::Names() const {
  std::vector<std::string> out;
  for (const auto& kv : factories_) out.push_back(kv.first);
  return out;
}

}  // namespace SkinUI
