// Where things live: path joining with the system separator, the application-data folder,
// the program's own folder and the default backup roots.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::platform {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// a + separator + b, without doubling a separator that a already ends with.
std::string joinPath(std::string_view a, std::string_view b);

// The per-user application-data folder: the roaming one on Windows, ~/Library/Application
// Support on macOS, $XDG_DATA_HOME (or ~/.local/share) elsewhere. No trailing separator.
int appDataFolder(std::string* out);

// The folder the running program lies in. No trailing separator.
int programFolder(std::string* out);

// The system's folder for temporary files: GetTempPath on Windows (its trailing separator
// kept), $TMPDIR or else /tmp elsewhere.
std::string systemTemporaryFolder();

// Where the backup programs keep device backups, in this order. On Windows: application data +
// the folders Apple Computer, MobileSync, backup (the backup program from its own installer),
// then the user's profile folder + Apple, MobileSync, Backup (the store editions and the device
// app keep them there). On macOS ~/Library/Application Support/MobileSync/Backup. Empty elsewhere
// (there is no default; the user names the root). A folder that cannot be resolved is left out;
// whether a root exists is not checked.
std::vector<std::string> defaultBackupRoots();

}  // namespace qv::platform
