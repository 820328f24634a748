#include "db/carve_worker.h"

#include <system_error>
#include <utility>

namespace qv::db {

CarveWorker::~CarveWorker() {
  std::map<std::uint32_t, std::vector<CarvedCandidate>> ignored;
  finish(&ignored);
}

bool CarveWorker::start() {
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CarveWorker::submit(std::uint32_t pageIndex, const std::uint8_t* page, std::size_t bytes,
                         const CarveContext& ctx) {
  std::unique_lock<std::mutex> lock(mutex_);
  room_.wait(lock, [this] { return jobs_.size() < kMaxQueued; });
  Job job;
  job.pageIndex = pageIndex;
  if (!spare_.empty()) {
    job.page = std::move(spare_.back());
    spare_.pop_back();
  }
  job.page.assign(page, page + bytes);
  job.ctx = ctx;
  jobs_.push_back(std::move(job));
  if (jobs_.size() == kWakeAt) ready_.notify_one();
}

void CarveWorker::run() {
  std::vector<CarvedCandidate> list;
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // Once awake the thread carves until the queue is empty; then it sleeps until a batch
      // has gathered, not at every page.
      if (jobs_.empty()) ready_.wait(lock, [this] { return closing_ || jobs_.size() >= kWakeAt; });
      if (jobs_.empty()) return;  // closing and nothing left
      job = std::move(jobs_.front());
      jobs_.pop_front();
      room_.notify_one();
    }
    list.clear();
    carvePage(job.page.data(), job.ctx, &list);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!list.empty()) results_[job.pageIndex] = list;
    spare_.push_back(std::move(job.page));
  }
}

void CarveWorker::finish(std::map<std::uint32_t, std::vector<CarvedCandidate>>* out) {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
    }
    ready_.notify_all();
    thread_.join();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& entry : results_) (*out)[entry.first] = std::move(entry.second);
  results_.clear();
}

}  // namespace qv::db
