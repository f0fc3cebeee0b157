#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "uninstaller.h"
#include "utils/file_io.h"
#include "utils/probe.h"

namespace uninstaller_platform {

// The copy is written beside its final name and moved over it, so nothing
// ever starts a half-written program; it is made executable before the
// move because Linux copies carry no "runs" mark of their own.
bool CopyExecutable(const std::wstring& from, const std::wstring& to) {
  FILE* in = Utils::OpenFile(from, "rb");
  if (!in) return false;
  const std::wstring temp = to + L"." + Utils::MakeGuidString() + L".tmp";
  FILE* out = Utils::OpenFile(temp, "wb");
  if (!out) {
    fclose(in);
    return false;
  }
  bool ok = true;
  char buffer[65536];
  size_t n;
  while (ok && (n = fread(buffer, 1, sizeof buffer, in)) > 0) ok = fwrite(buffer, 1, n, out) == n;
  ok = !ferror(in) && ok;
  fclose(in);
  ok = fflush(out) == 0 && ok;
  ok = fchmod(fileno(out), 0755) == 0 && ok;
  ok = fclose(out) == 0 && ok;
  if (ok) ok = Utils::ReplaceFile(temp, to);
  if (!ok) Utils::DeleteFileAt(temp);
  return ok;
}

}  // namespace uninstaller_platform
