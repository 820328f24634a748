#include "cli/interrupt_flag.h"

#include <csignal>

namespace qv::cli {
namespace {

// A signal handler may only store to a lock-free atomic.
std::atomic<std::atomic<int>*> g_interrupt{nullptr};

extern "C" void onInterrupt(int) {
  if (std::atomic<int>* flag = g_interrupt.load()) flag->store(1);
}

}  // namespace

InterruptFlag::InterruptFlag(std::atomic<int>* flag) {
  g_interrupt.store(flag);
  previous_ = std::signal(SIGINT, onInterrupt);
}

InterruptFlag::~InterruptFlag() {
  std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
  g_interrupt.store(nullptr);
}

}  // namespace qv::cli
