// STAND-IN until the real CMainWnd is merged: the main window's layout in
// the window base, no controller. Deleted with the merge.
#pragma once

#include "uikit/window_impl_base.h"

class CMainWnd : public SkinUI::WindowImplBase {
 protected:
  std::string GetWindowClassName() const override { return "QuillonMainWnd"; }
  std::string GetSkinFile() const override { return "MainWnd.xml"; }
};
