// The media players this program started (the preview pane starts one to play a video or a
// sound). They are kept with their process handles, so that the program stops exactly these,
// at exit or before it starts another, and never another program's process that happens to
// have a player's file name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/process.h"

namespace qv::app {

class PlayerProcesses {
 public:
  PlayerProcesses() = default;
  ~PlayerProcesses();  // stops what is still running
  PlayerProcesses(const PlayerProcesses&) = delete;
  PlayerProcesses& operator=(const PlayerProcesses&) = delete;

  // Starts a player and keeps it. *started (may be null) shares it (the preview reads its
  // output). The start's result.
  int start(const std::string& program, const std::vector<std::string>& args,
            std::shared_ptr<platform::Process>* started = nullptr);
  // Ends every kept player that still runs and forgets them all. A player that ended on its own
  // is no failure.
  void stopAll();
  std::size_t count() const { return players_.size(); }

 private:
  std::vector<std::shared_ptr<platform::Process>> players_;
};

}  // namespace qv::app
