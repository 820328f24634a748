// The one place that turns a broken fact about an input file into a result code.
//
// A reader of a format (the property lists, the keybag and manifests of the decryption tool)
// returns corrupt("what was wrong") when the bytes break an invariant of their format; the text
// is kept (per thread) so that a program can say why it gave up and tests can check that the
// intended check fired.
#pragma once

#include "platform/result.h"

namespace qv {

inline const char*& lastCorruption() {
  thread_local const char* what = "";
  return what;
}

inline int corrupt(const char* what) {
  lastCorruption() = what;
  return kInvalid;
}

}  // namespace qv
