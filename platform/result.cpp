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
      return "a file is missing or is not what it should be";
    case kShortRead:
      return "the file ends before its contents say it should";
    case kQueryFailed:
      return "a manifest or table query failed";
    case kMbdbOpenFailed:
      return "Manifest.mbdb cannot be opened";
    default:
      return "system error";
  }
}

bool isProgramResult(int code) {
  return code == kSourceFailed || code == kWrongPassword || code == kInvalid ||
         code == kQueryFailed || code == kMbdbOpenFailed;
}

}  // namespace qv
