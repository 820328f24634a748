#include "db/inflate.h"

#include <zlib.h>

#include <algorithm>

#include "platform/result.h"

namespace qv::db {

int inflateBlob(std::string_view compressed, std::string* out, std::size_t maxOut) {
  out->clear();
  if (compressed.empty()) return kInvalid;
  z_stream z{};
  // 32 + window bits: a gzip or a zlib header, whichever the stream has.
  if (inflateInit2(&z, 32 + MAX_WBITS) != Z_OK) return kInvalid;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  std::size_t left = compressed.size();
  char buf[16384];
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (z.avail_in == 0) {
      const auto take = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
      z.avail_in = take;
      left -= take;
    }
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = sizeof buf - z.avail_out;
    if (rc != Z_OK && rc != Z_STREAM_END) break;
    if (produced > maxOut - out->size()) {
      rc = Z_BUF_ERROR;
      break;
    }
    out->append(buf, produced);
    // No progress and nothing left to give it: the stream is cut short.
    if (rc == Z_OK && produced == 0 && z.avail_in == 0 && left == 0) {
      rc = Z_DATA_ERROR;
      break;
    }
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) {
    out->clear();
    return kInvalid;
  }
  return kOk;
}

}  // namespace qv::db
