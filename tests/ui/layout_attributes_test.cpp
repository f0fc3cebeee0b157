// The shipped layouts against the code that reads them: an attribute no
// class reads is a typing mistake in the skin that nothing else would
// catch, since the builder keeps unknown names as custom attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "ui/sequence_controls.h"
#include "ui/skin_frame.h"
#include "uikit/control.h"
#include "uikit/control_registry.h"
#include "uikit/markup.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"

namespace SkinUI {
namespace {

// What the builder reads of its non-control elements (dialog_builder.cpp).
const std::set<std::string> kFontAttributes = {"id", "name", "size", "bold", "underline", "italic", "default"};
const std::set<std::string> kDefaultAttributes = {"name", "value"};
// Read from any control's custom attributes: its own focus ring corners
// (the paint manager), and a drop-down item's "selected" (the combo).
const std::set<std::string> kCustomAttributesRead = {"focusround", "selected"};

void Check(const std::string& layout, const MarkupNode& node, SequenceControlFactory& factory, int* checked) {
  for (const MarkupNode& child : node.children) {
    if (child.name == "Font" || child.name == "Default") {
      const std::set<std::string>& known = child.name == "Font" ? kFontAttributes : kDefaultAttributes;
      for (const auto& a : child.attributes) EXPECT_TRUE(known.count(a.first)) << layout << ": " << child.name << " " << a.first;
      continue;
    }
    std::unique_ptr<Control> control(ControlRegistry::Instance().Create(child.name));
    if (!control) control.reset(factory.CreateControl(child.name));
    ASSERT_TRUE(control) << layout << ": no class builds <" << child.name << ">";
    for (const auto& a : child.attributes) {
      ++*checked;
      EXPECT_TRUE(control->Attributes().Find(a.first) || kCustomAttributesRead.count(a.first))
          << layout << ": <" << child.name << "> " << a.first << "=\"" << a.second << "\" is read by nothing";
    }
    Check(layout, child, factory, checked);
  }
}

TEST(ShippedLayouts, EveryAttributeIsOneItsElementsClassReads) {
  std::string error;
  SkinPackage* package = OpenEmbeddedSkinPackage(&error);
  ASSERT_NE(package, nullptr) << error;
  SequenceControlFactory factory;
  int layouts = 0, checked = 0;
  for (const SkinPackage::Entry& entry : package->Entries()) {
    if (entry.path.find('/') != std::string::npos || entry.path.size() < 4 ||
        entry.path.compare(entry.path.size() - 4, 4, ".xml") != 0)
      continue;
    ++layouts;
    MarkupNode root;
    ASSERT_TRUE(ParseMarkup(entry.bytes, &root, &error)) << entry.path << ": " << error;
    ASSERT_EQ(root.name, "Window") << entry.path;
    for (const auto& a : root.attributes) {
      const auto& shadow = CSkinFrame::ShadowAttributes();
      EXPECT_TRUE(WindowAttributes::Recognises(a.first) ||
                  std::find(shadow.begin(), shadow.end(), a.first) != shadow.end())
          << entry.path << ": <Window> " << a.first << " is read by nothing";
    }
    Check(entry.path, root, factory, &checked);
  }
  EXPECT_EQ(layouts, 6);
  EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace SkinUI
