#include <gtest/gtest.h>

#include <cstddef>

#include "app/player_processes.h"
#include "platform/result.h"

namespace qv::app {
namespace {

bool runs(platform::Process& p) {
  bool ended = true;
  p.waitFor(0, &ended);
  return !ended;
}

bool endsWithin(platform::Process& p, int ms) {
  bool ended = false;
  p.waitFor(ms, &ended);
  return ended;
}

// Waits for the child's first line, so that it is stopped only once it runs: under wine, a child
// ended while it is still starting can leave its console host behind for good.
bool printsWithin(platform::Process& p, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    std::size_t available = 0;
    if (p.peek(&available) != kOk) return false;
    if (available > 0) return true;
    bool ended = false;
    p.waitFor(20, &ended);
  }
  return false;
}

// Only the players this program started are stopped: another process running the very same
// program file is left alone, and a player that ended on its own is no failure.
TEST(PlayerProcessesTest, StopsOnlyThePlayersItStarted) {
  PlayerProcesses players;
  std::shared_ptr<platform::Process> mine;
  ASSERT_EQ(players.start(QV_IDLE_CHILD, {"30"}, &mine), kOk);
  ASSERT_NE(mine, nullptr);
  std::shared_ptr<platform::Process> quick;
  ASSERT_EQ(players.start(QV_IDLE_CHILD, {"0"}, &quick), kOk);
  platform::Process other;  // the same file name, started by someone else
  ASSERT_EQ(other.start(QV_IDLE_CHILD, {"30"}), kOk);
  ASSERT_TRUE(printsWithin(*mine, 30000));
  ASSERT_TRUE(printsWithin(other, 30000));
  EXPECT_EQ(players.count(), 2u);
  EXPECT_TRUE(endsWithin(*quick, 10000));
  EXPECT_TRUE(runs(*mine));

  players.stopAll();
  EXPECT_EQ(players.count(), 0u);
  EXPECT_TRUE(endsWithin(*mine, 5000));
  EXPECT_TRUE(runs(other));
  players.stopAll();  // nothing left: harmless

  EXPECT_EQ(other.terminate(), kOk);
  EXPECT_TRUE(endsWithin(other, 5000));
  EXPECT_EQ(other.terminate(), kOk);  // an ended process: no failure
  EXPECT_NE(players.start("/no/such/player", {}), kOk);
  EXPECT_EQ(players.count(), 0u);
}

}  // namespace
}  // namespace qv::app
