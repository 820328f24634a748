// Ctrl-C for the commands that run long: while an InterruptFlag lives, Ctrl-C sets the flag it
// points at (a scan's stop flag, a job's cancel flag), and the work stops at its next report.
// The handler that was there before comes back when the object goes.
#pragma once

#include <atomic>

namespace qv::cli {

class InterruptFlag {
 public:
  explicit InterruptFlag(std::atomic<int>* flag);
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;

 private:
  void (*previous_)(int);
};

}  // namespace qv::cli
