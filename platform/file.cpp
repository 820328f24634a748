#include "platform/file.h"

#include <utility>

#include "platform/folders.h"
#include "platform/pending_file.h"
#include "platform/result.h"

namespace qv::platform {

File::~File() {
  close();
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, kNoHandle);
  }
  return *this;
}

int File::openRead(const std::string& path) {
  close();
  return osCalls().openFile(path, OpenMode::kRead, &handle_);
}

int File::openReadNoFollow(const std::string& path) {
  close();
  return osCalls().openFile(path, OpenMode::kReadNoFollow, &handle_);
}

int File::openWrite(const std::string& path) {
  close();
  return osCalls().openFile(path, OpenMode::kWriteCreate, &handle_);
}

int File::openWriteNew(const std::string& path) {
  close();
  return osCalls().openFile(path, OpenMode::kWriteNew, &handle_);
}

int File::readAt(std::uint64_t offset, void* buf, std::size_t n, std::size_t* got) {
  *got = 0;
  if (!isOpen()) return kErrInvalidHandle;
  auto* p = static_cast<unsigned char*>(buf);
  while (*got < n) {
    std::size_t part = 0;
    int rc = osCalls().readAt(handle_, offset + *got, p + *got, n - *got, &part);
    if (rc != 0) return rc;
    if (part == 0) break;  // end of file
    *got += part;
  }
  return kOk;
}

int File::readExactAt(std::uint64_t offset, void* buf, std::size_t n) {
  std::size_t got = 0;
  int rc = readAt(offset, buf, n, &got);
  if (rc != 0) return rc;
  return got == n ? kOk : kShortRead;
}

int File::write(const void* buf, std::size_t n) {
  if (!isOpen()) return kErrInvalidHandle;
  const auto* p = static_cast<const unsigned char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    std::size_t put = 0;
    int rc = osCalls().write(handle_, p + done, n - done, &put);
    if (rc != 0) return rc;
    if (put == 0) return kErrWriteFault;  // no progress: never loop for ever
    done += put;
  }
  return kOk;
}

int File::size(std::uint64_t* out) {
  *out = 0;
  if (!isOpen()) return kErrInvalidHandle;
  return osCalls().sizeOf(handle_, out);
}

int File::close() {
  if (!isOpen()) return kOk;
  const NativeHandle h = std::exchange(handle_, kNoHandle);
  return osCalls().closeFile(h);
}

int readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string* out) {
  out->clear();
  File f;
  int rc = f.openRead(path);
  if (rc != 0) return rc;
  std::uint64_t size = 0;
  rc = f.size(&size);
  if (rc != 0) return rc;
  if (size > maxBytes) return kInvalid;
  std::string bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return kErrNotEnoughMemory;
  }
  std::size_t got = 0;
  rc = f.readAt(0, bytes.data(), bytes.size(), &got);
  if (rc != 0) return rc;
  bytes.resize(got);  // the file may have shrunk since its size was taken
  *out = std::move(bytes);
  return kOk;
}

int writeWholeFile(const std::string& path, const void* data, std::size_t n) {
  PendingFile f;
  int rc = f.create(path);
  if (rc == kOk) rc = f.write(data, n);
  if (rc == kOk) rc = f.publishReplacing();
  return rc;
}

bool pathExists(const std::string& path) {
  PathInfo info;
  return osCalls().stat(path, &info) == 0 && info.exists;
}

bool isFile(const std::string& path) {
  PathInfo info;
  return osCalls().stat(path, &info) == 0 && info.exists && info.isRegular;
}

bool isFolder(const std::string& path) {
  PathInfo info;
  return osCalls().stat(path, &info) == 0 && info.exists && info.isFolder;
}

bool isLink(const std::string& path) {
  PathInfo info;
  return osCalls().statLink(path, &info) == 0 && info.exists && info.isLink;
}

int fileSize(const std::string& path, std::uint64_t* out) {
  *out = 0;
  PathInfo info;
  int rc = osCalls().stat(path, &info);
  if (rc != 0) return rc;
  if (!info.exists) return kErrFileNotFound;
  if (info.isFolder) return kErrAccessDenied;  // what opening a folder as a file reports
  if (!info.isRegular) return kInvalid;
  *out = info.size;
  return kOk;
}

namespace {

bool isSeparator(char c) {
  return c == '/' || c == kSep;
}

// Length of the part of the path that is never created: "/", "C:\", "\\server\share\".
std::size_t rootLength(const std::string& path) {
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    std::size_t seps = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (isSeparator(path[i]) && ++seps == 2) return i + 1;
    }
    return path.size();
  }
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
  return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

}  // namespace

int createFolders(const std::string& path) {
  std::string p = path;
  while (p.size() > rootLength(p) && isSeparator(p.back())) p.pop_back();
  if (p.empty()) return kErrPathNotFound;
  const std::size_t root = rootLength(p);
  for (std::size_t i = root; i <= p.size(); ++i) {
    if (i != p.size() && !isSeparator(p[i])) continue;
    const std::string prefix = p.substr(0, i);
    if (prefix.size() <= root) continue;
    PathInfo info;
    int rc = osCalls().stat(prefix, &info);
    if (rc == 0 && info.exists) {
      if (!info.isFolder) return kErrAlreadyExists;
      continue;
    }
    rc = osCalls().makeFolder(prefix);
    if (rc == kErrAlreadyExists && isFolder(prefix)) continue;  // made by someone else meanwhile
    if (rc != 0) return rc;
  }
  return kOk;
}

namespace {

// One level below the root: a folder of its own, made when missing. A link, even to a folder,
// is refused, also when it appears between making the level and looking at it.
int ownFolderLevel(const std::string& path) {
  PathInfo info;
  int rc = osCalls().statLink(path, &info);
  if (rc != kOk) return rc;
  if (!info.exists) {
    rc = osCalls().makeFolder(path);
    if (rc != kOk && rc != kErrAlreadyExists) return rc;
    rc = osCalls().statLink(path, &info);
    if (rc != kOk) return rc;
  }
  if (info.isLink) return kErrCantResolve;
  return info.isFolder ? kOk : kErrAlreadyExists;
}

}  // namespace

int createFoldersBelow(const std::string& root, const std::string& relative) {
  std::string path = root;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find_first_of("/\\", start);
    if (end == std::string::npos) end = relative.size();
    if (end > start) {
      path = joinPath(path, std::string_view(relative).substr(start, end - start));
      const int rc = ownFolderLevel(path);
      if (rc != kOk) return rc;
    }
    start = end + 1;
  }
  return kOk;
}

int createPrivateFolder(const std::string& path) {
  return osCalls().makePrivateFolder(path);
}

int listFolder(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  std::vector<std::string> all;
  int rc = osCalls().listFolder(path, &all);
  if (rc != 0) return rc;
  for (std::string& name : all) {
    if (name == "." || name == "..") continue;
    names->push_back(std::move(name));
  }
  return kOk;
}

int removeFile(const std::string& path) {
  return osCalls().removeFile(path);
}

int removeFolder(const std::string& path) {
  return osCalls().removeFolder(path);
}

int removeTree(const std::string& path) {
  PathInfo info;
  int rc = osCalls().statLink(path, &info);
  if (rc != kOk || !info.exists) return rc;
  // A link to a folder is a folder entry on Windows and is removed as one; either way only the
  // link goes.
  if (!info.isFolder) return removeFile(path);
  if (info.isLink) return removeFolder(path);
  std::vector<std::string> names;
  rc = listFolder(path, &names);
  for (const std::string& name : names) {
    const int removed = removeTree(joinPath(path, name));
    if (rc == kOk) rc = removed;
  }
  const int removed = removeFolder(path);
  return rc != kOk ? rc : removed;
}

int renameFile(const std::string& from, const std::string& to) {
  return osCalls().renameFile(from, to);
}

int renameNoReplace(const std::string& from, const std::string& to) {
  return osCalls().renameNoReplace(from, to);
}

}  // namespace qv::platform
