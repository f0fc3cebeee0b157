#include "uikit/resource.h"

#include <windows.h>

namespace SkinUI {
namespace {

std::wstring Widen(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

}  // namespace

bool FindEmbeddedResource(const char* type, int id, std::string* bytes) {
  bytes->clear();
  if (!type) return false;
  std::wstring wideType = Widen(type);
  HMODULE module = GetModuleHandleW(nullptr);
  // The skin is compiled in language 2052; asking for it by language finds it
  // whatever the user's UI language is. Other resources take the usual search.
  HRSRC found = FindResourceExW(module, wideType.c_str(), MAKEINTRESOURCEW(id),
                                static_cast<WORD>(kSkinResourceLanguage));
  if (!found) found = FindResourceW(module, MAKEINTRESOURCEW(id), wideType.c_str());
  if (!found) return false;
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded || size == 0) return false;
  const void* data = LockResource(loaded);
  if (!data) return false;
  bytes->assign(static_cast<const char*>(data), size);
  return true;
}

}  // namespace SkinUI
