// Inflating the compressed blobs of the phone's databases (gzip or zlib streams, as the note
// bodies of NoteStore.sqlite are stored), with zlib, to a bounded size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::db {

// A note body inflates to far less; a stream that would grow past this is refused, so a small
// damaged or hostile blob cannot take the memory.
constexpr std::size_t kMaxInflated = 64u << 20;

// Inflates a gzip or zlib stream (told apart by its header). 0; kInvalid when the bytes are no
// such stream, are damaged or cut short, or would inflate past maxOut (*out is then empty).
int inflateBlob(std::string_view compressed, std::string* out, std::size_t maxOut = kMaxInflated);

}  // namespace qv::db
