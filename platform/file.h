// Files and folders by UTF-8 path, through the operating-system seam (os_calls.h).
// Every function returns a result code (result.h); out-parameters are cleared first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_calls.h"

namespace qv::platform {

// An open file, closed when the object goes.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Regular files only (os_calls.h): anything else is refused without waiting.
  int openRead(const std::string& path);
  // The same, refused with kErrCantResolve when the name is a link: for files that must lie
  // where their name says, such as the stored files of a backup.
  int openReadNoFollow(const std::string& path);
  int openWrite(const std::string& path);  // create or truncate
  // kErrFileExists when the name is taken, by anything, a dangling link included.
  int openWriteNew(const std::string& path);
  bool isOpen() const { return handle_ != kNoHandle; }

  // Reads up to n bytes at offset, retrying short reads; *got < n only at the end of the file.
  int readAt(std::uint64_t offset, void* buf, std::size_t n, std::size_t* got);
  // Reads exactly n bytes at offset, or returns kShortRead.
  int readExactAt(std::uint64_t offset, void* buf, std::size_t n);
  // Writes all n bytes at the current position, or returns the failure.
  int write(const void* buf, std::size_t n);
  int size(std::uint64_t* out);
  // Closes now and reports what closing said (a delayed write error shows here).
  int close();

 private:
  NativeHandle handle_ = kNoHandle;
};

// Reads a whole file. A file larger than maxBytes is refused with kInvalid before anything is
// allocated.
int readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string* out);
// Writes a whole file under a temporary name beside it (pending_file.h), then renames it into
// place, replacing what was there, so the final name never holds a partly written file.
int writeWholeFile(const std::string& path, const void* data, std::size_t n);

bool pathExists(const std::string& path);
// A regular file, looked at through links (a FIFO or a device is not a file here).
bool isFile(const std::string& path);
bool isFolder(const std::string& path);
// Whether the name itself is a link (a symbolic link, or a reparse point on Windows).
bool isLink(const std::string& path);
// The size of a regular file; kInvalid for anything else that is there.
int fileSize(const std::string& path, std::uint64_t* out);

// Creates the folder and every missing parent; 0 when it already exists as a folder.
int createFolders(const std::string& path);
// Creates the folders of `relative` (separated by either separator) below root, which must
// exist. A level that is already there must be a folder of its own, not a link to one
// (kErrCantResolve): what is written below the root stays below it.
int createFoldersBelow(const std::string& root, const std::string& relative);
// Creates one folder level that only the current user may use (os_calls.h).
int createPrivateFolder(const std::string& path);
// Entry names of a folder in the order the system gives ("." and ".." left out).
int listFolder(const std::string& path, std::vector<std::string>* names);
int removeFile(const std::string& path);
// Removes an empty folder.
int removeFolder(const std::string& path);
// Removes a file, or a folder with everything in it. Links are removed, never followed: what
// a link inside leads to is left alone. The first failure, after removing what could be.
int removeTree(const std::string& path);
// Renames, replacing an existing destination file.
int renameFile(const std::string& from, const std::string& to);
// Renames only when the destination name is free; kErrFileExists otherwise.
int renameNoReplace(const std::string& from, const std::string& to);

}  // namespace qv::platform
