// Item and app names come from the backup's manifest, that is from whoever made the backup, and
// the export turns them into file and folder names under the folder the user picked. A name is
// made safe once, when its item is made, so that no later path built from it can leave that
// folder or name something other than a plain file:
//   - path separators, drive colons and the other characters no file name may hold
//     (* ? " < > |), and control characters, become "_";
//   - dots and blanks at the end become "_" (the system would drop them, so "x." and "x" would
//     name one file, and ".." would name the parent folder);
//   - the reserved device names (CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9, with or without an
//     extension) get a "_" in front;
//   - an empty name becomes "_".
// Everything else, letters of every script included, stays as it is.
#pragma once

#include <string>

namespace qv::engine {

std::wstring safeFileName(std::wstring name);

}  // namespace qv::engine
