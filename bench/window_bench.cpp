// Real windows, timed (not a Google Benchmark: what is measured is a shown
// window on the display's server, over wall-clock time).
//
//   window_bench spinner       CPU time of this process over one second of
//                              the installing page's spinner (60 frames,
//                              30 ms) in the shown main layout
//   window_bench first-frame   process start to the first presented frame
//                              of a prompt: the median of 15 child runs
//
// Run under a display, e.g. scripts/with-display build/linux/bench/window_bench spinner
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/message_box.h"
#include "ui/sequence_controls.h"
#include "ui/skin_frame.h"
#include "uikit/container.h"

extern char** environ;

namespace {

using namespace SkinUI;

double Seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The main layout on its installing page with the spinner running.
class SpinnerWindow : public CSkinFrame {
 public:
  SpinnerWindow() : CSkinFrame(SkinDescriptor{kSkinResourceId, "", "mainWnd.xml", "SpinnerBenchWnd"}) {}
  int paints = 0;
  void Paint(const Rect& dirty, Bitmap& back) override {
    ++paints;
    CSkinFrame::Paint(dirty, back);
  }

 protected:
  Control* CreateCustomControl(const std::string& name) override { return CreateSequenceControl(name); }
  void OnWindowReady() override {
    if (auto* tab = dynamic_cast<TabLayout*>(FindControl("mainTabLt"))) tab->SelectItem(2);
    if (auto* spinner = dynamic_cast<CSequenceLabelUI*>(FindControl("progressAnLb"))) spinner->Start();
  }
};

void PumpFor(double seconds) {
  const double end = Seconds(CLOCK_MONOTONIC) + seconds;
  for (double now; (now = Seconds(CLOCK_MONOTONIC)) < end;)
    WindowHost::PumpMessages(static_cast<int>((end - now) * 1000) + 1);
}

int Spinner() {
  SpinnerWindow w;
  if (!w.Create(nullptr, L"spinner")) return std::fprintf(stderr, "no window\n"), 1;
  w.ShowWindow();
  PumpFor(2.0);  // a whole cycle first: every frame decoded once, in the cache
  const int paintsBefore = w.paints;
  const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
  PumpFor(1.0);
  const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = Seconds(CLOCK_MONOTONIC) - wall0;
  std::printf("spinner: %.1f ms CPU in %.3f s (%.2f %% of one core), %d paints\n", cpu * 1000, wall,
              100 * cpu / wall, w.paints - paintsBefore);
  return 0;
}

// The child: a prompt shown, and the monotonic time of its first present.
class TimedPrompt : public CMessageBoxWnd {
 public:
  TimedPrompt() : CMessageBoxWnd("ExitTipWnd.xml") {}
  bool painted = false;
  void Paint(const Rect& dirty, Bitmap& back) override {
    CMessageBoxWnd::Paint(dirty, back);
    painted = true;
  }
};

int FirstFrameChild() {
  TimedPrompt prompt;
  if (!prompt.Create(nullptr, L"消息框")) return 1;
  prompt.CenterWindow();
  prompt.ShowWindow();
  // The host presents right after the paint, in the same turn.
  for (int i = 0; i < 1000 && !prompt.painted; ++i) WindowHost::PumpMessages(10);
  if (!prompt.painted) return 1;
  std::printf("%.6f\n", Seconds(CLOCK_MONOTONIC));
  return 0;
}

int FirstFrame(const char* self) {
  std::vector<double> ms;
  for (int run = 0; run < 15; ++run) {
    int out[2];
    if (pipe(out) != 0) return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char arg0[] = "window_bench", arg1[] = "first-frame-child";
    char* argv[] = {arg0, arg1, nullptr};
    pid_t pid = 0;
    const double start = Seconds(CLOCK_MONOTONIC);
    const int rc = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) return std::fprintf(stderr, "spawn: %s\n", std::strerror(rc)), 1;
    std::string text;
    char buf[64];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (text.empty()) return std::fprintf(stderr, "child reported nothing\n"), 1;
    ms.push_back((std::atof(text.c_str()) - start) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("first frame of a prompt: median %.1f ms (min %.1f, max %.1f, %zu runs)\n", ms[ms.size() / 2], ms.front(),
              ms.back(), ms.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "spinner") return Spinner();
  if (mode == "first-frame") return FirstFrame("/proc/self/exe");
  if (mode == "first-frame-child") return FirstFrameChild();
  std::fprintf(stderr, "usage: window_bench spinner|first-frame\n");
  return 2;
}
