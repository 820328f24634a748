// One value of a property list, as read from the binary (bplist00) or the XML form.
//
// Both readers build the same small tree, so the code that looks for keys (Manifest.plist, the
// archived file records of Manifest.db) does not care which form the file had. Texts are UTF-8;
// data values hold their raw bytes in `bytes`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::plist {

enum class PlistKind { kNull, kBool, kInteger, kReal, kDate, kData, kString, kUid, kArray, kDict };

struct PlistValue {
  PlistKind kind = PlistKind::kNull;
  bool boolean = false;
  std::int64_t integer = 0;       // integers, and UIDs (an index into $objects)
  double real = 0;                // reals, and dates (seconds since 2001-01-01)
  std::string bytes;              // strings (UTF-8) and data
  std::vector<PlistValue> items;  // array items, or dict values
  std::vector<std::string> keys;  // dict keys, one per item

  // The value under key in a dict; null when this is not a dict or the key is absent.
  const PlistValue* find(std::string_view key) const;
  bool is(PlistKind k) const { return kind == k; }
};

// Upper bounds shared by both readers: nesting depth and the number of values built.
constexpr int kPlistMaxDepth = 64;
constexpr std::size_t kPlistMaxValues = 1u << 20;

}  // namespace qv::plist
