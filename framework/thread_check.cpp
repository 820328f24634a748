#include "framework/thread_check.h"

#include <atomic>

namespace qv::framework {

namespace {
std::atomic<ThreadCheck> g_check{nullptr};
}  // namespace

void setThreadCheck(ThreadCheck check) {
  g_check = check;
}

void checkThread(const char* where) {
  if (ThreadCheck c = g_check.load(std::memory_order_relaxed)) c(where);
}

}  // namespace qv::framework
