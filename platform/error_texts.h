// Windows' US-English message texts for the system codes this program meets. Used as the
// message source on systems without Windows' own table, and by tests on every platform.
#pragma once

namespace qv::platform {

// The text for a code, or nullptr when the table has none.
const char* knownErrorText(int code);

}  // namespace qv::platform
