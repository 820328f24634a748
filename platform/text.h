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

}  // namespace qv::platform
