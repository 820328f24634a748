// The one place that turns a broken fact about an input file into a result code.
//
// Every reader of the tool returns corrupt("what was wrong") when the bytes break an invariant
// of their format; the text is kept (per thread) so that the tool can say why it gave up and
// tests can check that the intended check fired.
#pragma once

#include "platform/result.h"

namespace qv::decrypt {

inline const char*& lastCorruption() {
  thread_local const char* what = "";
  return what;
}

inline int corrupt(const char* what) {
  lastCorruption() = what;
  return kInvalid;
}

}  // namespace qv::decrypt
