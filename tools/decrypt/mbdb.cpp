#include "tools/decrypt/mbdb.h"

#include "platform/byte_cursor.h"
#include "platform/corrupt_input.h"

namespace qv::decrypt {

namespace {

constexpr std::uint16_t kAbsent = 0xFFFF;

std::string_view readString(ByteCursor& c) {
  std::uint16_t len = c.be16();
  if (len == kAbsent) return {};
  return c.bytes(len);
}

}  // namespace

int readMbdb(std::string_view bytes, std::vector<MbdbRecord>* out) {
  out->clear();
  ByteCursor c(bytes);
  if (c.bytes(6) != std::string_view("mbdb\x05\x00", 6)) return corrupt("mbdb: bad magic");
  // Each record takes at least 50 bytes, so the loop ends within size / 50 passes.
  while (!c.atEnd()) {
    MbdbRecord r;
    r.domain.assign(readString(c));
    r.path.assign(readString(c));
    readString(c);  // link target
    readString(c);  // data hash
    r.encryptionKey.assign(readString(c));
    r.mode = c.be16();
    c.skip(8 + 4 + 4 + 12);  // inode, user, group, three times
    r.size = c.be64();
    r.protectionClass = c.u8();
    unsigned properties = c.u8();
    for (unsigned i = 0; i < properties; ++i) {
      readString(c);
      readString(c);
    }
    // A record cut short by the end of the file is damage, not a record.
    if (!c.ok()) return corrupt("mbdb: record runs past the end of the file");
    out->push_back(std::move(r));
  }
  return kOk;
}

}  // namespace qv::decrypt
