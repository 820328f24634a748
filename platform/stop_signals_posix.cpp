#include <signal.h>

#include "platform/stop_signals.h"

namespace qv::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCount = sizeof kSignals / sizeof kSignals[0];

// A signal handler may only store to a lock-free atomic.
std::atomic<std::atomic<int>*> g_flag{nullptr};
struct sigaction g_previous[kCount];

extern "C" void onStopSignal(int) {
  if (std::atomic<int>* flag = g_flag.load()) flag->store(1);
}

}  // namespace

StopSignals::StopSignals(std::atomic<int>* flag) {
  g_flag.store(flag);
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // reads and waits go on; the flag is looked at between them
  for (int i = 0; i < kCount; ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
}

StopSignals::~StopSignals() {
  for (int i = 0; i < kCount; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  g_flag.store(nullptr);
}

}  // namespace qv::platform
