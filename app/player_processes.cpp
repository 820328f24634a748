#include "app/player_processes.h"

#include "platform/result.h"

namespace qv::app {

PlayerProcesses::~PlayerProcesses() {
  stopAll();
}

int PlayerProcesses::start(const std::string& program, const std::vector<std::string>& args,
                           std::shared_ptr<platform::Process>* started) {
  if (started != nullptr) started->reset();
  auto player = std::make_shared<platform::Process>();
  const int rc = player->start(program, args);
  if (rc != kOk) return rc;
  if (started != nullptr) *started = player;
  players_.push_back(std::move(player));
  return kOk;
}

void PlayerProcesses::stopAll() {
  for (auto& player : players_) player->terminate();  // failures are ignored, as at exit
  players_.clear();
}

}  // namespace qv::app
