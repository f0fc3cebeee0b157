#include "uikit/package.h"
#include "uikit/utf8.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern "C" {
#include "7z.h"
#include "7zCrc.h"
}

#include "uikit/resource.h"

namespace SkinUI {
namespace {

const char kErrorOpeningZip[] = "Error opening zip file";
const char kCouldNotUnzip[] = "Could not unzip file";
const char kCouldNotFind[] = "Could not find ziped file";
const char kFileIsEmpty[] = "File is empty";
const char kFileTooLarge[] = "File too large";

// Reads the archive straight from the caller's buffer; the decoder's own
// look-ahead buffer is not needed when every byte is already in memory.
struct MemoryLookStream {
  ILookInStream vt;
  const Byte* data;
  size_t size;
  size_t pos;

  static MemoryLookStream* Self(ILookInStreamPtr p) {
    return reinterpret_cast<MemoryLookStream*>(const_cast<ILookInStream*>(p));
  }
  static SRes Look(ILookInStreamPtr p, const void** buf, size_t* size) {
    MemoryLookStream* s = Self(p);
    size_t avail = s->size - s->pos;
    if (*size > avail) *size = avail;
    *buf = s->data + s->pos;
    return SZ_OK;
  }
  static SRes Skip(ILookInStreamPtr p, size_t offset) {
    MemoryLookStream* s = Self(p);
    if (offset > s->size - s->pos) return SZ_ERROR_INPUT_EOF;
    s->pos += offset;
    return SZ_OK;
  }
  static SRes Read(ILookInStreamPtr p, void* buf, size_t* size) {
    MemoryLookStream* s = Self(p);
    size_t avail = s->size - s->pos;
    if (*size > avail) *size = avail;
    if (*size) std::memcpy(buf, s->data + s->pos, *size);
    s->pos += *size;
    return SZ_OK;
  }
  static SRes Seek(ILookInStreamPtr p, Int64* pos, ESzSeek origin) {
    MemoryLookStream* s = Self(p);
    Int64 base = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? static_cast<Int64>(s->pos) : static_cast<Int64>(s->size);
    // Offsets come from the archive's headers: check before adding.
    if (*pos > static_cast<Int64>(s->size) || *pos < -static_cast<Int64>(s->size)) return SZ_ERROR_INPUT_EOF;
    Int64 target = base + *pos;
    if (target < 0 || target > static_cast<Int64>(s->size)) return SZ_ERROR_INPUT_EOF;
    s->pos = static_cast<size_t>(target);
    *pos = target;
    return SZ_OK;
  }

  MemoryLookStream(const void* bytes, size_t length)
      : vt{&Look, &Skip, &Read, &Seek}, data(static_cast<const Byte*>(bytes)), size(length), pos(0) {}
};

// Sizes in the archive's headers are claims: the decoder allocates what they
// say (a PPMd model, a solid block, an encoded header), so every allocation
// counts against one budget and a claim beyond it fails as SZ_ERROR_MEM.
struct BudgetAlloc {
  ISzAlloc vt;
  size_t used;
  size_t budget;

  static constexpr size_t kHeader = 16;  // keeps the block's alignment

  static void* Alloc(ISzAllocPtr p, size_t size) {
    BudgetAlloc* self = reinterpret_cast<BudgetAlloc*>(const_cast<ISzAlloc*>(p));
    if (size == 0) size = 1;
    if (size > self->budget - self->used || size > self->budget - kHeader) return nullptr;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    self->used += size;
    return block + kHeader;
  }
  static void Free(ISzAllocPtr p, void* address) {
    if (!address) return;
    BudgetAlloc* self = reinterpret_cast<BudgetAlloc*>(const_cast<ISzAlloc*>(p));
    unsigned char* block = static_cast<unsigned char*>(address) - kHeader;
    size_t size;
    std::memcpy(&size, block, sizeof size);
    self->used -= size;
    std::free(block);
  }

  explicit BudgetAlloc(size_t limit) : vt{&Alloc, &Free}, used(0), budget(limit) {}
};

// Archive names are UTF-16; a lone surrogate becomes U+FFFD.
std::string EntryName(const CSzArEx* db, size_t index) {
  size_t length = SzArEx_GetFileNameUtf16(db, index, nullptr);
  std::vector<UInt16> name(length + 1, 0);
  SzArEx_GetFileNameUtf16(db, index, name.data());
  std::string out;
  for (size_t i = 0; i < length && name[i] != 0; ++i) {
    uint32_t c = name[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(c, &out);
  }
  for (char& ch : out)
    if (ch == '\\') ch = '/';
  return out;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

}  // namespace

std::unique_ptr<SkinPackage> SkinPackage::Open(const void* data, size_t size, std::string* error) {
  static std::once_flag crcTable;
  std::call_once(crcTable, [] { CrcGenerateTable(); });

  if (!data || size == 0) {
    SetError(error, kErrorOpeningZip);
    return nullptr;
  }
  MemoryLookStream stream(data, size);
  BudgetAlloc allocMain(static_cast<size_t>(kMaxPackageUnpackedSize) + 16 * 1024 * 1024);
  BudgetAlloc allocTemp(static_cast<size_t>(kMaxPackageUnpackedSize) + 16 * 1024 * 1024);
  CSzArEx db;
  SzArEx_Init(&db);
  if (SzArEx_Open(&db, &stream.vt, &allocMain.vt, &allocTemp.vt) != SZ_OK) {
    SzArEx_Free(&db, &allocMain.vt);
    SetError(error, kErrorOpeningZip);
    return nullptr;
  }

  std::unique_ptr<SkinPackage> package(new SkinPackage);
  uint64_t total = 0;
  bool ok = true;
  for (UInt32 i = 0; i < db.NumFiles && ok; ++i) {
    if (SzArEx_IsDir(&db, i)) continue;
    total += SzArEx_GetFileSize(&db, i);
    ok = total <= kMaxPackageUnpackedSize;
  }

  UInt32 blockIndex = 0xFFFFFFFF;
  Byte* outBuffer = nullptr;
  size_t outBufferSize = 0;
  for (UInt32 i = 0; i < db.NumFiles && ok; ++i) {
    if (SzArEx_IsDir(&db, i)) continue;
    size_t offset = 0;
    size_t processed = 0;
    if (SzArEx_Extract(&db, &stream.vt, i, &blockIndex, &outBuffer, &outBufferSize, &offset, &processed,
                       &allocMain.vt, &allocTemp.vt) != SZ_OK ||
        offset > outBufferSize || processed > outBufferSize - offset) {
      ok = false;
      break;
    }
    Entry entry;
    entry.path = EntryName(&db, i);
    entry.index = i;
    entry.bytes.assign(reinterpret_cast<const char*>(outBuffer) + offset, processed);
    package->entries_.push_back(std::move(entry));
  }
  ISzAlloc_Free(&allocMain.vt, outBuffer);
  SzArEx_Free(&db, &allocMain.vt);
  if (!ok) {
    SetError(error, kCouldNotUnzip);
    return nullptr;
  }
  if (error) error->clear();
  return package;
}

const SkinPackage::Entry* SkinPackage::Find(const std::string& path) const {
  std::string wanted = path;
  for (char& c : wanted)
    if (c == '\\') c = '/';
  for (const Entry& entry : entries_)
    if (SamePath(entry.path, wanted)) return &entry;
  return nullptr;
}

bool SkinPackage::ReadEntry(const std::string& path, std::string* bytes, std::string* error) const {
  bytes->clear();
  const Entry* entry = Find(path);
  if (!entry) {
    SetError(error, kCouldNotFind);
    return false;
  }
  if (entry->bytes.size() > kMaxEntrySize) {
    SetError(error, kFileTooLarge);
    return false;
  }
  if (entry->bytes.empty()) {
    SetError(error, kFileIsEmpty);
    return false;
  }
  *bytes = entry->bytes;
  if (error) error->clear();
  return true;
}

namespace {
std::mutex g_openMutex;
std::unique_ptr<SkinPackage> g_package;  // guarded by g_openMutex; never replaced once set
std::atomic<SkinPackage*> g_opened{nullptr};
}  // namespace

SkinPackage* OpenPackageOnce(const void* data, size_t size, std::string* error) {
  std::lock_guard<std::mutex> lock(g_openMutex);
  if (g_package) {
    if (error) error->clear();
    return g_package.get();
  }
  // The caller's buffer may be a resource or a temporary: decode from a copy
  // of our own, as the package is used for the rest of the process.
  std::string copy(static_cast<const char*>(data ? data : ""), data ? size : 0);
  g_package = SkinPackage::Open(copy.data(), copy.size(), error);
  g_opened.store(g_package.get(), std::memory_order_release);
  return g_package.get();
}

SkinPackage* OpenedPackage() { return g_opened.load(std::memory_order_acquire); }

SkinPackage* OpenEmbeddedSkinPackage(std::string* error) {
  if (SkinPackage* opened = OpenedPackage()) {
    if (error) error->clear();
    return opened;
  }
  std::string bytes;
  if (!FindEmbeddedResource(kSkinResourceType, kSkinResourceId, &bytes)) {
    SetError(error, kErrorOpeningZip);
    return nullptr;
  }
  return OpenPackageOnce(bytes.data(), bytes.size(), error);
}

}  // namespace SkinUI
