// A person's name as the lists, the documents and the name lookups of messages and calls show
// it: the first and the last name joined by a space when both are there. Names written in
// Chinese, Japanese or Korean characters carry no space between their parts, so two such parts
// are joined without one.
#pragma once

#include <string>

namespace qv::db {

std::wstring fullName(const std::wstring& first, const std::wstring& last);

// Whether a code point belongs to the scripts written without spaces between name parts: the
// CJK ideographs (and their extensions and compatibility forms), kana, Hangul, bopomofo.
bool isCjkCodePoint(char32_t c);

}  // namespace qv::db
