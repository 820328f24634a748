// A lock a running program holds on a file. The system drops it when the program ends, however
// it ends (a killed process's locks go with it), so a lock that can be taken tells that the
// program which made the file is gone: folders left by dead runs are found this way, never by
// their names or ages.
//
// POSIX: flock() on the open file, exclusive and without waiting. Windows: the file is held
// open without sharing, so nobody else can open it while its maker lives.
#pragma once

#include <string>

#include "platform/os_calls.h"

namespace qv::platform {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the lock file (never following a link; kErrFileExists when the name is taken) and
  // holds its lock. kErrSharingViolation when someone took it between the two steps, and
  // kErrFileNotFound when they also removed it: the caller starts again with another name.
  int create(const std::string& path);
  // Takes the lock of an existing file: 0 when nobody held it (this object holds it now),
  // kErrSharingViolation while a living program holds it, or the code of opening the file.
  int takeOver(const std::string& path);
  // Lets the lock go; the file stays.
  void release();
  bool held() const { return handle_ != kNoHandle; }

 private:
  NativeHandle handle_ = kNoHandle;
};

}  // namespace qv::platform
