// Carving beside decoding: a table scan hands each leaf page to a second thread to carve while
// it hands the page's live rows to the decoder. Carving a page is pure (a page image and its
// context in, candidates out), so the results are the same as carving in line, in the same
// page order; only the time differs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "db/carving.h"

namespace qv::db {

class CarveWorker {
 public:
  CarveWorker() = default;
  ~CarveWorker();
  CarveWorker(const CarveWorker&) = delete;
  CarveWorker& operator=(const CarveWorker&) = delete;

  // Starts the thread; false when the system gives none (the caller then carves in line).
  bool start();
  // Queues a copy of a page image (pageSize + kBufferPad bytes); waits while the queue is full.
  void submit(std::uint32_t pageIndex, const std::uint8_t* page, std::size_t bytes,
              const CarveContext& ctx);
  // Waits for every queued page, stops the thread and moves the non-empty results into out.
  void finish(std::map<std::uint32_t, std::vector<CarvedCandidate>>* out);

 private:
  struct Job {
    std::uint32_t pageIndex = 0;
    std::vector<std::uint8_t> page;
    CarveContext ctx;
  };
  void run();

  static constexpr std::size_t kMaxQueued = 32;
  static constexpr std::size_t kWakeAt = 16;  // pages queued that wake the sleeping thread
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::deque<Job> jobs_;
  std::vector<std::vector<std::uint8_t>> spare_;  // page buffers to reuse
  bool closing_ = false;
  std::map<std::uint32_t, std::vector<CarvedCandidate>> results_;
  std::thread thread_;
};

}  // namespace qv::db
