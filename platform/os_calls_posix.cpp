// The real operating-system table on POSIX systems. Every failure is returned as the Windows
// number of its errno (error_text.h), so callers see the same codes on every platform.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/error_text.h"
#include "platform/os_calls.h"
#include "platform/result.h"

namespace qv::platform {
namespace {

int lastError() {
  return errnoToCode(errno);
}

bool isReadMode(OpenMode mode) {
  return mode == OpenMode::kRead || mode == OpenMode::kReadNoFollow;
}

// The type check of a file opened for reading: a folder is refused as Windows refuses it, and
// so is anything that is not a regular file.
int checkReadable(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return lastError();
  if (S_ISDIR(st.st_mode)) return kErrAccessDenied;
  if (!S_ISREG(st.st_mode)) return kInvalid;
  return kOk;
}

int posixOpen(const std::string& path, OpenMode mode, NativeHandle* out) {
  *out = kNoHandle;
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead:
      // Non-blocking: opening a FIFO for reading would otherwise wait for a writer for ever.
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case OpenMode::kReadNoFollow:
      flags |= O_RDONLY | O_NONBLOCK | O_NOFOLLOW;
      break;
    case OpenMode::kWriteCreate:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case OpenMode::kWriteNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return mode == OpenMode::kWriteNew && errno == EEXIST ? kErrFileExists : lastError();
  if (isReadMode(mode)) {
    const int rc = checkReadable(fd);
    if (rc != kOk) {
      ::close(fd);
      return rc;
    }
    // A regular file never blocks; reads go back to the usual mode all the same.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  *out = fd;
  return kOk;
}

int posixReadAt(NativeHandle h, std::uint64_t offset, void* buf, std::size_t n, std::size_t* got) {
  *got = 0;
  ssize_t r;
  do {
    r = ::pread(static_cast<int>(h), buf, n, static_cast<off_t>(offset));
  } while (r < 0 && errno == EINTR);
  if (r < 0) return lastError();
  *got = static_cast<std::size_t>(r);
  return kOk;
}

int posixWrite(NativeHandle h, const void* buf, std::size_t n, std::size_t* put) {
  *put = 0;
  ssize_t r;
  do {
    r = ::write(static_cast<int>(h), buf, n);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return lastError();
  *put = static_cast<std::size_t>(r);
  return kOk;
}

int posixSizeOf(NativeHandle h, std::uint64_t* size) {
  struct stat st;
  if (::fstat(static_cast<int>(h), &st) != 0) return lastError();
  *size = static_cast<std::uint64_t>(st.st_size);
  return kOk;
}

int posixClose(NativeHandle h) {
  return ::close(static_cast<int>(h)) == 0 ? kOk : lastError();
}

int describe(int statResult, const struct stat& st, PathInfo* info) {
  if (statResult != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return kOk;  // simply not there
    return lastError();
  }
  info->exists = true;
  info->isFolder = S_ISDIR(st.st_mode);
  info->isRegular = S_ISREG(st.st_mode);
  info->isLink = S_ISLNK(st.st_mode);
  info->size = info->isRegular ? static_cast<std::uint64_t>(st.st_size) : 0;
  return kOk;
}

int posixStat(const std::string& path, PathInfo* info) {
  *info = PathInfo{};
  struct stat st;
  return describe(::stat(path.c_str(), &st), st, info);
}

int posixStatLink(const std::string& path, PathInfo* info) {
  *info = PathInfo{};
  struct stat st;
  return describe(::lstat(path.c_str(), &st), st, info);
}

int posixMakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return kOk;
  return lastError();
}

int posixMakePrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return kOk;
  return lastError();
}

int existsOrError() {
  return errno == EEXIST ? kErrFileExists : lastError();
}

// The last way to rename without replacing, on file systems that offer neither an exclusive
// rename nor hard links: claim the name with an exclusive create, then rename over the claim.
int renameOverClaim(const std::string& from, const std::string& to) {
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return existsOrError();
  ::close(fd);
  if (::rename(from.c_str(), to.c_str()) == 0) return kOk;
  const int rc = lastError();
  ::unlink(to.c_str());
  return rc;
}

bool notOfferedHere(int err) {
  return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP || err == EPERM;
}

int posixRenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return kOk;
  if (!notOfferedHere(errno)) return existsOrError();
#endif
  // A hard link fails on a taken name whatever it holds, and is made in one step.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return kOk;
  }
  if (!notOfferedHere(errno)) return existsOrError();
  return renameOverClaim(from, to);
}

int posixListFolder(const std::string& path, std::vector<std::string>* names) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return lastError();
  errno = 0;
  while (const dirent* e = ::readdir(dir)) names->emplace_back(e->d_name);
  const int err = errno;
  ::closedir(dir);
  return err != 0 ? errnoToCode(err) : kOk;
}

int posixRemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? kOk : lastError();
}

int posixRenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? kOk : lastError();
}

int posixUtcToLocal(std::int64_t utcSeconds, CivilTime* out) {
  const std::time_t t = static_cast<std::time_t>(utcSeconds);
  std::tm tm{};
  tzset();
  if (::localtime_r(&t, &tm) == nullptr) return kInvalid;
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  return kOk;
}

// The standard offset is the one of a day on which no daylight saving is in force: of
// mid-January and mid-July, the smaller offset east of UTC.
int posixStandardBias(int* minutes) {
  tzset();
  long best = 0;
  bool have = false;
  const std::time_t year = std::time(nullptr);
  for (int month : {0, 6}) {
    std::tm probe{};
    gmtime_r(&year, &probe);
    probe.tm_mon = month;
    probe.tm_mday = 15;
    probe.tm_isdst = -1;
    std::time_t when = timegm(&probe);
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) continue;
    if (!have || local.tm_gmtoff < best) best = local.tm_gmtoff;
    have = true;
  }
  *minutes = static_cast<int>(-best / 60);
  return kOk;
}

int posixRemoveFolder(const std::string& path) {
  return ::rmdir(path.c_str()) == 0 ? kOk : lastError();
}

int posixFreeSpace(const std::string& path, std::uint64_t* bytes) {
  *bytes = 0;
  struct statvfs vfs;
  if (::statvfs(path.c_str(), &vfs) != 0) return lastError();
  *bytes = static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
  return kOk;
}

int posixLogicalDrives(std::vector<std::string>* roots) {
  roots->clear();
  roots->push_back("/");
  return kOk;
}

int posixSetHidden(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? kOk : lastError();
}

const OsCalls kReal = {posixOpen,
                       posixReadAt,
                       posixWrite,
                       posixSizeOf,
                       posixClose,
                       posixStat,
                       posixMakeFolder,
                       posixListFolder,
                       posixRemoveFile,
                       posixRenameFile,
                       posixUtcToLocal,
                       posixStandardBias,
                       posixRemoveFolder,
                       posixFreeSpace,
                       posixLogicalDrives,
                       posixSetHidden,
                       posixStatLink,
                       posixRenameNoReplace,
                       posixMakePrivateFolder};

}  // namespace

const OsCalls& realOsCalls() {
  return kReal;
}

OsCalls& osCalls() {
  static OsCalls current = kReal;
  return current;
}

}  // namespace qv::platform
