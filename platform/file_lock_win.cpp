#include <windows.h>

#include "platform/file_lock.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::platform {
namespace {

// Opened without sharing: while this handle lives, every other open of the file fails.
int openAlone(const std::string& path, DWORD disposition, NativeHandle* out) {
  HANDLE h =
      CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    if (e == ERROR_SHARING_VIOLATION) return kErrSharingViolation;
    if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) return kErrFileExists;
    return e == 0 ? kInvalid : static_cast<int>(e);
  }
  *out = reinterpret_cast<NativeHandle>(h);
  return kOk;
}

}  // namespace

FileLock::~FileLock() {
  release();
}

int FileLock::create(const std::string& path) {
  release();
  return openAlone(path, CREATE_NEW, &handle_);
}

int FileLock::takeOver(const std::string& path) {
  release();
  return openAlone(path, OPEN_EXISTING, &handle_);
}

void FileLock::release() {
  if (handle_ == kNoHandle) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

}  // namespace qv::platform
