// The installer's prompts: one small skinned modal window class over the
// skin package's prompt layouts, answering which button closed it.
//
// UI thread only.
#pragma once

#include <optional>
#include <string>

#include "ui/skin_frame.h"

namespace SkinUI {

class Control;

// What closed a prompt.
constexpr int kPromptOk = 0;      // "okBtn"
constexpr int kPromptCancel = 1;  // "cancelBtn", or closed without a click
constexpr int kPromptOther = 2;   // any other click ("closebtn")

class CMessageBoxWnd : public CSkinFrame {
 public:
  // `layout` is the skin file, e.g. "ExitTipWnd.xml".
  explicit CMessageBoxWnd(std::string layout);

  int GetResult() const { return result_; }
  Control* OkButton() const { return okBtn_; }
  Control* CancelButton() const { return cancelBtn_; }
  Control* TextLabel() const { return textLbl_; }
  Control* CaptionLabel() const { return captionLbl_; }

 protected:
  void OnWindowReady() override;
  void OnNotify(Notification& msg) override;
  // A dialog to a screen reader, named by its caption and described by its text.
  AccessibleWindowInfo GetAccessibleInfo() const override;

 private:
  int result_ = kPromptCancel;
  Control* okBtn_ = nullptr;
  Control* cancelBtn_ = nullptr;
  Control* textLbl_ = nullptr;
  Control* captionLbl_ = nullptr;
};

// Shows `layout` modally over `owner` (may be null) with the optional text
// (into "textLbl") and caption (into "captionLbl"), both UTF-8; returns
// kPromptOk, kPromptCancel or kPromptOther. kPromptCancel too when no window
// could be made. The owner's posted messages keep being handled meanwhile.
int ShowPrompt(const WindowHost* owner, const std::string& layout, const std::optional<std::string>& text,
               const std::optional<std::string>& caption);

}  // namespace SkinUI
