// Where things live: path joining with the system separator, the application-data folder,
// the program's own folder and the default backup root.
#pragma once

#include <string>
#include <string_view>

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

// Where the backup program keeps device backups: application data + the folders
// Apple Computer, MobileSync, backup on Windows; ~/Library/Application Support/MobileSync/Backup
// on macOS; empty elsewhere (there is no default; the user names the root).
std::string defaultBackupRoot();

}  // namespace qv::platform
