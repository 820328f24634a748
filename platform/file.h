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

  int openRead(const std::string& path);
  int openWrite(const std::string& path);     // create or truncate
  int openWriteNew(const std::string& path);  // kErrFileExists when the name is taken
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
// Writes a whole file under a temporary name beside it, then renames it into place, so the
// final name never holds a partly written file.
int writeWholeFile(const std::string& path, const void* data, std::size_t n);

bool pathExists(const std::string& path);
bool isFile(const std::string& path);
bool isFolder(const std::string& path);
int fileSize(const std::string& path, std::uint64_t* out);

// Creates the folder and every missing parent; 0 when it already exists as a folder.
int createFolders(const std::string& path);
// Entry names of a folder in the order the system gives ("." and ".." left out).
int listFolder(const std::string& path, std::vector<std::string>* names);
int removeFile(const std::string& path);
// Removes an empty folder.
int removeFolder(const std::string& path);
int renameFile(const std::string& from, const std::string& to);

}  // namespace qv::platform
