// Password-protected backups: the engine runs the decryption tool beside the program on the
// current backup and then works on the deciphered, flat copy it writes into the temporary
// folder ("QuenvaleTempFile"). The engine's side of it lives in decryption.cpp:
//   RecoveryEngine::decryptBackup     runs the tool, reads its progress, -110 on a wrong password
//   RecoveryEngine::temporaryFolder   the folder for the deciphered copy, chosen once per run
//   RecoveryEngine::removeDecryptionOutput  deletes what an earlier decryption left
//
// Until that driver is built, decryptBackup answers kDecryptionUnavailable and an encrypted
// backup opens with that result (its categories stay empty); decryptionAvailable() lets a front
// end say so before it starts a scan.
#pragma once

#include "platform/result.h"

namespace qv::engine {

// What opening an encrypted backup answers while this build cannot decrypt ("The request is not
// supported.").
constexpr int kDecryptionUnavailable = kErrNotSupported;

// Whether this build can open password-protected backups.
bool decryptionAvailable();

}  // namespace qv::engine
