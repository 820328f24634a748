#include <cstdio>

#include "platform/console.h"
#include "platform/result.h"

namespace qv::platform {

int readStdinLine(std::size_t maxBytes, std::string* line) {
  line->clear();
  useBinaryStdin();
  int c = 0;
  bool any = false;
  bool dropped = false;
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line->size() <= maxBytes + 1) {
      line->push_back(static_cast<char>(c));
    } else {
      dropped = true;
    }
  }
  if (!dropped && !line->empty() && line->back() == '\r') line->pop_back();
  if (line->size() > maxBytes + 1) line->resize(maxBytes + 1);
  return any ? kOk : kErrHandleEof;
}

}  // namespace qv::platform
