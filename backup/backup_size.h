// How much room a backup folder takes, for the backup list: its files and the files of its
// subfolders (the two-character folders that hold the stored files of the newer layout).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace qv::backup {

// Sums the sizes of the folder's files and of its subfolders' files. Deeper folders are not
// visited: a backup has none, and a link or junction that loops back cannot lead the walk on.
// A file that vanishes or cannot be asked for its size counts 0. `stop` (may be null) is read
// between entries. False when the folder cannot be listed or the walk was stopped; *bytes then
// holds what was summed so far.
bool backupFolderBytes(const std::string& folder, const std::atomic<int>* stop,
                       std::uint64_t* bytes);

}  // namespace qv::backup
