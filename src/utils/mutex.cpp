#include "mutex.h"

namespace Utils {

const wchar_t SingleInstanceMutex::kPrefix[] = L"D1A547DB89C0BC61_";

}  // namespace Utils
