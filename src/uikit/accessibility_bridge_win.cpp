// MSAA over the model: one IAccessible per object a reader asks for, each
// holding only a key and a link to the bridge. Every call builds a fresh
// tree, so an object answers for what the window shows now, and a control
// that went away is simply no longer found.
//
// One file because IAccessible's twenty-odd methods are one COM object's
// answers and belong together with the key-to-object lookup they all use.
#include "uikit/accessibility_bridge.h"

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>

#include "uikit/paint_manager.h"
#include "uikit/window_host.h"

namespace SkinUI {

namespace {

// IAccessible's interface id, our own copy: both the uuid and the oleacc
// import libraries define the symbol, and a static link takes only one.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What every object of a window shares; the bridge clears it as it goes,
// and the objects readers still hold fail from then on.
struct Link {
  AccessibilityBridge* bridge = nullptr;
  HWND hwnd = nullptr;
  DWORD thread = 0;
};

BSTR ToBstr(const std::string& utf8) {
  if (utf8.empty()) return SysAllocString(L"");
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (out) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out, n);
  return out;
}

std::string WindowTitle(HWND hwnd) {
  wchar_t buffer[512] = {};
  const int n = GetWindowTextW(hwnd, buffer, 512);
  if (n <= 0) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, buffer, n, out.data(), bytes, nullptr, nullptr);
  return out;
}

LONG RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kClient: return ROLE_SYSTEM_CLIENT;
    case AccessibleRole::kDialog: return ROLE_SYSTEM_DIALOG;
    case AccessibleRole::kPushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::kCheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::kStaticText: return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::kEditableText: return ROLE_SYSTEM_TEXT;
    case AccessibleRole::kComboBox: return ROLE_SYSTEM_COMBOBOX;
    case AccessibleRole::kList: return ROLE_SYSTEM_LIST;
    case AccessibleRole::kListItem: return ROLE_SYSTEM_LISTITEM;
    case AccessibleRole::kProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::kGraphic: return ROLE_SYSTEM_GRAPHIC;
  }
  return ROLE_SYSTEM_CLIENT;
}

LONG StateOf(const AccessibleNode& n, bool windowHasFocus) {
  LONG s = 0;
  if ((n.state & kAccFocused) && windowHasFocus) s |= STATE_SYSTEM_FOCUSED;
  if (n.state & kAccFocusable) s |= STATE_SYSTEM_FOCUSABLE;
  if (n.state & kAccChecked) s |= STATE_SYSTEM_CHECKED;
  if (n.state & kAccUnavailable) s |= STATE_SYSTEM_UNAVAILABLE;
  if (n.state & kAccInvisible) s |= STATE_SYSTEM_INVISIBLE;
  if (n.state & kAccExpanded) s |= STATE_SYSTEM_EXPANDED;
  if (n.state & kAccCollapsed) s |= STATE_SYSTEM_COLLAPSED;
  if (n.state & kAccSelected) s |= STATE_SYSTEM_SELECTED;
  if (n.state & kAccSelectable) s |= STATE_SYSTEM_SELECTABLE;
  if (n.state & kAccReadOnly) s |= STATE_SYSTEM_READONLY;
  if (n.state & kAccProtected) s |= STATE_SYSTEM_PROTECTED;
  // Text, pictures and bars tell; the user does not change them.
  if (n.role == AccessibleRole::kStaticText || n.role == AccessibleRole::kGraphic ||
      n.role == AccessibleRole::kProgressBar)
    s |= STATE_SYSTEM_READONLY;
  return s;
}

bool HoldsFocus(HWND hwnd) {
  HWND f = GetFocus();
  return f && (f == hwnd || IsChild(hwnd, f));
}

class AccObject final : public IAccessible {
 public:
  AccObject(std::shared_ptr<Link> link, AccessibleKey self) : link_(std::move(link)), self_(self) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers use the IAccessible vtable, never names.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Scope s(*this);
    if (FAILED(s.hr)) return s.hr;
    if (s.self < 0)
      return AccessibleObjectFromWindow(link_->hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(out));
    const int parent = s.tree.nodes[s.self].parent;
    *out = Object(parent < 0 ? AccessibleKey{} : s.tree.nodes[parent].key);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
    if (!out) return E_POINTER;
    *out = 0;
    Scope s(*this);
    if (FAILED(s.hr)) return s.hr;
    *out = static_cast<LONG>(s.tree.ChildrenOf(s.self).size());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (index == s.self) return E_INVALIDARG;
    // Objects with children of their own are objects; the rest are simple
    // elements, reached through this one with their child id.
    if (s.tree.nodes[index].children.empty()) return S_FALSE;
    *out = Object(s.tree.nodes[index].key);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Text(child, out, [this](const Scope& s, int i) {
      if (i >= 0) return s.tree.nodes[i].name;
      const AccessibleWindowInfo info = link_->bridge->Info();
      return info.name.empty() ? WindowTitle(link_->hwnd) : info.name;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    if (out) *out = nullptr;
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (!out) return E_POINTER;
    if (index < 0) return DISP_E_MEMBERNOTFOUND;
    const AccessibleNode& n = s.tree.nodes[index];
    const bool hasValue = n.role == AccessibleRole::kEditableText || n.role == AccessibleRole::kComboBox ||
                          n.role == AccessibleRole::kProgressBar;
    if (!hasValue || (n.state & kAccProtected)) return DISP_E_MEMBERNOTFOUND;
    *out = ToBstr(n.value);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Text(child, out, [this](const Scope&, int i) {
      return i >= 0 ? std::string() : link_->bridge->Info().description;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    out->vt = VT_I4;
    out->lVal = RoleOf(index >= 0 ? s.tree.nodes[index].role : link_->bridge->Info().role);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    const bool focus = HoldsFocus(link_->hwnd);
    out->vt = VT_I4;
    if (index >= 0) {
      out->lVal = StateOf(s.tree.nodes[index], focus);
    } else {
      out->lVal = STATE_SYSTEM_FOCUSABLE;
      if (focus && !link_->bridge->Manager().GetFocus()) out->lVal |= STATE_SYSTEM_FOCUSED;
      if (!IsWindowVisible(link_->hwnd)) out->lVal |= STATE_SYSTEM_INVISIBLE;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    if (FAILED(s.hr)) return s.hr;
    if (!HoldsFocus(link_->hwnd)) return S_FALSE;
    for (int i : s.tree.ChildrenOf(s.self))
      if (s.tree.nodes[i].state & kAccFocused) {
        s.Reference(i, out, this);
        return S_OK;
      }
    const bool selfFocused =
        s.self < 0 ? !link_->bridge->Manager().GetFocus() : (s.tree.nodes[s.self].state & kAccFocused) != 0;
    if (!selfFocused) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    if (FAILED(s.hr)) return s.hr;
    for (int i : s.tree.ChildrenOf(s.self))
      if (s.tree.nodes[i].state & kAccSelected) {
        s.Reference(i, out, this);
        return S_OK;
      }
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    if (out) *out = nullptr;
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (!out) return E_POINTER;
    if (index < 0 || s.tree.nodes[index].action == AccessibleAction::kNone) return DISP_E_MEMBERNOTFOUND;
    *out = ToBstr(AccessibleActionName(s.tree.nodes[index].action));
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (index < 0) return S_FALSE;
    const AccessibleNode& n = s.tree.nodes[index];
    CPaintManagerUI& pm = link_->bridge->Manager();
    if ((flags & SELFLAG_TAKEFOCUS) && (n.state & kAccFocusable)) {
      pm.SetFocus(const_cast<Control*>(n.key.control));
      return S_OK;
    }
    if ((flags & SELFLAG_TAKESELECTION) && n.role == AccessibleRole::kListItem) {
      link_->bridge->QueueAction(n.key);
      return S_OK;
    }
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    RECT client{};
    GetClientRect(link_->hwnd, &client);
    Rect r = index >= 0 ? s.tree.nodes[index].location : Rect{0, 0, client.right, client.bottom};
    POINT origin{0, 0};
    ClientToScreen(link_->hwnd, &origin);
    *left = r.left + origin.x;
    *top = r.top + origin.y;
    *width = r.Width();
    *height = r.Height();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(start, &index))) return s.hr;
    if (dir == NAVDIR_FIRSTCHILD || dir == NAVDIR_LASTCHILD) {
      if (index != s.self) return E_INVALIDARG;
      const std::vector<int>& kids = s.tree.ChildrenOf(s.self);
      if (kids.empty()) return S_FALSE;
      s.Reference(dir == NAVDIR_FIRSTCHILD ? kids.front() : kids.back(), out, nullptr);
      return S_OK;
    }
    if (dir != NAVDIR_NEXT && dir != NAVDIR_PREVIOUS) return DISP_E_MEMBERNOTFOUND;
    if (index < 0) return S_FALSE;  // the window's siblings are the system's
    const std::vector<int>& row = s.tree.ChildrenOf(s.tree.nodes[index].parent);
    size_t at = 0;
    while (at < row.size() && row[at] != index) ++at;
    const size_t to = dir == NAVDIR_NEXT ? at + 1 : at - 1;  // wraps to huge before the first
    if (to >= row.size()) return S_FALSE;
    s.Reference(row[to], out, nullptr);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    Scope s(*this);
    if (FAILED(s.hr)) return s.hr;
    POINT p{x, y};
    ScreenToClient(link_->hwnd, &p);
    RECT client{};
    GetClientRect(link_->hwnd, &client);
    const Rect own = s.self >= 0 ? s.tree.nodes[s.self].location : Rect{0, 0, client.right, client.bottom};
    if (!own.Contains(Point{p.x, p.y})) return S_FALSE;
    for (int i : s.tree.ChildrenOf(s.self)) {
      const AccessibleNode& n = s.tree.nodes[i];
      if (!(n.state & kAccInvisible) && n.location.Contains(Point{p.x, p.y})) {
        s.Reference(i, out, nullptr);
        return S_OK;
      }
    }
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (index < 0 || s.tree.nodes[index].action == AccessibleAction::kNone) return DISP_E_MEMBERNOTFOUND;
    link_->bridge->QueueAction(s.tree.nodes[index].key);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

 private:
  // One call's view: the link checked, a fresh tree, this object in it.
  struct Scope {
    explicit Scope(AccObject& o) : obj(o) {
      const Link& l = *o.link_;
      if (!l.bridge || !IsWindow(l.hwnd)) {
        hr = RPC_E_DISCONNECTED;
        return;
      }
      if (GetCurrentThreadId() != l.thread) {
        hr = RPC_E_WRONG_THREAD;
        return;
      }
      tree = BuildAccessibleTree(l.bridge->Manager());
      self = o.self_.control ? tree.Find(o.self_) : -1;
      if (o.self_.control && self < 0) hr = E_FAIL;  // no longer shown
    }
    // A child id of this object to a node index (-1: the window itself).
    HRESULT Resolve(const VARIANT& v, int* index) const {
      if (v.vt != VT_I4) return E_INVALIDARG;
      if (v.lVal == CHILDID_SELF) {
        *index = self;
        return S_OK;
      }
      const std::vector<int>& kids = tree.ChildrenOf(self);
      if (v.lVal < 1 || v.lVal > static_cast<LONG>(kids.size())) return E_INVALIDARG;
      *index = kids[static_cast<size_t>(v.lVal) - 1];
      return S_OK;
    }
    // A node as the caller of this object gets it: a child id for a simple
    // element among this object's children, else an object of its own.
    void Reference(int index, VARIANT* out, AccObject*) const {
      const AccessibleNode& n = tree.nodes[index];
      if (n.parent == self && n.children.empty()) {
        const std::vector<int>& kids = tree.ChildrenOf(self);
        for (size_t i = 0; i < kids.size(); ++i)
          if (kids[i] == index) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(i) + 1;
            return;
          }
      }
      out->vt = VT_DISPATCH;
      out->pdispVal = obj.Object(n.key);
    }
    AccObject& obj;
    HRESULT hr = S_OK;
    AccessibleTree tree;
    int self = -1;
  };

  template <class F>
  HRESULT Text(const VARIANT& child, BSTR* out, F text) {
    if (out) *out = nullptr;
    Scope s(*this);
    int index = 0;
    if (FAILED(s.hr) || FAILED(s.hr = s.Resolve(child, &index))) return s.hr;
    if (!out) return E_POINTER;
    const std::string t = text(s, index);
    if (t.empty()) return S_FALSE;
    *out = ToBstr(t);
    return S_OK;
  }

  IDispatch* Object(const AccessibleKey& key) const { return new AccObject(link_, key); }

  LONG refs_ = 1;
  std::shared_ptr<Link> link_;
  AccessibleKey self_;
};

}  // namespace

struct AccessibilityBridge::Platform {
  std::shared_ptr<Link> link = std::make_shared<Link>();
  bool comEntered = false;
};

AccessibilityBridge::AccessibilityBridge(CPaintManagerUI& pm, WindowHost& host,
                                         std::function<AccessibleWindowInfo()> info)
    : pm_(pm), host_(host), info_(std::move(info)), platform_(std::make_unique<Platform>()) {
  platform_->link->bridge = this;
  platform_->link->thread = GetCurrentThreadId();
}

AccessibilityBridge::~AccessibilityBridge() {
  platform_->link->bridge = nullptr;
  platform_->link->hwnd = nullptr;
  if (platform_->comEntered) CoUninitialize();
}

bool AccessibilityBridge::AnswerObjectRequest(uintptr_t wParam, intptr_t lParam, intptr_t* result) {
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
  HWND hwnd = static_cast<HWND>(host_.NativeHandle());
  if (!hwnd) return false;
  platform_->link->hwnd = hwnd;
  // The object is marshalled into this thread's apartment, and a reader in
  // another process calls in through this thread's loop: a single-threaded
  // one, entered here when the thread has none yet.
  if (!platform_->comEntered) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr)) platform_->comEntered = true;
  }
  auto* root = new AccObject(platform_->link, AccessibleKey{});
  const LRESULT answer = LresultFromObject(kIidAccessible, static_cast<WPARAM>(wParam), root);
  root->Release();
  if (answer < 0) return false;  // a failed HRESULT
  *result = static_cast<intptr_t>(answer);
  return true;
}

bool AccessibilityBridge::Listening() const { return host_.NativeHandle() != nullptr; }

void AccessibilityBridge::Raise(const AccessibleEvent& e) {
  HWND hwnd = static_cast<HWND>(host_.NativeHandle());
  if (!hwnd) return;
  DWORD event = EVENT_OBJECT_FOCUS;
  switch (e.type) {
    case AccessibleEvent::kFocus: event = EVENT_OBJECT_FOCUS; break;
    case AccessibleEvent::kReorder: event = EVENT_OBJECT_REORDER; break;
    case AccessibleEvent::kNameChange: event = EVENT_OBJECT_NAMECHANGE; break;
    case AccessibleEvent::kValueChange: event = EVENT_OBJECT_VALUECHANGE; break;
    case AccessibleEvent::kStateChange: event = EVENT_OBJECT_STATECHANGE; break;
  }
  // A focus event for the window whose keyboard focus is elsewhere would
  // make a reader jump there.
  if (e.type == AccessibleEvent::kFocus && !HoldsFocus(hwnd)) return;
  NotifyWinEvent(event, hwnd, OBJID_CLIENT, e.child == 0 ? CHILDID_SELF : e.child);
}

}  // namespace SkinUI
