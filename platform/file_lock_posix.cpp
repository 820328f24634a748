#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error_text.h"
#include "platform/file_lock.h"
#include "platform/result.h"

namespace qv::platform {
namespace {

// An exclusive lock without waiting; the open descriptor is closed when it cannot be had.
int lockOrClose(int fd) {
  int r;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r == 0) return kOk;
  const int rc = errno == EWOULDBLOCK ? kErrSharingViolation : errnoToCode(errno);
  ::close(fd);
  return rc;
}

}  // namespace

FileLock::~FileLock() {
  release();
}

int FileLock::create(const std::string& path) {
  release();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? kErrFileExists : errnoToCode(errno);
  int rc = lockOrClose(fd);
  if (rc != kOk) return rc;
  // Someone who took the lock in the moment between creating and locking thought the maker
  // dead and removed the file; this lock then guards nothing.
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_nlink == 0) {
    ::close(fd);
    return kErrFileNotFound;
  }
  handle_ = fd;
  return kOk;
}

int FileLock::takeOver(const std::string& path) {
  release();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errnoToCode(errno);
  const int rc = lockOrClose(fd);
  if (rc == kOk) handle_ = fd;
  return rc;
}

void FileLock::release() {
  if (handle_ == kNoHandle) return;
  ::close(static_cast<int>(handle_));  // closing drops the lock
  handle_ = kNoHandle;
}

}  // namespace qv::platform
