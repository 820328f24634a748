// The two number formatters that lists and labels share: durations and byte sizes.
#pragma once

#include <cstdint>
#include <string>

namespace qv::app {

// "%d Hour %d Min" above 3599 seconds, "%d Min %d Sec" from 60 to 3599, else "%d Sec" (negative
// values included). Every value of the 64-bit range prints whole.
std::wstring formatDuration(std::int64_t seconds);

// The first of TB, GB, MB, KB (powers of 1024) that the value reaches, with two decimals
// ("1.00 KB"), else the plain count with " Bytes" (negative values included). The decimals are
// rounded half up by integer arithmetic, so the text is the same on every platform and in every
// locale (no decimal comma).
std::wstring formatSize(std::int64_t bytes);

}  // namespace qv::app
