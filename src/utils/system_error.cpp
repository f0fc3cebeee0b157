#include "system_error.h"

#include "utf8.h"

namespace Utils {

std::wstring SystemErrorNote(uint32_t code) {
  if (code == 0) return std::wstring();
  std::wstring note = L" (error " + std::to_wstring(code);
  const std::wstring text = SystemErrorText(code);
  if (!text.empty()) note += L": " + text;
  note += L")";
  return note;
}

std::wstring TraceText(const std::exception& e) {
  std::wstring text = Utf8ToWide(e.what());
  if (const auto* own = dynamic_cast<const Exception*>(&e)) text += SystemErrorNote(own->Code());
  return text;
}

}  // namespace Utils
