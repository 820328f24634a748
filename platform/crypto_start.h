// libgcrypt's start-up, in one place for every user of the library (file ids, WeChat table
// names, the decryption tool, the test fixtures that encipher backups). It lives in its own
// small library, qv::crypto_start, so that the platform library itself needs no libgcrypt.
#pragma once

namespace qv::platform {

// Done once per process, by whichever thread asks first: checks that the library is at least
// 1.6.0 (the AES key wrap of the decryption tool needs it) and switches secure memory off (it
// would need privileges, and keys live only briefly in these processes). 0, or 87 when the
// library is older; every later call gives the same answer.
int startGcrypt();

}  // namespace qv::platform
