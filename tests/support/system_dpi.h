// The display scale the system announces to programs started from now on,
// set for a test and put back after it: on Linux the "Xft.dpi" resource of
// the test's X server (what desktops set for a 2x screen), on Windows (Wine)
// the user's "LogPixels" in HKCU\Control Panel\Desktop.
#pragma once

namespace quillon_test {

class ScopedSystemDpi {
 public:
  explicit ScopedSystemDpi(int dpi);
  ~ScopedSystemDpi();  // restores what was there, or removes what was not
  ScopedSystemDpi(const ScopedSystemDpi&) = delete;
  ScopedSystemDpi& operator=(const ScopedSystemDpi&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  bool had_ = false;
  unsigned long previousDpi_ = 0;  // Windows
  char* previousResources_ = nullptr;  // Linux: the whole resource text, malloc'd
};

}  // namespace quillon_test
