// A kill, a closed terminal or Ctrl-C while a StopSignals lives only sets its flag: the process
// goes on and can clean up; afterwards the handler that was there before is back.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

#include "platform/stop_signals.h"

namespace qv::platform {
namespace {

std::atomic<int> g_previousRan{0};
extern "C" void previousHandler(int) {
  g_previousRan.store(1);
}

TEST(StopSignalsTest, StopRequestsSetTheFlagInsteadOfEndingTheProcess) {
  std::vector<int> signals = {SIGINT, SIGTERM};
#ifdef SIGHUP
  signals.push_back(SIGHUP);
#endif
  for (int signal : signals) {
    SCOPED_TRACE(signal);
    auto previous = std::signal(signal, previousHandler);
    {
      std::atomic<int> flag{0};
      StopSignals stop(&flag);
      ASSERT_EQ(std::raise(signal), 0);
      EXPECT_EQ(flag.load(), 1);
      EXPECT_EQ(g_previousRan.load(), 0);
    }
    // Gone with the object: the earlier handler runs again.
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_EQ(g_previousRan.exchange(0), 1);
    std::signal(signal, previous);
  }
}

}  // namespace
}  // namespace qv::platform
