#include "uikit/resource.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace SkinUI {
namespace {

struct Registration {
  std::string type;
  int id;
  const void* data;
  size_t size;
};

// Filled before main by the generated objects of skinui_embed_skin, read
// afterwards; the lock keeps a late registration from racing a lookup.
std::mutex& TableMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<Registration>& Table() {
  static std::vector<Registration> table;
  return table;
}

}  // namespace

void RegisterEmbeddedResource(const char* type, int id, const void* data, size_t size) {
  std::lock_guard<std::mutex> lock(TableMutex());
  Table().push_back(Registration{type ? type : "", id, data, size});
}

bool FindEmbeddedResource(const char* type, int id, std::string* bytes) {
  bytes->clear();
  if (!type) return false;
  std::lock_guard<std::mutex> lock(TableMutex());
  for (const Registration& r : Table()) {
    if (r.id != id || r.type != type) continue;
    if (!r.data || r.size == 0) return false;
    bytes->assign(static_cast<const char*>(r.data), r.size);
    return true;
  }
  return false;
}

}  // namespace SkinUI
