#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "app/startup.h"

namespace App {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
void OnFatalSignal(int sig, siginfo_t*, void*) {
  // SA_RESETHAND has restored the default action; SIGALRM's default ends
  // the process if the reports hang.
  signal(SIGALRM, SIG_DFL);
  alarm(CrashReportSeconds());
  ReportFatalCrash();
  // A fault re-executes its instruction on return and dies by the default
  // action; a raised signal (abort) needs raising again, delivered once the
  // handler returns.
  raise(sig);
}

}  // namespace

void HardenLibrarySearch() {}

void InstallCrashReporter() {
  // Its own stack, so that a stack overflow of the main thread still
  // reaches the handler.
  static char stack[64 * 1024];
  stack_t alt = {};
  alt.ss_sp = stack;
  alt.ss_size = sizeof stack;
  sigaltstack(&alt, nullptr);
  struct sigaction action = {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int sig : kFatalSignals) sigaction(sig, &action, nullptr);
}

}  // namespace App
