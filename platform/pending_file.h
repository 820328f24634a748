// Files that appear under their final name only when they are complete.
//
// A PendingFile is written under a temporary name in its final folder, "." + 16 random hex
// digits + ".part", created exclusively without following a link: a file or link planted at
// any name is never written through, and the name cannot be known beforehand. Writes are
// gathered into 64 KiB pieces. publish() renames the finished file into place; until then, and
// when it is discarded (a failed write, a cancel, the object going away unpublished), nothing
// exists under the final name. A process that is killed leaves only the hidden temporary file.
//
// publish() replaces nothing: when the final name is taken (by a file, a folder or a link, even
// a dangling one, perhaps written by another job a moment before), the file takes the next
// numbered name, "IMG.JPG" -> "IMG(1).JPG", "IMG(3).JPG" -> "IMG(4).JPG", each claimed by a
// rename that fails on a taken name, so two writers never end up with one name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace qv::platform {

// path with "(n)" before the extension of its last component: the extension runs from the
// last "." of the name on (a name that starts with its only dot, ".profile", is all extension).
std::string numberedPath(const std::string& path, int n);
// The name after this one in that numbering: "IMG.JPG" -> "IMG(1).JPG", "IMG(1).JPG" ->
// "IMG(2).JPG".
std::string nextNumberedPath(const std::string& path);

// Numbered names tried by publish() before it gives up with kErrFileExists.
constexpr int kMaxNumberedNames = 1000000;

class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file beside finalPath (whose folder must exist).
  int create(const std::string& finalPath);
  int write(const void* data, std::size_t n);
  int write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
  // Writes what is gathered, closes, and renames into the final name or the next free numbered
  // one, named in *published. Any failure discards the file.
  int publish(std::string* published);
  // The same, replacing a file under the final name (for rewriting the program's own files).
  int publishReplacing();
  // Removes the temporary file; nothing is published.
  void discard();

  bool isOpen() const { return file_.isOpen(); }
  const std::string& finalPath() const { return final_; }
  const std::string& temporaryPath() const { return temp_; }

 private:
  int flush();
  int finishWriting();

  File file_;
  std::string final_;
  std::string temp_;
  std::string buffer_;
};

}  // namespace qv::platform
