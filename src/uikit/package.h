// The skin package: a 7z archive held in memory, decoded completely when it
// is opened (the skin is small and every window reads most of it).
//
// A SkinPackage is immutable after Open, so any thread may read entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

// A requested entry larger than this is refused ("File too large").
constexpr size_t kMaxEntrySize = 4 * 1024 * 1024;
// Opening refuses an archive that would unpack to more than this, so a small
// hostile archive cannot claim unbounded memory.
constexpr uint64_t kMaxPackageUnpackedSize = 64ull * 1024 * 1024;

class SkinPackage {
 public:
  struct Entry {
    std::string path;    // UTF-8, forward slashes
    uint32_t index = 0;  // index of the entry in the archive
    std::string bytes;
  };

  // Decodes every non-directory entry, in archive order. On failure returns
  // null with *error "Error opening zip file" (not a readable 7z archive) or
  // "Could not unzip file" (unsupported or encrypted method, corrupt data,
  // CRC mismatch, too large). The bytes are not kept.
  static std::unique_ptr<SkinPackage> Open(const void* data, size_t size, std::string* error);

  // Backslashes in path become slashes; the entry of the same length whose
  // path matches ignoring ASCII case is returned. Errors: "Could not find
  // ziped file", "File is empty", "File too large".
  bool ReadEntry(const std::string& path, std::string* bytes, std::string* error) const;

  // The entry itself, or null; same matching as ReadEntry, no size rules.
  const Entry* Find(const std::string& path) const;

  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  SkinPackage() = default;
  std::vector<Entry> entries_;
};

// The process's skin package: the first successful call copies the bytes and
// opens them; every later call returns the same package and ignores its
// arguments. A failed call leaves no package, so a later call may try again.
// Safe to call from several threads.
SkinPackage* OpenPackageOnce(const void* data, size_t size, std::string* error);

// The package opened by OpenPackageOnce, or null.
SkinPackage* OpenedPackage();

// What a window whose skin comes from the executable does first: the process's
// package if one is open, else the one opened from resource "ZIPRES" 147.
// Null when that resource is missing or empty, or is no package; *error is
// then "Error opening zip file" (or "Could not unzip file").
SkinPackage* OpenEmbeddedSkinPackage(std::string* error);

}  // namespace SkinUI
