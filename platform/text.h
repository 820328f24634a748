// Conversion between narrow text (always UTF-8) and wide text (UTF-16 on Windows, UTF-32
// elsewhere). Invalid input never fails: each malformed UTF-8 sequence (its maximal
// subpart) and each unpaired surrogate becomes U+FFFD, as the Windows converter does.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// Appends the UTF-8 form of one code point (U+FFFD for surrogates and values past U+10FFFF).
void appendUtf8(std::string& out, char32_t cp);

// Control characters: C0 (below U+0020), DEL and C1 (U+0080 to U+009F). On a terminal they
// move the cursor, recolour or retitle the window, or erase what was shown.
bool isControlCharacter(char32_t c);
// The invisible marks that reorder how text is shown (U+061C, U+200E, U+200F, U+202A to U+202E,
// U+2066 to U+2069): "photo<RLO>gpj.exe" shows as "photoexe.jpg".
bool isBidiControl(char32_t c);

}  // namespace qv::platform
