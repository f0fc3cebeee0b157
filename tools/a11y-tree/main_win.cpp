// a11y-tree: what a screen reader finds in a top-level window, through
// MSAA from another process, and a default action done the reader's way.
//
//   a11y-tree TITLE [--do NAME] [--time-limit SECONDS]
//
// One line per object, depth first: depth, role, name, states, value and
// the screen rectangle "left,top,width,height", tab-separated, UTF-8.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// Our own copy: the uuid and oleacc libraries both define the symbol.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// Tabs and line breaks inside a text would break the one-line format.
std::string Field(const std::wstring& w) {
  std::string s = Utf8(w);
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s.empty() ? "-" : s;
}

const char* RoleName(LONG role) {
  switch (role) {
    case ROLE_SYSTEM_CLIENT: return "client";
    case ROLE_SYSTEM_DIALOG: return "dialog";
    case ROLE_SYSTEM_WINDOW: return "window";
    case ROLE_SYSTEM_PUSHBUTTON: return "pushbutton";
    case ROLE_SYSTEM_CHECKBUTTON: return "checkbox";
    case ROLE_SYSTEM_STATICTEXT: return "text";
    case ROLE_SYSTEM_TEXT: return "editabletext";
    case ROLE_SYSTEM_COMBOBOX: return "combobox";
    case ROLE_SYSTEM_LIST: return "list";
    case ROLE_SYSTEM_LISTITEM: return "listitem";
    case ROLE_SYSTEM_PROGRESSBAR: return "progressbar";
    case ROLE_SYSTEM_GRAPHIC: return "graphic";
    default: return nullptr;
  }
}

std::string States(LONG s) {
  static const struct {
    LONG bit;
    const char* word;
  } kWords[] = {{STATE_SYSTEM_FOCUSED, "focused"},       {STATE_SYSTEM_FOCUSABLE, "focusable"},
                {STATE_SYSTEM_CHECKED, "checked"},       {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
                {STATE_SYSTEM_INVISIBLE, "invisible"},   {STATE_SYSTEM_EXPANDED, "expanded"},
                {STATE_SYSTEM_COLLAPSED, "collapsed"},   {STATE_SYSTEM_SELECTED, "selected"},
                {STATE_SYSTEM_SELECTABLE, "selectable"}, {STATE_SYSTEM_READONLY, "readonly"},
                {STATE_SYSTEM_PROTECTED, "protected"}};
  std::string out;
  for (const auto& w : kWords)
    if (s & w.bit) out += (out.empty() ? "" : ",") + std::string(w.word);
  return out.empty() ? "-" : out;
}

VARIANT Id(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* acc, LONG id) {
  BSTR b = nullptr;
  if ((acc->*get)(Id(id), &b) != S_OK || !b) return {};
  std::wstring s(b, SysStringLen(b));
  SysFreeString(b);
  return s;
}

void Print(IAccessible* acc, LONG id, int depth) {
  VARIANT v;
  VariantInit(&v);
  LONG role = 0, state = 0;
  if (SUCCEEDED(acc->get_accRole(Id(id), &v)) && v.vt == VT_I4) role = v.lVal;
  VariantClear(&v);
  if (SUCCEEDED(acc->get_accState(Id(id), &v)) && v.vt == VT_I4) state = v.lVal;
  VariantClear(&v);
  LONG x = 0, y = 0, w = 0, h = 0;
  acc->accLocation(&x, &y, &w, &h, Id(id));
  const char* name = RoleName(role);
  const std::string roleText = name ? name : "role" + std::to_string(role);
  std::printf("%d\t%s\t%s\t%s\t%s\t%ld,%ld,%ld,%ld\n", depth, roleText.c_str(),
              Field(Text(&IAccessible::get_accName, acc, id)).c_str(), States(state).c_str(),
              Field(Text(&IAccessible::get_accValue, acc, id)).c_str(), x, y, w, h);
}

IAccessible* ChildObject(IAccessible* parent, LONG id) {
  IDispatch* d = nullptr;
  if (parent->get_accChild(Id(id), &d) != S_OK || !d) return nullptr;
  IAccessible* child = nullptr;
  d->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child));
  d->Release();
  return child;
}

// Prints the tree under acc, or, with a name, does the default action of
// the first object so named; true once it was done.
bool Walk(IAccessible* acc, int depth, const std::wstring* doName) {
  if (!doName) Print(acc, CHILDID_SELF, depth);
  LONG n = 0;
  if (FAILED(acc->get_accChildCount(&n))) return false;
  for (LONG i = 1; i <= n; ++i) {
    if (IAccessible* child = ChildObject(acc, i)) {
      bool done = false;
      if (doName && Text(&IAccessible::get_accName, child, CHILDID_SELF) == *doName) {
        const std::wstring action = Text(&IAccessible::get_accDefaultAction, child, CHILDID_SELF);
        done = SUCCEEDED(child->accDoDefaultAction(Id(CHILDID_SELF)));
        if (done) std::printf("done\t%s\t%s\n", Field(*doName).c_str(), Field(action).c_str());
      }
      if (!done) done = Walk(child, depth + 1, doName);
      child->Release();
      if (done) return true;
      continue;
    }
    if (!doName) {
      Print(acc, i, depth + 1);
    } else if (Text(&IAccessible::get_accName, acc, i) == *doName) {
      const std::wstring action = Text(&IAccessible::get_accDefaultAction, acc, i);
      if (SUCCEEDED(acc->accDoDefaultAction(Id(i)))) {
        std::printf("done\t%s\t%s\n", Field(*doName).c_str(), Field(action).c_str());
        return true;
      }
    }
  }
  return false;
}

struct Search {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  if (IsWindowVisible(hwnd) && std::wcscmp(text, s->title) == 0) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

int Usage() {
  std::fprintf(stderr, "usage: a11y-tree TITLE [--do NAME] [--time-limit SECONDS]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* title = nullptr;
  const wchar_t* doName = nullptr;
  long limit = 10;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--do" && i + 1 < argc)
      doName = argv[++i];
    else if (a == L"--time-limit" && i + 1 < argc)
      limit = std::wcstol(argv[++i], nullptr, 10);
    else if (!title && a.rfind(L"--", 0) != 0)
      title = argv[i];
    else
      return Usage();
  }
  if (!title || limit < 0) return Usage();

  // The window may still be coming up: look again until the limit.
  Search s{title, nullptr};
  const DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    if (s.found || GetTickCount() - start >= static_cast<DWORD>(limit) * 1000) break;
    Sleep(100);
  }
  if (!s.found) {
    std::fprintf(stderr, "a11y-tree: no shown top-level window titled so\n");
    return 1;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* root = nullptr;
  if (FAILED(AccessibleObjectFromWindow(s.found, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&root))) ||
      !root) {
    std::fprintf(stderr, "a11y-tree: the window gives no accessible object\n");
    return 3;
  }
  const std::wstring wanted = doName ? doName : L"";
  const bool done = Walk(root, 0, doName ? &wanted : nullptr);
  root->Release();
  CoUninitialize();
  if (doName && !done) {
    std::fprintf(stderr, "a11y-tree: no object with that name and a default action\n");
    return 1;
  }
  return 0;
}
