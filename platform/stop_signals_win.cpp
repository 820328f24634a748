#include <windows.h>

#include <csignal>

#include "platform/stop_signals.h"

namespace qv::platform {
namespace {

std::atomic<std::atomic<int>*> g_flag{nullptr};
std::atomic<int> g_watching{0};
void (*g_previousInt)(int) = SIG_DFL;
void (*g_previousTerm)(int) = SIG_DFL;

// Longest wait in the handler of a closing console: the system ends the process when the
// handler returns, and gives it about five seconds in all.
constexpr DWORD kCloseGraceMs = 4500;

extern "C" void onSignal(int) {
  if (std::atomic<int>* flag = g_flag.load()) flag->store(1);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  std::atomic<int>* flag = g_flag.load();
  if (flag == nullptr) return FALSE;
  flag->store(1);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The process ends when this returns: give the work the time to stop and clean up.
    for (DWORD waited = 0; g_watching.load() != 0 && waited < kCloseGraceMs; waited += 50)
      Sleep(50);
  }
  return TRUE;
}

}  // namespace

StopSignals::StopSignals(std::atomic<int>* flag) {
  g_flag.store(flag);
  g_watching.store(1);
  g_previousInt = std::signal(SIGINT, onSignal);
  g_previousTerm = std::signal(SIGTERM, onSignal);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
  SetConsoleCtrlHandler(onConsoleEvent, FALSE);
  std::signal(SIGINT, g_previousInt == SIG_ERR ? SIG_DFL : g_previousInt);
  std::signal(SIGTERM, g_previousTerm == SIG_ERR ? SIG_DFL : g_previousTerm);
  g_watching.store(0);
  g_flag.store(nullptr);
}

}  // namespace qv::platform
