// The shadow follows its parent by subclassing the parent's window
// procedure: one shared procedure for every shadowed window, which finds
// the window's shadow in a process-wide table, takes the shadow's step and
// passes every message on to the procedure it replaced.
#include <windows.h>

#include <map>

#include "ui/wnd_shadow.h"

namespace SkinUI {
namespace {

struct ProcLink;

std::map<HWND, ProcLink*>& Links() {  // UI thread only
  static std::map<HWND, ProcLink*> links;
  return links;
}

// Previous procedures of windows whose link went while another procedure
// installed over ours still calls it.
std::map<HWND, WNDPROC>& Orphans() {
  static std::map<HWND, WNDPROC> orphans;
  return orphans;
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

struct ProcLink : CWndShadow::Link {
  ProcLink(CWndShadow* s, HWND h) : shadow(s), hwnd(h) {
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ParentProc)));
    Links()[hwnd] = this;
  }
  ~ProcLink() override {
    auto it = Links().find(hwnd);
    if (it == Links().end() || it->second != this) return;
    Links().erase(it);
    // Only our own procedure is put back: one installed over it since
    // keeps calling ours, which then passes straight on.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &ParentProc)
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    else
      Orphans()[hwnd] = previous;
  }

  CWndShadow* shadow;
  HWND hwnd;
  WNDPROC previous = nullptr;
};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = Links().find(hwnd);
  if (it == Links().end()) {
    auto orphan = Orphans().find(hwnd);
    if (orphan == Orphans().end()) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC previous = orphan->second;
    if (msg == WM_NCDESTROY) Orphans().erase(orphan);
    return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
  }
  CWndShadow* shadow = it->second->shadow;
  const WNDPROC previous = it->second->previous;
  using E = CWndShadow::ParentEvent;
  switch (msg) {
    case WM_DESTROY:
      shadow->OnParentEvent(E::kDestroy);
      break;
    case WM_MOVE:
      shadow->OnParentEvent(E::kMove);
      break;
    case WM_SIZE: {
      const SizeState state = wParam == SIZE_MINIMIZED   ? SizeState::kMinimized
                              : wParam == SIZE_MAXIMIZED ? SizeState::kMaximized
                                                         : SizeState::kRestored;
      shadow->OnParentEvent(E::kSize, state, Size{LOWORD(lParam), HIWORD(lParam)});
      break;
    }
    case WM_ACTIVATE:
      shadow->OnParentEvent(E::kActivate);
      break;
    case WM_EXITSIZEMOVE:
      shadow->OnParentEvent(E::kExitSizeMove);
      break;
    case WM_PAINT:
      shadow->OnParentEvent(E::kPaint);
      break;
    case WM_SHOWWINDOW:
      shadow->OnParentEvent(wParam ? E::kShow : E::kHide);
      break;
    case WM_NCDESTROY:
      Links().erase(it);
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      shadow->OnParentEvent(E::kGone);  // deletes the link
      break;
    default:
      break;
  }
  return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

}  // namespace

std::unique_ptr<CWndShadow::Link> CWndShadow::Attach(WindowHost& parent) {
  HWND hwnd = static_cast<HWND>(parent.NativeHandle());
  if (!hwnd) return nullptr;
  return std::make_unique<ProcLink>(this, hwnd);
}

}  // namespace SkinUI
