#include <cerrno>
#include <string>

#include "platform/error_text.h"
#include "platform/error_texts.h"

namespace qv::platform {

int errnoToCode(int err) {
  switch (err) {
    case 0:
      return 0;
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 267;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EISDIR:
      return 5;
    case EBADF:
      return 6;
    case ENOMEM:
      return 8;
    case EROFS:
      return 19;
    case EXDEV:
      return 17;
    case ETXTBSY:
      return 32;
    case ENOSYS:
    case EOPNOTSUPP:
      return 50;
    case EEXIST:
      return 183;
    case EINVAL:
      return 87;
    case ENOSPC:
    case EDQUOT:
      return 112;
    case ENOTEMPTY:
      return 145;
    case EBUSY:
      return 170;
    case ENAMETOOLONG:
      return 206;
    case EFBIG:
      return 223;
    case EIO:
      return 1117;
    case ELOOP:
      return 1921;
    default:
      return 31;
  }
}

std::string errorMessage(int code) {
  if (const char* text = knownErrorText(code)) return text;
  return "Unknown error " + std::to_string(code) + ".";
}

}  // namespace qv::platform
