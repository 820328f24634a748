// The system's message text for a Windows-numbered error code, as the user sees it in result
// lists: Windows' own US-English text on Windows, the same texts from a table elsewhere.
#pragma once

#include <string>

namespace qv::platform {

// Never empty: an unknown code gives "Unknown error N.".
std::string errorMessage(int code);

// What a result code means to the user: the program's own words for its own codes (result.h:
// 87 "a file is missing or is not what it should be", not the system's "The parameter is
// incorrect"; 1006 "a manifest or table query failed", not "The volume for a file has been
// externally altered..."), the system's text for the rest.
std::string resultText(int code);

#ifndef _WIN32
// The Windows number of an errno value (ENOENT gives 2, EACCES gives 5, ENOSPC gives 112).
int errnoToCode(int err);
#endif

}  // namespace qv::platform
