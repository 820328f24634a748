// A small, bounded reader of the protocol-buffer wire format, enough to take texts out of the
// messages the phone stores in blobs (the note bodies of NoteStore.sqlite).
//
// Wire format: a message is a run of fields. Each field starts with a key varint:
// field number << 3 | wire type. Wire types: 0 varint (up to 10 bytes), 1 eight bytes,
// 2 length-delimited (a varint length, then that many bytes: a string, bytes, or a nested
// message), 5 four bytes. Types 3 and 4 (groups) are obsolete and 6, 7 undefined: a message
// holding one is not read further. Invariants checked: every varint ends within 10 bytes and
// within the message; every length fits the bytes that remain; field number 0 does not occur.
// Nested messages are looked into only along a path the caller names, to a fixed depth, so no
// input can make the reader recurse or allocate.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace qv::db {

struct ProtoField {
  std::uint32_t number = 0;
  std::uint8_t wireType = 0;
  std::uint64_t value = 0;  // wire types 0, 1, 5
  std::string_view bytes;   // wire type 2
};

class ProtoFields {
 public:
  explicit ProtoFields(std::string_view message) : message_(message) {}

  // The next field; false at the end of the message, or at bytes that break the format (then
  // damaged() tells so and the fields before stay good).
  bool next(ProtoField* field);
  bool damaged() const { return damaged_; }

 private:
  std::string_view message_;
  std::size_t pos_ = 0;
  bool damaged_ = false;
};

// The bytes of the first length-delimited field along a path of field numbers: path {2, 3, 2}
// is field 2 of the message, field 3 inside it, field 2 inside that. False when a step is
// missing, is not length-delimited, or the bytes break the format before it is found.
bool protoPath(std::string_view message, std::initializer_list<std::uint32_t> path,
               std::string_view* out);

}  // namespace qv::db
