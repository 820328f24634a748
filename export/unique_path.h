// The unique-path rule of the output tree: a path that something already holds gets "(n)"
// before its extension, n = 1, 2, ..., until the name is free ("IMG.JPG", "IMG(1).JPG",
// "IMG(2).JPG"; platform::numberedPath). A name left by an earlier job is skipped over like one
// written by this job. The name found is a hint: the file claims it only when it is published
// (platform/pending_file.h), and takes the next number if another writer got there first.
#pragma once

#include <string>
#include <unordered_map>

namespace qv::output {

// The path itself when nothing exists there, else the first free folder + stem + "(n)" +
// extension. The extension is the text of the last component from its last "." on (a name
// that starts with its only dot, such as ".profile", is all extension). Empty when no free
// name was found within the search budget.
std::string MakeUniquePath(const std::string& path);

// The same rule for a whole job: remembers the last number given per path, so that the
// thousandth "IMG.JPG" of one job does not test the 999 names before it again.
class UniquePaths {
 public:
  std::string make(const std::string& path);

 private:
  std::unordered_map<std::string, int> next_;
};

}  // namespace qv::output
