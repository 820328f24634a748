// File ids: the name a backup gives a stored file, the SHA-1 digest of its manifest key.
#pragma once

#include <string>
#include <string_view>

namespace qv::backup {

// The stored address-book database, the file that tells an enciphered backup.
constexpr std::string_view kAddressBookFileId = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";

// SHA-1 (libgcrypt) of the key's bytes as 40 lower-case hexadecimal digits, written into out.
void fileIdOf(std::string_view key, std::string* out);
std::string fileIdOf(std::string_view key);

// True for exactly 40 lower-case hexadecimal digits: the only names a stored file can have,
// and so the only ids that may become a path.
bool isFileId(std::string_view text);

}  // namespace qv::backup
