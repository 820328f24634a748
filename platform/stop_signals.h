// Requests from outside to stop: Ctrl-C, SIGTERM (a plain kill, a system shutting down) and
// SIGHUP (the terminal closed) on POSIX; Ctrl-C, Ctrl-Break and the closing of the console
// window on Windows. While a StopSignals lives, each of them stores 1 into the flag, and the
// work watching the flag stops at its next report and cleans up after itself, where the
// default action would end the process on the spot and leave half-written files. The handlers
// that were there before come back when the object goes.
#pragma once

#include <atomic>

namespace qv::platform {

class StopSignals {
 public:
  explicit StopSignals(std::atomic<int>* flag);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
};

}  // namespace qv::platform
