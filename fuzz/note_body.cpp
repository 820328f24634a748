// Fuzz target: the protocol-buffer reader and the note body decoding over arbitrary bytes.
// Every field of the message is walked (nested length-delimited fields too, to a few levels),
// the note text path is looked up, and the bytes are decoded as a compressed note body.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "db/notestore_reader.h"
#include "db/proto_fields.h"

namespace {

std::size_t walk(std::string_view message, int depth) {
  std::size_t sum = 0;
  qv::db::ProtoFields fields(message);
  qv::db::ProtoField f;
  while (fields.next(&f)) {
    sum += f.number + f.value;
    if (f.wireType == 2 && depth < 4) sum += walk(f.bytes, depth + 1);
  }
  return sum + (fields.damaged() ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  volatile std::size_t sink = walk(bytes, 0);
  std::string_view text;
  if (qv::db::protoPath(bytes, {2, 3, 2}, &text)) sink = sink + text.size();
  std::wstring body;
  if (qv::db::noteBodyText(bytes, &body)) sink = sink + body.size();
  (void)sink;
  return 0;
}
