// A bounds-checked reader over a byte buffer with a sticky error flag.
//
// Every read tests the remaining length as `n > size - pos` (never `pos + n > size`, which can
// wrap). A read past the end returns zero (or an empty view), leaves the position at the end and
// clears ok() for good, so a caller can read a whole header and check ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv {

class ByteCursor {
 public:
  ByteCursor(const void* data, std::size_t size)
      : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
  explicit ByteCursor(std::string_view bytes) : ByteCursor(bytes.data(), bytes.size()) {}

  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }
  std::size_t size() const { return size_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool atEnd() const { return pos_ == size_; }

  bool seek(std::size_t pos) {
    if (pos > size_) return fail();
    pos_ = pos;
    return true;
  }
  bool skip(std::size_t n) {
    if (n > size_ - pos_) return fail();
    pos_ += n;
    return true;
  }

  std::uint8_t u8() { return static_cast<std::uint8_t>(readBe(1)); }
  std::uint16_t be16() { return static_cast<std::uint16_t>(readBe(2)); }
  std::uint32_t be32() { return static_cast<std::uint32_t>(readBe(4)); }
  std::uint64_t be64() { return readBe(8); }
  std::uint16_t le16() { return static_cast<std::uint16_t>(readLe(2)); }
  std::uint32_t le32() { return static_cast<std::uint32_t>(readLe(4)); }
  std::uint64_t le64() { return readLe(8); }

  // n bytes as a view into the buffer; empty (and !ok) when fewer remain.
  std::string_view bytes(std::size_t n) {
    if (n > size_ - pos_) {
      fail();
      return {};
    }
    std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return v;
  }

 private:
  bool fail() {
    ok_ = false;
    pos_ = size_;
    return false;
  }
  std::uint64_t readBe(std::size_t n) {
    if (n > size_ - pos_) return fail(), 0;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | data_[pos_ + i];
    pos_ += n;
    return v;
  }
  std::uint64_t readLe(std::size_t n) {
    if (n > size_ - pos_) return fail(), 0;
    std::uint64_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = (v << 8) | data_[pos_ + i];
    pos_ += n;
    return v;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace qv
