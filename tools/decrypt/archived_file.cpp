#include "tools/decrypt/archived_file.h"

#include "backup/binary_plist.h"
#include "platform/corrupt_input.h"

namespace qv::decrypt {

namespace {

// Follows UIDs into $objects; null when a UID points outside or the chain does not end.
const plist::PlistValue* resolve(const plist::PlistValue* v, const plist::PlistValue& objects) {
  for (int step = 0; v && step < kMaxUidSteps; ++step) {
    if (!v->is(plist::PlistKind::kUid)) return v;
    if (v->integer < 0 || static_cast<std::uint64_t>(v->integer) >= objects.items.size())
      return nullptr;
    v = &objects.items[static_cast<std::size_t>(v->integer)];
  }
  return nullptr;
}

const plist::PlistValue* resolvedMember(const plist::PlistValue& dict, const char* key,
                                        const plist::PlistValue& objects) {
  return resolve(dict.find(key), objects);
}

// Whether a resolved value is the archive's "$null" object (index 0): a reference to it is
// nil, as good as no value.
bool isNil(const plist::PlistValue* v, const plist::PlistValue& objects) {
  return v != nullptr && !objects.items.empty() && v == &objects.items[0] &&
         v->is(plist::PlistKind::kString) && v->bytes == "$null";
}

}  // namespace

int readArchivedFile(std::string_view blob, ArchivedFile* out) {
  *out = ArchivedFile();
  plist::PlistValue root;
  int rc = plist::readBinaryPlist(blob, &root);
  if (rc != kOk) return rc;
  const plist::PlistValue* objects = root.find("$objects");
  if (!objects || !objects->is(plist::PlistKind::kArray))
    return corrupt("file record: no $objects array");
  const plist::PlistValue* record = nullptr;
  if (const plist::PlistValue* top = root.find("$top")) {
    record = resolvedMember(*top, "root", *objects);
  } else if (objects->items.size() > 1) {
    record = &objects->items[1];  // without $top, the first object after "$null"
  }
  if (!record || !record->is(plist::PlistKind::kDict))
    return corrupt("file record: root is not a dict");

  ArchivedFile f;
  const plist::PlistValue* key = resolvedMember(*record, "EncryptionKey", *objects);
  // An EncryptionKey that refers to $null: the record has no key (a folder's).
  const bool nilKey = isNil(key, *objects);
  if (nilKey) key = nullptr;
  // The key is data, possibly wrapped in a dict under NS.data (itself maybe behind a UID).
  for (int step = 0; key && key->is(plist::PlistKind::kDict) && step < kMaxUidSteps; ++step) {
    key = resolvedMember(*key, "NS.data", *objects);
  }
  if (key && key->is(plist::PlistKind::kData)) {
    f.hasKey = true;
    f.keyBlob = key->bytes;
  } else if (record->find("EncryptionKey") && !nilKey) {
    return corrupt("file record: EncryptionKey does not lead to data");
  }
  const plist::PlistValue* cls = resolvedMember(*record, "ProtectionClass", *objects);
  if (cls && cls->is(plist::PlistKind::kInteger) && cls->integer >= 0 &&
      cls->integer <= UINT32_MAX) {
    f.hasProtectionClass = true;
    f.protectionClass = static_cast<std::uint32_t>(cls->integer);
  }
  const plist::PlistValue* size = resolvedMember(*record, "Size", *objects);
  if (size && size->is(plist::PlistKind::kInteger) && size->integer >= 0) {
    f.hasSize = true;
    f.size = static_cast<std::uint64_t>(size->integer);
  }
  *out = std::move(f);
  return kOk;
}

}  // namespace qv::decrypt
