// Where the page reader takes bytes from: an open file (read only) or bytes held in memory
// (tests and fuzzing). The database file and its write-ahead log are each one source.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/file.h"
#include "platform/result.h"

namespace qv::db {

class PageSource {
 public:
  virtual ~PageSource() = default;
  virtual int size(std::uint64_t* out) = 0;
  // Up to n bytes at offset; *got < n only at the end.
  virtual int readAt(std::uint64_t offset, std::uint8_t* buf, std::size_t n, std::size_t* got) = 0;
};

class FilePageSource final : public PageSource {
 public:
  explicit FilePageSource(platform::File file) : file_(std::move(file)) {}
  int size(std::uint64_t* out) override { return file_.size(out); }
  int readAt(std::uint64_t offset, std::uint8_t* buf, std::size_t n, std::size_t* got) override {
    return file_.readAt(offset, buf, n, got);
  }

 private:
  platform::File file_;
};

class MemoryPageSource final : public PageSource {
 public:
  explicit MemoryPageSource(std::string bytes) : bytes_(std::move(bytes)) {}
  int size(std::uint64_t* out) override {
    *out = bytes_.size();
    return kOk;
  }
  int readAt(std::uint64_t offset, std::uint8_t* buf, std::size_t n, std::size_t* got) override {
    *got = 0;
    if (offset >= bytes_.size()) return kOk;
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes_.size() - offset));
    std::memcpy(buf, bytes_.data() + offset, take);
    *got = take;
    return kOk;
  }

 private:
  std::string bytes_;
};

}  // namespace qv::db
