#include "platform/result.h"

namespace qv {

const char* resultName(int code) {
  switch (code) {
    case kOk:
      return "success";
    case kCancelled:
      return "stopped, or file not found";
    case kSourceFailed:
      return "the source could not start";
    case kWrongPassword:
      return "wrong password";
    case kInvalid:
      return "missing or invalid file";
    case kShortRead:
      return "short read";
    case kQueryFailed:
      return "a manifest or table query failed";
    case kMbdbOpenFailed:
      return "Manifest.mbdb cannot be opened";
    default:
      return "system error";
  }
}

}  // namespace qv
