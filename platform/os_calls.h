// The seam between the platform layer and the operating system.
//
// Every operating-system call that touches files, folders or the clock goes through the table
// returned by osCalls(). The real table is built by the platform source (os_calls_posix.cpp or
// os_calls_win.cpp); tests replace single entries (ScopedOsCalls) to produce short reads,
// "access denied", a full disk or a file that vanished between two calls, and check the code
// that comes back. All paths are UTF-8; all results are Windows-numbered codes (result.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::platform {

using NativeHandle = std::intptr_t;
constexpr NativeHandle kNoHandle = -1;

// Reads open regular files only: the open never waits (a FIFO or a device would block it, or
// give endless bytes), and anything but a regular file is refused with kInvalid after the type
// check on the open handle, so a name swapped between a check and the open cannot slip through.
enum class OpenMode {
  kRead,          // existing regular file, shared for reading
  kReadNoFollow,  // the same, refused with kErrCantResolve when the name itself is a link
  kWriteCreate,   // create or truncate
  // Create; kErrFileExists when the name is taken, by a file, a folder or a link (dangling or
  // not): a link planted at the name is never written through.
  kWriteNew,
};

struct PathInfo {
  bool exists = false;
  bool isFolder = false;
  bool isRegular = false;  // a regular file (not a folder, FIFO, device or socket)
  bool isLink = false;     // the name is a link (statLink only; stat looks through links)
  std::uint64_t size = 0;
};

// A calendar time of day, without a zone.
struct CivilTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct OsCalls {
  int (*openFile)(const std::string& path, OpenMode mode, NativeHandle* out);
  // Reads at most n bytes at offset; *got is 0 at the end of the file. May return fewer.
  int (*readAt)(NativeHandle h, std::uint64_t offset, void* buf, std::size_t n, std::size_t* got);
  // Writes at most n bytes at the current position; may write fewer.
  int (*write)(NativeHandle h, const void* buf, std::size_t n, std::size_t* put);
  int (*sizeOf)(NativeHandle h, std::uint64_t* size);
  int (*closeFile)(NativeHandle h);
  int (*stat)(const std::string& path, PathInfo* info);
  // Creates one folder level; kErrAlreadyExists when something has that name.
  int (*makeFolder)(const std::string& path);
  // Appends every entry name of the folder in the order the system gives, "." and ".." included
  // where the system lists them.
  int (*listFolder)(const std::string& path, std::vector<std::string>* names);
  int (*removeFile)(const std::string& path);
  // Renames, replacing an existing destination file.
  int (*renameFile)(const std::string& from, const std::string& to);
  // Local civil time of a UTC instant (seconds since 1970), daylight saving included.
  int (*utcToLocal)(std::int64_t utcSeconds, CivilTime* out);
  // The standard (non-daylight) bias in minutes: UTC = local + bias.
  int (*standardBias)(int* minutes);
  // Removes an empty folder.
  int (*removeFolder)(const std::string& path);
  // Total free bytes on the volume that holds the path.
  int (*freeSpace)(const std::string& path, std::uint64_t* bytes);
  // Root paths of the logical drives in the order the system lists them ("C:", "D:" with a
  // trailing separator on Windows; "/" elsewhere).
  int (*logicalDrives)(std::vector<std::string>* roots);
  // Adds the hidden attribute (Windows); nothing to do elsewhere.
  int (*setHidden)(const std::string& path);
  // stat of the name itself: a link (a symbolic link, or a reparse point on Windows) is
  // described as a link, not as what it leads to.
  int (*statLink)(const std::string& path, PathInfo* info);
  // Renames without replacing anything: kErrFileExists when the destination name is taken
  // (by a file, a folder or a link, dangling or not).
  int (*renameNoReplace)(const std::string& from, const std::string& to);
  // Creates one folder level that only the current user can enter, read or change (mode 0700;
  // on Windows a protected list granting the user alone). kErrAlreadyExists when the name is
  // taken.
  int (*makePrivateFolder)(const std::string& path);
};

OsCalls& osCalls();
const OsCalls& realOsCalls();

// Replaces the table for the life of the object, then restores what was there.
class ScopedOsCalls {
 public:
  explicit ScopedOsCalls(const OsCalls& replacement) : saved_(osCalls()) {
    osCalls() = replacement;
  }
  ~ScopedOsCalls() { osCalls() = saved_; }
  ScopedOsCalls(const ScopedOsCalls&) = delete;
  ScopedOsCalls& operator=(const ScopedOsCalls&) = delete;

 private:
  OsCalls saved_;
};

}  // namespace qv::platform
