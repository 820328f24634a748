#include "tools/decrypt/manifest_plist.h"

#include "platform/byte_cursor.h"
#include "tools/decrypt/corrupt.h"
#include "tools/decrypt/keybag.h"
#include "tools/decrypt/xml_plist.h"

namespace qv::decrypt {

int readManifestPlist(std::string_view bytes, ManifestPlist* out) {
  *out = ManifestPlist();
  PlistValue root;
  int rc = readAnyPlist(bytes, &root);
  if (rc != kOk) return rc;
  if (!root.is(PlistKind::kDict)) return corrupt("Manifest.plist: top value is not a dict");
  ManifestPlist m;
  if (const PlistValue* v = root.find("IsEncrypted")) {
    // Some writers store the flag as an integer.
    m.isEncrypted =
        v->is(PlistKind::kBool) ? v->boolean : v->is(PlistKind::kInteger) && v->integer != 0;
  }
  const PlistValue* bag = root.find("BackupKeyBag");
  if (bag) {
    if (!bag->is(PlistKind::kData)) return corrupt("Manifest.plist: BackupKeyBag is not data");
    m.keybag = bag->bytes;
  }
  if (const PlistValue* key = root.find("ManifestKey")) {
    // Class number and one wrapped 32-byte key.
    if (!key->is(PlistKind::kData) || key->bytes.size() != 4 + kWrappedKeySize) {
      return corrupt("Manifest.plist: ManifestKey is not 44 bytes of data");
    }
    ByteCursor c(key->bytes);
    m.hasManifestKey = true;
    m.manifestKeyClass = c.le32();
    m.manifestWrappedKey.assign(c.bytes(kWrappedKeySize));
  }
  if (const PlistValue* lockdown = root.find("Lockdown")) {
    const PlistValue* version = lockdown->find("ProductVersion");
    if (version && version->is(PlistKind::kString)) m.productVersion = version->bytes;
  }
  *out = std::move(m);
  return kOk;
}

}  // namespace qv::decrypt
