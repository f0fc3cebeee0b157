#include "ui/message_box.h"

#include <utility>

#include "uikit/control.h"
#include "uikit/text_table.h"

namespace SkinUI {

namespace {

// The layout names the window class: "NetworkTipWnd.xml" -> "NetworkTipWnd".
SkinDescriptor PromptSkin(std::string layout) {
  SkinDescriptor skin;
  const size_t dot = layout.rfind('.');
  skin.className = dot == std::string::npos ? layout : layout.substr(0, dot);
  skin.skinFile = std::move(layout);
  return skin;
}

}  // namespace

CMessageBoxWnd::CMessageBoxWnd(std::string layout) : CSkinFrame(PromptSkin(std::move(layout))) {}

void CMessageBoxWnd::OnWindowReady() {
  // A prompt is never always-on-top: it stays with its owner.
  StripFrameStyles(Host(), true);
  okBtn_ = FindControl("okBtn");
  cancelBtn_ = FindControl("cancelBtn");
  textLbl_ = FindControl("textLbl");
  captionLbl_ = FindControl("captionLbl");
}

AccessibleWindowInfo CMessageBoxWnd::GetAccessibleInfo() const {
  AccessibleWindowInfo info;
  info.role = AccessibleRole::kDialog;
  if (captionLbl_) info.name = ExpandTextTokens(captionLbl_->GetText());
  if (textLbl_) info.description = ExpandTextTokens(textLbl_->GetText());
  return info;
}

void CMessageBoxWnd::OnNotify(Notification& msg) {
  if (msg.type != "click" || !msg.sender) {
    CSkinFrame::OnNotify(msg);
    return;
  }
  if (msg.sender == okBtn_) {
    Close(1);
    result_ = kPromptOk;
  } else if (msg.sender == cancelBtn_) {
    Close(1);
    result_ = kPromptCancel;
  } else {
    CSkinFrame::OnNotify(msg);
    result_ = kPromptOther;
  }
}

int ShowPrompt(const WindowHost* owner, const std::string& layout, const std::optional<std::string>& text,
               const std::optional<std::string>& caption) {
  CMessageBoxWnd box(layout);
  if (!box.Create(owner, L"消息框")) return kPromptCancel;
  if (text && box.TextLabel()) box.TextLabel()->SetText(*text);
  if (caption && box.CaptionLabel()) box.CaptionLabel()->SetText(*caption);
  box.CenterWindow(owner);
  box.ShowModal();
  return box.GetResult();
}

}  // namespace SkinUI
