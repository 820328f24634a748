#include "tools/decrypt/keybag.h"

#include "platform/byte_cursor.h"
#include "platform/corrupt_input.h"

namespace qv::decrypt {

namespace {

bool tagIs(std::string_view tag, const char* name) {
  return tag == std::string_view(name, 4);
}

}  // namespace

int parseKeybag(std::string_view blob, Keybag* out) {
  *out = Keybag();
  Keybag bag;
  ByteCursor c(blob);
  bool sawHeaderUuid = false;
  bool sawDpic = false;
  bool sawDpsl = false;
  KeybagClass* current = nullptr;
  while (!c.atEnd()) {
    std::string_view tag = c.bytes(4);
    std::uint32_t len = c.be32();
    if (!c.ok() || len > c.remaining()) return corrupt("keybag: record runs past the blob");
    std::string_view value = c.bytes(len);
    ByteCursor v(value);
    std::uint32_t number = len == 4 ? v.be32() : 0;
    bool numeric = tagIs(tag, "CLAS") || tagIs(tag, "WRAP") || tagIs(tag, "KTYP") ||
                   tagIs(tag, "ITER") || tagIs(tag, "DPIC") || tagIs(tag, "TYPE") ||
                   tagIs(tag, "VERS") || tagIs(tag, "DPWT");
    // Numeric records are one 4-byte big-endian number.
    if (numeric && len != 4) return corrupt("keybag: numeric record is not 4 bytes");

    if (tagIs(tag, "UUID")) {
      // The first UUID is the keybag's own; each later one opens a class record.
      if (sawHeaderUuid) {
        bag.classes.emplace_back();
        current = &bag.classes.back();
      }
      sawHeaderUuid = true;
    } else if (current && (tagIs(tag, "CLAS") || tagIs(tag, "WRAP") || tagIs(tag, "WPKY") ||
                           tagIs(tag, "KTYP") || tagIs(tag, "PBKY"))) {
      if (tagIs(tag, "CLAS")) current->protectionClass = number;
      if (tagIs(tag, "WRAP")) current->wrap = number;
      if (tagIs(tag, "WPKY")) {
        // A wrapped 32-byte key is 40 bytes.
        if (len != kWrappedKeySize) return corrupt("keybag: wrapped class key is not 40 bytes");
        current->wrappedKey.assign(value);
      }
    } else if (tagIs(tag, "TYPE")) {
      bag.type = number;
    } else if (tagIs(tag, "SALT")) {
      bag.salt.assign(value);
    } else if (tagIs(tag, "ITER")) {
      bag.iterations = number;
    } else if (tagIs(tag, "DPIC")) {
      bag.dpIterations = number;
      sawDpic = true;
    } else if (tagIs(tag, "DPSL")) {
      bag.dpSalt.assign(value);
      sawDpsl = true;
    }
  }
  // Key derivation needs a salt and a positive count.
  if (bag.salt.empty() || bag.iterations == 0) return corrupt("keybag: no SALT or ITER");
  // The SHA-256 stage needs both its salt and its count.
  if (sawDpic != sawDpsl) return corrupt("keybag: DPSL without DPIC or the reverse");
  if (sawDpic && (bag.dpIterations == 0 || bag.dpSalt.empty()))
    return corrupt("keybag: empty DPSL or DPIC");
  bag.hasDataProtection = sawDpic;
  *out = std::move(bag);
  return kOk;
}

}  // namespace qv::decrypt
