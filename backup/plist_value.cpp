#include "backup/plist_value.h"

namespace qv::plist {

const PlistValue* PlistValue::find(std::string_view key) const {
  if (kind != PlistKind::kDict) return nullptr;
  for (std::size_t i = 0; i < keys.size() && i < items.size(); ++i) {
    if (keys[i] == key) return &items[i];
  }
  return nullptr;
}

}  // namespace qv::plist
