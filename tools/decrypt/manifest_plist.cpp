#include "tools/decrypt/manifest_plist.h"

#include "platform/byte_cursor.h"
#include "platform/corrupt_input.h"
#include "tools/decrypt/keybag.h"
#include "tools/decrypt/xml_plist.h"

namespace qv::decrypt {

int readManifestPlist(std::string_view bytes, ManifestPlist* out) {
  *out = ManifestPlist();
  plist::PlistValue root;
  int rc = readAnyPlist(bytes, &root);
  if (rc != kOk) return rc;
  if (!root.is(plist::PlistKind::kDict)) return corrupt("Manifest.plist: top value is not a dict");
  ManifestPlist m;
  if (const plist::PlistValue* v = root.find("IsEncrypted")) {
    // Some writers store the flag as an integer.
    m.isEncrypted = v->is(plist::PlistKind::kBool)
                        ? v->boolean
                        : v->is(plist::PlistKind::kInteger) && v->integer != 0;
  }
  const plist::PlistValue* bag = root.find("BackupKeyBag");
  if (bag) {
    if (!bag->is(plist::PlistKind::kData))
      return corrupt("Manifest.plist: BackupKeyBag is not data");
    m.keybag = bag->bytes;
  }
  if (const plist::PlistValue* key = root.find("ManifestKey")) {
    // Class number and one wrapped 32-byte key.
    if (!key->is(plist::PlistKind::kData) || key->bytes.size() != 4 + kWrappedKeySize) {
      return corrupt("Manifest.plist: ManifestKey is not 44 bytes of data");
    }
    ByteCursor c(key->bytes);
    m.hasManifestKey = true;
    m.manifestKeyClass = c.le32();
    m.manifestWrappedKey.assign(c.bytes(kWrappedKeySize));
  }
  if (const plist::PlistValue* lockdown = root.find("Lockdown")) {
    const plist::PlistValue* version = lockdown->find("ProductVersion");
    if (version && version->is(plist::PlistKind::kString)) m.productVersion = version->bytes;
  }
  *out = std::move(m);
  return kOk;
}

}  // namespace qv::decrypt
