// CSkinFrame: the installer's frame window, the base of its main window and
// its prompts. Over the toolkit's window base it adds the skin descriptor,
// the drop shadow the layout's root element asks for, and a key filter that
// swallows Escape, so no frame window closes on it.
//
// UI thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/wnd_shadow.h"
#include "uikit/resource.h"
#include "uikit/window_impl_base.h"

namespace SkinUI {

// Where a frame window's layout comes from: resource "ZIPRES" `resourceId`
// of the executable, the layout `skinFile` in `skinFolder` of that package,
// and the window class `className`.
struct SkinDescriptor {
  int resourceId = kSkinResourceId;
  std::string skinFolder;
  std::string skinFile;
  std::string className;
};

class CSkinFrame : public WindowImplBase {
 public:
  explicit CSkinFrame(SkinDescriptor skin);
  ~CSkinFrame() override;

  const SkinDescriptor& Skin() const { return skin_; }
  CWndShadow& Shadow() { return shadow_; }
  const CWndShadow& Shadow() const { return shadow_; }

  // Escape never reaches the controls or OnDefaultKey of a frame window.
  bool FilterKeyDown(int key) override;
  // The root element's attributes the frame reads for its shadow.
  static const std::vector<std::string>& ShadowAttributes();

 protected:
  std::string GetWindowClassName() const override { return skin_.className; }
  std::string GetSkinFolder() const override { return skin_.skinFolder; }
  std::string GetSkinFile() const override { return skin_.skinFile; }
  int GetResourceID() const override { return skin_.resourceId; }
  // The frame's own set-up, before OnWindowReady: no caption or maximise
  // box, and the shadow from the root element's ShadowAttributes(). Derived
  // windows do their own set-up in OnWindowReady, which comes after this.
  void OnFrameCreated() override;
  void OnDpiChanged() override;

 private:
  void ConfigureShadow();

  SkinDescriptor skin_;
  // Declared after nothing the shadow needs: it goes before the base's
  // host, detaching from a window that is still alive.
  CWndShadow shadow_;
};

// Platform styles of a frame window: no caption and no maximise box (the
// skin draws its own), clipping of siblings and children; `dropTopmost`
// also takes away always-on-top. Nothing where the host window has no such
// styles (Linux).
void StripFrameStyles(WindowHost& host, bool dropTopmost);

}  // namespace SkinUI
