#include "backup/binary_plist.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/byte_cursor.h"
#include "platform/corrupt_input.h"
#include "platform/text.h"

namespace qv::plist {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

class BinaryPlistReader {
 public:
  explicit BinaryPlistReader(std::string_view bytes) : bytes_(bytes) {}

  int read(PlistValue* out) {
    if (bytes_.size() < kHeaderSize + kTrailerSize)
      return corrupt("bplist: shorter than header and trailer");
    ByteCursor trailer(bytes_.data() + bytes_.size() - kTrailerSize, kTrailerSize);
    trailer.skip(6);
    offsetSize_ = trailer.u8();
    refSize_ = trailer.u8();
    numObjects_ = trailer.be64();
    std::uint64_t top = trailer.be64();
    tableOffset_ = trailer.be64();
    if (!validWidth(offsetSize_) || !validWidth(refSize_))
      return corrupt("bplist: bad integer width in trailer");
    // The offset table sits between the first object and the trailer.
    std::uint64_t tableEnd = bytes_.size() - kTrailerSize;
    if (tableOffset_ < kHeaderSize || tableOffset_ > tableEnd)
      return corrupt("bplist: offset table outside the file");
    if (numObjects_ == 0 || numObjects_ > (tableEnd - tableOffset_) / offsetSize_) {
      return corrupt("bplist: object count does not fit the offset table");
    }
    if (top >= numObjects_) return corrupt("bplist: top object out of range");
    onPath_.assign(static_cast<std::size_t>(numObjects_), false);
    // Shared references let a small file describe a huge tree; a well-formed plist builds a few
    // values per object at most.
    valueBudget_ = std::min<std::uint64_t>(kPlistMaxValues, numObjects_ * 8 + 1024);
    return readObject(top, 0, out);
  }

 private:
  static bool validWidth(unsigned w) { return w == 1 || w == 2 || w == 4 || w == 8; }

  // Offset of object i; 0 when the table entry points outside the object area.
  std::uint64_t objectOffset(std::uint64_t i) const {
    ByteCursor c(bytes_.data() + tableOffset_, offsetSize_ * numObjects_);
    c.seek(static_cast<std::size_t>(i * offsetSize_));
    std::uint64_t off = readWidth(c, offsetSize_);
    // An object starts after the magic and before the offset table.
    if (!c.ok() || off < kHeaderSize || off >= tableOffset_) return 0;
    return off;
  }

  static std::uint64_t readWidth(ByteCursor& c, unsigned width) {
    switch (width) {
      case 1:
        return c.u8();
      case 2:
        return c.be16();
      case 4:
        return c.be32();
      default:
        return c.be64();
    }
  }

  // The size in the low nibble, or the integer object that follows a 0xF nibble.
  bool readCount(ByteCursor& c, std::uint8_t marker, std::uint64_t* count) {
    std::uint8_t info = marker & 0x0F;
    if (info != 0x0F) {
      *count = info;
      return true;
    }
    std::uint8_t intMarker = c.u8();
    // The size must be an integer object of 1, 2, 4 or 8 bytes.
    if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3) return false;
    *count = readWidth(c, 1u << (intMarker & 0x0F));
    return c.ok();
  }

  int readObject(std::uint64_t index, int depth, PlistValue* out) {
    *out = PlistValue();
    if (depth > kPlistMaxDepth) return corrupt("bplist: nested too deeply");
    if (++valuesBuilt_ > valueBudget_) return corrupt("bplist: too many values");
    if (index >= numObjects_) return corrupt("bplist: reference past the object count");
    if (onPath_[index]) return corrupt("bplist: object contains itself");
    std::uint64_t off = objectOffset(index);
    if (off == 0) return corrupt("bplist: object offset outside the object area");
    // Objects are read within the object area only.
    ByteCursor c(bytes_.data(), static_cast<std::size_t>(tableOffset_));
    c.seek(static_cast<std::size_t>(off));
    std::uint8_t marker = c.u8();
    std::uint8_t info = marker & 0x0F;
    switch (marker >> 4) {
      case 0x0:
        if (marker == 0x08 || marker == 0x09) {
          out->kind = PlistKind::kBool;
          out->boolean = marker == 0x09;
        }
        return kOk;  // null and fill
      case 0x1: {
        // 1, 2, 4 bytes unsigned, 8 signed, 16 bytes: a 128-bit value whose low half is kept.
        if (info > 4) return corrupt("bplist: integer wider than 16 bytes");
        if (info == 4) c.skip(8);
        out->kind = PlistKind::kInteger;
        out->integer = static_cast<std::int64_t>(readWidth(c, info == 4 ? 8 : 1u << info));
        return c.ok() ? kOk : corrupt("bplist: integer past the object area");
      }
      case 0x2:
      case 0x3: {
        bool isDate = (marker >> 4) == 0x3;
        if (isDate ? marker != 0x33 : (info != 2 && info != 3))
          return corrupt("bplist: bad real or date size");
        out->kind = isDate ? PlistKind::kDate : PlistKind::kReal;
        if (info == 2) {
          std::uint32_t bits = c.be32();
          float f;
          std::memcpy(&f, &bits, sizeof f);
          out->real = f;
        } else {
          std::uint64_t bits = c.be64();
          std::memcpy(&out->real, &bits, sizeof out->real);
        }
        return c.ok() ? kOk : corrupt("bplist: real past the object area");
      }
      case 0x4:
      case 0x5:
      case 0x7: {
        std::uint64_t n = 0;
        if (!readCount(c, marker, &n) || n > c.remaining())
          return corrupt("bplist: data or string past the object area");
        std::string_view raw = c.bytes(static_cast<std::size_t>(n));
        if ((marker >> 4) == 0x4) {
          out->kind = PlistKind::kData;
          out->bytes.assign(raw);
        } else if ((marker >> 4) == 0x7) {
          out->kind = PlistKind::kString;
          out->bytes.assign(raw);
        } else {
          // "ASCII" strings may carry Latin-1 bytes; they become UTF-8 here.
          out->kind = PlistKind::kString;
          out->bytes.reserve(raw.size());
          for (unsigned char ch : raw) platform::appendUtf8(out->bytes, ch);
        }
        return kOk;
      }
      case 0x6: {
        std::uint64_t units = 0;
        if (!readCount(c, marker, &units) || units > c.remaining() / 2)
          return corrupt("bplist: UTF-16 string past the object area");
        out->kind = PlistKind::kString;
        decodeUtf16Be(c, static_cast<std::size_t>(units), &out->bytes);
        return kOk;
      }
      case 0x8: {
        if (info > 7) return corrupt("bplist: UID wider than 8 bytes");
        std::uint64_t v = 0;
        for (unsigned i = 0; i <= info; ++i) v = (v << 8) | c.u8();
        if (!c.ok()) return corrupt("bplist: UID past the object area");
        out->kind = PlistKind::kUid;
        out->integer = static_cast<std::int64_t>(v);
        return kOk;
      }
      case 0xA:
      case 0xB:
      case 0xC:
        return readContainer(c, marker, index, depth, false, out);
      case 0xD:
        return readContainer(c, marker, index, depth, true, out);
      default:
        return corrupt("bplist: unknown object marker");
    }
  }

  int readContainer(ByteCursor& c, std::uint8_t marker, std::uint64_t index, int depth, bool isDict,
                    PlistValue* out) {
    std::uint64_t n = 0;
    if (!readCount(c, marker, &n)) return corrupt("bplist: container size past the object area");
    // All references must lie in the object area: n (twice for a dict) times the width.
    std::uint64_t refs = c.remaining() / refSize_;
    if (n > (isDict ? refs / 2 : refs))
      return corrupt("bplist: container references past the object area");
    std::vector<std::uint64_t> keyRefs(static_cast<std::size_t>(isDict ? n : 0));
    for (auto& k : keyRefs) k = readWidth(c, refSize_);
    std::vector<std::uint64_t> valueRefs(static_cast<std::size_t>(n));
    for (auto& v : valueRefs) v = readWidth(c, refSize_);

    out->kind = isDict ? PlistKind::kDict : PlistKind::kArray;
    onPath_[index] = true;
    int rc = kOk;
    out->items.resize(valueRefs.size());
    if (isDict) out->keys.resize(keyRefs.size());
    for (std::size_t i = 0; i < valueRefs.size() && rc == kOk; ++i) {
      if (isDict) {
        PlistValue key;
        rc = readObject(keyRefs[i], depth + 1, &key);
        // Keys of a dict are strings.
        if (rc == kOk && key.kind != PlistKind::kString)
          rc = corrupt("bplist: dict key is not a string");
        if (rc == kOk) out->keys[i] = std::move(key.bytes);
      }
      if (rc == kOk) rc = readObject(valueRefs[i], depth + 1, &out->items[i]);
    }
    onPath_[index] = false;
    if (rc != kOk) *out = PlistValue();
    return rc;
  }

  static void decodeUtf16Be(ByteCursor& c, std::size_t units, std::string* out) {
    out->reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
      char32_t u = c.be16();
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
        ByteCursor peek = c;
        char32_t low = peek.be16();
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = peek;
          ++i;
          u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        }
      }
      platform::appendUtf8(*out, u);  // an unpaired surrogate becomes U+FFFD
    }
  }

  std::string_view bytes_;
  unsigned offsetSize_ = 0;
  unsigned refSize_ = 0;
  std::uint64_t numObjects_ = 0;
  std::uint64_t tableOffset_ = 0;
  std::uint64_t valuesBuilt_ = 0;
  std::uint64_t valueBudget_ = 0;
  std::vector<bool> onPath_;
};

}  // namespace

bool looksLikeBinaryPlist(std::string_view bytes) {
  return bytes.substr(0, 8) == "bplist00";
}

int readBinaryPlist(std::string_view bytes, PlistValue* out) {
  *out = PlistValue();
  if (!looksLikeBinaryPlist(bytes)) return corrupt("bplist: no bplist00 magic");
  BinaryPlistReader reader(bytes);
  int rc = reader.read(out);
  if (rc != kOk) *out = PlistValue();
  return rc;
}

}  // namespace qv::plist
