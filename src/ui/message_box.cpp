#include "ui/message_box.h"

#include <utility>

#include "uikit/control.h"

namespace SkinUI {

CMessageBoxWnd::CMessageBoxWnd(std::string layout) : layout_(std::move(layout)) {}

std::string CMessageBoxWnd::GetWindowClassName() const {
  const size_t dot = layout_.rfind('.');
  return dot == std::string::npos ? layout_ : layout_.substr(0, dot);
}

void CMessageBoxWnd::OnWindowReady() {
  okBtn_ = FindControl("okBtn");
  cancelBtn_ = FindControl("cancelBtn");
  textLbl_ = FindControl("textLbl");
  captionLbl_ = FindControl("captionLbl");
}

void CMessageBoxWnd::OnNotify(Notification& msg) {
  if (msg.type != "click" || !msg.sender) {
    WindowImplBase::OnNotify(msg);
    return;
  }
  if (msg.sender == okBtn_) {
    Close(1);
    result_ = kPromptOk;
  } else if (msg.sender == cancelBtn_) {
    Close(1);
    result_ = kPromptCancel;
  } else {
    WindowImplBase::OnNotify(msg);
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
