// The shadow follows an SDL host through the host's observer, which sees the
// window's events before its handler, as a subclassed window procedure would.
#include "ui/wnd_shadow.h"

namespace SkinUI {
namespace {

class HostLink : public CWndShadow::Link, public IHostObserver {
 public:
  HostLink(CWndShadow* shadow, WindowHost* host) : shadow_(shadow), host_(host) { host_->SetObserver(this); }
  ~HostLink() override {
    if (host_ && host_->Observer() == this) host_->SetObserver(nullptr);
  }

  void OnObservedEvent(const HostEvent& e) override {
    using E = CWndShadow::ParentEvent;
    switch (e.type) {
      case HostEventType::kMove: shadow_->OnParentEvent(E::kMove); break;
      case HostEventType::kSize: shadow_->OnParentEvent(E::kSize, e.sizeState, e.size); break;
      case HostEventType::kActivate: shadow_->OnParentEvent(E::kActivate); break;
      case HostEventType::kShow: shadow_->OnParentEvent(e.active ? E::kShow : E::kHide); break;
      case HostEventType::kDestroy: {
        CWndShadow* shadow = shadow_;
        host_ = nullptr;  // the host forgets its observer itself
        shadow->OnParentEvent(E::kDestroy);
        shadow->OnParentEvent(E::kGone);  // deletes this link
        return;
      }
      default: break;
    }
  }
  void OnObservedPaint() override { shadow_->OnParentEvent(CWndShadow::ParentEvent::kPaint); }

 private:
  CWndShadow* shadow_;
  WindowHost* host_;
};

}  // namespace

std::unique_ptr<CWndShadow::Link> CWndShadow::Attach(WindowHost& parent) {
  return std::make_unique<HostLink>(this, &parent);
}

}  // namespace SkinUI
