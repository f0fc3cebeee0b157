// The installer's real main window read as a screen reader reads it: the
// system's AccessibleObjectFromWindow, the window's own WM_GETOBJECT
// answer, WinEvent hooks for what the reader hears, real keys for the
// focus. The pipeline is a counting one; its notifications come from a
// worker thread as the phases send them.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../install/install_test_platform.h"
#include "app/installer_config.h"
#include "support/scratch_dir.h"
#include "driven_window.h"
#include "ui/main_controller.h"
#include "ui/main_wnd.h"
#include "uikit/automation.h"
#include "uikit/container.h"
#include "uikit/text_table.h"

namespace {

using namespace SkinUI;
using quillon_test::ScratchDir;

constexpr int kWait = 8000;  // ms; only a bound
// Our own copy: the uuid and oleacc libraries both define the symbol.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class CountingPipeline : public IMainPipeline {
 public:
  explicit CountingPipeline(int* starts) : starts_(starts) {}
  void SetJob(const Job&) override {}
  void Start() override { ++*starts_; }
  void DownloadFailureReport(int, double, const std::wstring&) override {}
  void FailureReport(int, double, const std::wstring&, bool) override {}

 private:
  int* starts_;
};

using ui_test::DrivenWindow;

VARIANT Id(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Take(BSTR b) {
  std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  SysFreeString(b);
  return s;
}

// One object or simple element as a reader sees it.
struct Seen {
  LONG id = 0;
  LONG role = 0;
  LONG state = 0;
  std::wstring name, value, description, action;
  RECT where{};
};

Seen Read(IAccessible* acc, LONG id) {
  Seen s;
  s.id = id;
  const VARIANT v = Id(id);
  BSTR b = nullptr;
  if (acc->get_accName(v, &b) == S_OK) s.name = Take(b);
  b = nullptr;
  if (acc->get_accValue(v, &b) == S_OK) s.value = Take(b);
  b = nullptr;
  if (acc->get_accDescription(v, &b) == S_OK) s.description = Take(b);
  b = nullptr;
  if (acc->get_accDefaultAction(v, &b) == S_OK) s.action = Take(b);
  VARIANT r;
  VariantInit(&r);
  if (SUCCEEDED(acc->get_accRole(v, &r)) && r.vt == VT_I4) s.role = r.lVal;
  VariantInit(&r);
  if (SUCCEEDED(acc->get_accState(v, &r)) && r.vt == VT_I4) s.state = r.lVal;
  LONG x = 0, y = 0, w = 0, h = 0;
  if (SUCCEEDED(acc->accLocation(&x, &y, &w, &h, v))) s.where = RECT{x, y, x + w, y + h};
  return s;
}

std::vector<Seen> Children(IAccessible* acc) {
  std::vector<Seen> out;
  LONG n = 0;
  if (FAILED(acc->get_accChildCount(&n))) return out;
  for (LONG i = 1; i <= n; ++i) out.push_back(Read(acc, i));
  return out;
}

const Seen* Named(const std::vector<Seen>& all, const std::wstring& name, LONG role = 0) {
  for (const Seen& s : all)
    if (s.name == name && (role == 0 || s.role == role)) return &s;
  return nullptr;
}
const Seen* WithRole(const std::vector<Seen>& all, LONG role) {
  for (const Seen& s : all)
    if (s.role == role) return &s;
  return nullptr;
}

struct AccPtr {
  IAccessible* p = nullptr;
  ~AccPtr() {
    if (p) p->Release();
  }
  IAccessible* operator->() const { return p; }
};

bool FromWindow(HWND hwnd, AccPtr* out) {
  return SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                              reinterpret_cast<void**>(&out->p))) &&
         out->p;
}

// The child object at `id` (one with children of its own).
bool ChildObject(IAccessible* parent, LONG id, AccPtr* out) {
  IDispatch* d = nullptr;
  if (parent->get_accChild(Id(id), &d) != S_OK || !d) return false;
  const HRESULT hr = d->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&out->p));
  d->Release();
  return SUCCEEDED(hr);
}

// What the WinEvent hook heard, for this process's windows.
struct Heard {
  DWORD event;
  HWND hwnd;
  LONG object;
  LONG child;
};
std::vector<Heard>* g_heard = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_heard) g_heard->push_back(Heard{event, hwnd, object, child});
}

class Reader : public ::testing::Test {
 protected:
  void SetUp() override {
    com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const char* v : {"APPDATA"}) {
      const char* old = getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      install_test::SetEnvironment(v, (scratch_.Path() / v).u8string().c_str());
    }
    g_heard = &heard_;
    hook_ = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent,
                            GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  void TearDown() override {
    if (hook_) UnhookWinEvent(hook_);
    g_heard = nullptr;
    window_.reset();
    for (auto& e : saved_) install_test::SetEnvironment(e.first.c_str(), e.second ? e.second->c_str() : nullptr);
    if (SUCCEEDED(com_)) CoUninitialize();
  }

  void Open() {
    MainSystem system;
    system.processRunning = [](const std::wstring&) { return false; };
    system.readRegistry = [] { return Install::RegistryRecords(); };
    system.defaultFolder = [this](const std::wstring&, const std::wstring&) {
      Install::DefaultFolder d;
      d.folder = (scratch_.Path() / "velmotranslate").wstring();
      return d;
    };
    system.shellOpen = [](const std::wstring&, const std::wstring&, bool) {};
    window_ = std::make_unique<DrivenWindow>(std::move(system), std::make_unique<CountingPipeline>(&starts_));
    ASSERT_TRUE(window_->Create(nullptr, L"Quillon"));
    window_->Host().Move(Point{60, 60});
    window_->ShowWindow();
    ASSERT_TRUE(Automation::WaitFor([&] { return IsWindowVisible(Hwnd()) && GetFocus() == Hwnd(); }, kWait));
    ASSERT_TRUE(FromWindow(Hwnd(), &root_));
  }
  HWND Hwnd() const { return static_cast<HWND>(window_->Host().NativeHandle()); }
  int Page() { return static_cast<TabLayout*>(window_->FindControl("mainTabLt")->GetInterface("TabLayout"))->GetCurSel(); }
  bool HeardEvent(DWORD event, LONG child) {
    for (const Heard& h : heard_)
      if (h.event == event && h.hwnd == Hwnd() && h.object == OBJID_CLIENT && h.child == child) return true;
    return false;
  }
  // Waits until `name` is a child, and gives its reading.
  std::optional<Seen> WaitChild(const std::wstring& name, LONG role = 0) {
    std::optional<Seen> found;
    Automation::WaitFor(
        [&] {
          const std::vector<Seen> all = Children(root_.p);
          if (const Seen* s = Named(all, name, role)) found = *s;
          return found.has_value();
        },
        kWait);
    return found;
  }

  ScratchDir scratch_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  HRESULT com_ = E_FAIL;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Heard> heard_;
  std::unique_ptr<DrivenWindow> window_;
  AccPtr root_;
  int starts_ = 0;
};

TEST_F(Reader, TheStartPageInEnglishAndThenInTheLanguageChosenThroughTheReader) {
  Open();
  Seen self = Read(root_.p, CHILDID_SELF);
  EXPECT_EQ(self.role, ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(self.name, L"Quillon");

  std::vector<Seen> all = Children(root_.p);
  const Seen* install = Named(all, L"Install now");
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install->role, ROLE_SYSTEM_PUSHBUTTON);
  // Each page starts with the focus on its main button.
  EXPECT_EQ(install->state & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE),
            STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(install->action, L"Press");
  Rect screen;
  ASSERT_TRUE(Automation::FindControl("defaultInstallBtn", &screen, window_.get()));
  EXPECT_EQ(install->where.left, screen.left);
  EXPECT_EQ(install->where.top, screen.top);
  EXPECT_EQ(install->where.right, screen.right);
  EXPECT_EQ(install->where.bottom, screen.bottom);

  ASSERT_NE(Named(all, L"Close", ROLE_SYSTEM_PUSHBUTTON), nullptr);
  ASSERT_NE(Named(all, L"Minimize", ROLE_SYSTEM_PUSHBUTTON), nullptr);
  ASSERT_NE(Named(all, L"Fast, private translation on your desktop", ROLE_SYSTEM_STATICTEXT), nullptr);
  ASSERT_NE(WithRole(all, ROLE_SYSTEM_GRAPHIC), nullptr);  // the logo
  const Seen* agree = Named(all, L"I have read and agree to the License Agreement", ROLE_SYSTEM_CHECKBUTTON);
  ASSERT_NE(agree, nullptr);
  EXPECT_TRUE(agree->state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(agree->action, L"Uncheck");
  const Seen* language = Named(all, L"Language", ROLE_SYSTEM_COMBOBOX);
  ASSERT_NE(language, nullptr);
  EXPECT_EQ(language->value, L"English");
  EXPECT_TRUE(language->state & STATE_SYSTEM_COLLAPSED);
  // Nothing of the other pages, nor the hidden back button.
  EXPECT_EQ(Named(all, L"Browse..."), nullptr);
  EXPECT_EQ(WithRole(all, ROLE_SYSTEM_PROGRESSBAR), nullptr);
  EXPECT_EQ(Named(all, L"Back"), nullptr);

  // The drop-down's list and its items, chosen as a reader chooses.
  AccPtr combo, list;
  ASSERT_TRUE(ChildObject(root_.p, language->id, &combo));
  ASSERT_TRUE(ChildObject(combo.p, 1, &list));
  EXPECT_EQ(Read(list.p, CHILDID_SELF).role, ROLE_SYSTEM_LIST);
  const std::vector<Seen> items = Children(list.p);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].name, L"\u7b80\u4f53\u4e2d\u6587");  // 简体中文
  EXPECT_EQ(items[1].role, ROLE_SYSTEM_LISTITEM);
  EXPECT_TRUE(items[0].state & STATE_SYSTEM_SELECTED);
  ASSERT_EQ(list->accDoDefaultAction(Id(2)), S_OK);

  EXPECT_TRUE(WaitChild(L"\u7acb\u5373\u5b89\u88c5", ROLE_SYSTEM_PUSHBUTTON));  // 立即安装
  all = Children(root_.p);
  EXPECT_NE(Named(all, L"\u5173\u95ed", ROLE_SYSTEM_PUSHBUTTON), nullptr);      // 关闭
  EXPECT_NE(Named(all, L"\u6700\u5c0f\u5316", ROLE_SYSTEM_PUSHBUTTON), nullptr);  // 最小化
  const Seen* chosen = WithRole(all, ROLE_SYSTEM_COMBOBOX);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->name, L"\u8bed\u8a00");  // 语言
  EXPECT_EQ(chosen->value, L"\u7b80\u4f53\u4e2d\u6587");
  EXPECT_EQ(Named(all, L"Install now"), nullptr);

  // Back to English, for the process's later windows.
  ASSERT_EQ(list->accDoDefaultAction(Id(1)), S_OK);
  EXPECT_TRUE(WaitChild(L"Install now", ROLE_SYSTEM_PUSHBUTTON));
}

TEST_F(Reader, TabMovesTheFocusAndTheReaderHearsWhere) {
  Open();
  const std::vector<Seen> all = Children(root_.p);
  const Seen* agree = Named(all, L"I have read and agree to the License Agreement", ROLE_SYSTEM_CHECKBUTTON);
  ASSERT_NE(agree, nullptr);
  heard_.clear();
  ASSERT_TRUE(Automation::PressKey(kKeyTab));
  EXPECT_TRUE(Automation::WaitFor([&] { return HeardEvent(EVENT_OBJECT_FOCUS, agree->id); }, kWait));
  VARIANT focus;
  VariantInit(&focus);
  ASSERT_EQ(root_->get_accFocus(&focus), S_OK);
  ASSERT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, agree->id);
  EXPECT_TRUE(Read(root_.p, agree->id).state & STATE_SYSTEM_FOCUSED);
  EXPECT_FALSE(Named(Children(root_.p), L"Install now")->state & STATE_SYSTEM_FOCUSED);

  // Shift+Tab goes back to the install button.
  const LONG installId = Named(all, L"Install now")->id;
  ASSERT_TRUE(Automation::PressKey(kKeyTab, kModShift));
  EXPECT_TRUE(Automation::WaitFor([&] { return HeardEvent(EVENT_OBJECT_FOCUS, installId); }, kWait));
}

TEST_F(Reader, InstallNowStartsTheInstallationAndTheReaderHearsItsProgress) {
  Open();
  const std::optional<Seen> install = WaitChild(L"Install now");
  ASSERT_TRUE(install);
  heard_.clear();
  ASSERT_EQ(root_->accDoDefaultAction(Id(install->id)), S_OK);
  ASSERT_TRUE(Automation::WaitFor([&] { return Page() == 2; }, kWait));
  EXPECT_EQ(starts_, 1);
  EXPECT_TRUE(Automation::WaitFor([&] { return HeardEvent(EVENT_OBJECT_REORDER, CHILDID_SELF); }, kWait));

  std::vector<Seen> all = Children(root_.p);
  const Seen* bar = WithRole(all, ROLE_SYSTEM_PROGRESSBAR);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->value, L"0%");
  const LONG barId = bar->id;
  ASSERT_NE(Named(all, L"Installing: 0%. Please wait...", ROLE_SYSTEM_STATICTEXT), nullptr);
  const LONG textId = Named(all, L"Installing: 0%. Please wait...")->id;

  std::thread worker([&] {
    window_->OnPipelineNotify(1001, 0, L"");
    window_->OnPipelineNotify(1002, 0.5, L"");
  });
  worker.join();
  EXPECT_TRUE(Automation::WaitFor([&] { return Read(root_.p, barId).value == L"35%"; }, kWait));
  EXPECT_EQ(Read(root_.p, textId).name, L"Installing: 35%. Please wait...");
  EXPECT_TRUE(Automation::WaitFor(
      [&] { return HeardEvent(EVENT_OBJECT_VALUECHANGE, barId) && HeardEvent(EVENT_OBJECT_NAMECHANGE, textId); },
      kWait));
}

TEST_F(Reader, APromptIsADialogNamedByItsCaptionAndDescribedByItsText) {
  Open();
  const std::optional<Seen> close = WaitChild(L"Close");
  ASSERT_TRUE(close);
  Seen prompt;
  std::vector<Seen> promptChildren;
  bool answered = false;
  window_->WhenReady(
      [&] { return WindowImplBase::LiveWindows().size() > 1 && !window_->Host().IsEnabled(); },
      [&] {
        HWND box = static_cast<HWND>(WindowImplBase::LiveWindows().back()->Host().NativeHandle());
        AccPtr dialog;
        if (!FromWindow(box, &dialog)) return;
        prompt = Read(dialog.p, CHILDID_SELF);
        promptChildren = Children(dialog.p);
        // "No": stay.
        if (const Seen* no = Named(promptChildren, L"No", ROLE_SYSTEM_PUSHBUTTON))
          answered = dialog->accDoDefaultAction(Id(no->id)) == S_OK;
      });
  // The close button as a reader presses it; the exit prompt runs modally
  // inside the loop the wait turns.
  ASSERT_EQ(root_->accDoDefaultAction(Id(close->id)), S_OK);
  EXPECT_TRUE(Automation::WaitFor([&] { return answered && window_->Host().IsEnabled(); }, kWait));
  EXPECT_TRUE(window_->Host().IsAlive());
  EXPECT_EQ(prompt.role, ROLE_SYSTEM_DIALOG);
  EXPECT_EQ(prompt.name, L"Quillon Setup");
  EXPECT_EQ(prompt.description, L"Are you sure you want to quit setup?");
  EXPECT_NE(Named(promptChildren, L"Yes", ROLE_SYSTEM_PUSHBUTTON), nullptr);
}

TEST_F(Reader, ObjectsAReaderStillHoldsFailSafelyOnceTheWindowIsGone) {
  Open();
  const std::vector<Seen> all = Children(root_.p);
  const Seen* language = WithRole(all, ROLE_SYSTEM_COMBOBOX);
  ASSERT_NE(language, nullptr);
  AccPtr combo;
  ASSERT_TRUE(ChildObject(root_.p, language->id, &combo));
  window_->Host().Destroy();
  LONG n = 7;
  EXPECT_EQ(root_->get_accChildCount(&n), RPC_E_DISCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(combo->get_accName(Id(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(combo->accDoDefaultAction(Id(CHILDID_SELF)), RPC_E_DISCONNECTED);
  window_.reset();  // the held objects outlive the window object too
  EXPECT_EQ(combo->get_accName(Id(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
}

}  // namespace
