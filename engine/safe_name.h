// The one rule that makes a name from the backup safe as a file or folder name. Item and app
// names come from the manifest, contact names, addresses and chat titles from the databases,
// that is from whoever made the backup; the export turns them into names under the folder the
// user picked. A name is safe when no path built from it can leave that folder or name
// something other than a plain file, on any system the tree may be copied to:
//   - the invisible marks that reorder how text is shown (bidi controls, platform/text.h) are
//     removed: "photo<RLO>gpj.exe" would show as "photoexe.jpg";
//   - path separators, drive colons, the other characters no Windows file name may hold
//     (* ? " < > |) and control characters (below 0x20, 0x7F to 0x9F) become "_";
//   - each dot or blank at the end becomes "_" (Windows would drop them, so "x." and "x" would
//     name one file and ".." the parent folder); replacing rather than dropping them keeps every
//     character's place, so "x." and "x" stay two names;
//   - a reserved device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9, LPT0-9 and their
//     superscript-digit forms, in any case, with or without an extension, blanks before the
//     extension ignored) gets "_" in front;
//   - an empty name becomes "_".
// Everything else, letters of every script included, stays as it is: a name that needs none
// of this is returned exactly as it was. The rule is applied once to each item's name when the
// item is made, and again to every component the export builds, which is harmless since a safe
// name stays the same.
#pragma once

#include <string>
#include <string_view>

namespace qv::engine {

std::wstring safeFileName(std::wstring name);

// Whether the name is a device on Windows ("con", "NUL.txt", "com1 .log", "LPT²").
bool isReservedDeviceName(std::wstring_view name);

}  // namespace qv::engine
