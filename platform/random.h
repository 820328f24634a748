// Random bytes from the system's generator, for names that nobody can guess beforehand: the
// temporary names of files being written, the private folder of a run.
#pragma once

#include <cstddef>
#include <string>

namespace qv::platform {

int randomBytes(void* out, std::size_t n);
// 2 x bytes lower-case hex digits.
int randomHex(std::size_t bytes, std::string* out);

}  // namespace qv::platform
