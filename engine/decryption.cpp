// The engine's decryption driver. Not built yet: password-protected backups come with the
// decryption tool's driver, which replaces the bodies below (see decryption.h).
#include "engine/decryption.h"

#include "engine/recovery_engine.h"

namespace qv::engine {

bool decryptionAvailable() {
  return false;
}

int RecoveryEngine::decryptBackup(const std::wstring& /*password*/, std::wstring* outputFolder) {
  outputFolder->clear();
  return kDecryptionUnavailable;
}

std::wstring RecoveryEngine::temporaryFolder() {
  return temporaryFolder_;
}

void RecoveryEngine::removeDecryptionOutput() {}

}  // namespace qv::engine
