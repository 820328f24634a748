#include "db/proto_fields.h"

namespace qv::db {

namespace {

// A varint of at most 10 bytes within [p, end); false when it does not end there.
bool readVarint64(std::string_view s, std::size_t* pos, std::uint64_t* out) {
  std::uint64_t v = 0;
  for (int i = 0; i < 10; ++i) {
    if (*pos >= s.size()) return false;
    const auto b = static_cast<std::uint8_t>(s[(*pos)++]);
    v |= std::uint64_t{b & 0x7fu} << (7 * i);
    if ((b & 0x80) == 0) {
      *out = v;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ProtoFields::next(ProtoField* field) {
  if (damaged_ || pos_ >= message_.size()) return false;
  std::uint64_t key = 0;
  if (!readVarint64(message_, &pos_, &key) || (key >> 3) == 0 || (key >> 3) > 0x1fffffff) {
    damaged_ = true;
    return false;
  }
  ProtoField f;
  f.number = static_cast<std::uint32_t>(key >> 3);
  f.wireType = static_cast<std::uint8_t>(key & 7);
  switch (f.wireType) {
    case 0:
      if (!readVarint64(message_, &pos_, &f.value)) damaged_ = true;
      break;
    case 1:
    case 5: {
      const std::size_t n = f.wireType == 1 ? 8 : 4;
      if (n > message_.size() - pos_) {
        damaged_ = true;
        break;
      }
      for (std::size_t i = 0; i < n; ++i)
        f.value |= std::uint64_t{static_cast<std::uint8_t>(message_[pos_ + i])} << (8 * i);
      pos_ += n;
      break;
    }
    case 2: {
      std::uint64_t length = 0;
      // The length must fit what remains of the message.
      if (!readVarint64(message_, &pos_, &length) || length > message_.size() - pos_) {
        damaged_ = true;
        break;
      }
      f.bytes = message_.substr(pos_, static_cast<std::size_t>(length));
      pos_ += static_cast<std::size_t>(length);
      break;
    }
    default:
      damaged_ = true;  // groups (3, 4) and the undefined types 6, 7
  }
  if (damaged_) {
    pos_ = message_.size();
    return false;
  }
  *field = f;
  return true;
}

bool protoPath(std::string_view message, std::initializer_list<std::uint32_t> path,
               std::string_view* out) {
  std::string_view current = message;
  for (std::uint32_t number : path) {
    ProtoFields fields(current);
    ProtoField f;
    bool found = false;
    while (fields.next(&f)) {
      if (f.number == number && f.wireType == 2) {
        found = true;
        break;
      }
    }
    if (!found) return false;
    current = f.bytes;
  }
  *out = current;
  return true;
}

}  // namespace qv::db
