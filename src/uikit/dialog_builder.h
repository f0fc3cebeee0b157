// CDialogBuilder: a layout (a package entry or markup text) into a control
// tree. The "Window" element's attributes, "Font" and "Default" declarations
// go to the paint manager; every other element becomes a control of the
// registered class, or of the class the callback creates for a name the
// toolkit does not know. An element that yields no control is skipped with
// its children.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "uikit/markup.h"

namespace SkinUI {

class Control;
class CPaintManagerUI;
class SkinPackage;

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A new control for the element name, or null for none.
  virtual Control* CreateControl(const std::string& className) = 0;
};

class CDialogBuilder {
 public:
  // Reads the entry (any slash form, any letter case) from the package.
  std::unique_ptr<Control> Create(const std::string& layout, const SkinPackage& package,
                                  IDialogBuilderCallback* callback, CPaintManagerUI* manager);
  std::unique_ptr<Control> CreateFromString(const std::string& markup, IDialogBuilderCallback* callback,
                                            CPaintManagerUI* manager);
  // Why the last Create failed: the reader's or the parser's text.
  const std::string& GetLastError() const { return error_; }

  // name="value" pairs as a "Default" value writes them (either quote).
  // False for text that is not such a list; the pairs read so far are kept.
  static bool ParseAttributeList(const std::string& text, std::vector<std::pair<std::string, std::string>>* out);

 private:
  std::unique_ptr<Control> Build(const MarkupNode& root, IDialogBuilderCallback* callback, CPaintManagerUI* manager);
  Control* BuildControl(const MarkupNode& node, IDialogBuilderCallback* callback, CPaintManagerUI* manager);
  void ReadFont(const MarkupNode& node, CPaintManagerUI* manager);

  std::string error_;
};

}  // namespace SkinUI
