// Result codes used at every boundary between subsystems.
//
// Numbers follow Windows' numbering on every platform: the POSIX layer maps errno values to the
// Windows number (ENOENT becomes 2), so a code means the same thing wherever it was produced.
// Codes not named here are the operating system's or the SQLite library's, passed through.
#pragma once

namespace qv {

constexpr int kOk = 0;
constexpr int kCancelled = 2;          // the progress callback asked to stop
constexpr int kSourceFailed = -1;      // a recovery source could not start
constexpr int kWrongPassword = -110;   // the backup's keybag did not unlock
constexpr int kInvalid = 87;           // missing file, file not what it should be, failed call
constexpr int kShortRead = 30;         // fewer bytes than the format promised
constexpr int kQueryFailed = 1006;     // a manifest or table query failed
constexpr int kMbdbOpenFailed = 6009;  // "Manifest.mbdb" could not be opened

// System codes (Windows numbering) that the platform layer produces.
constexpr int kErrFileNotFound = 2;
constexpr int kErrPathNotFound = 3;
constexpr int kErrTooManyOpenFiles = 4;
constexpr int kErrAccessDenied = 5;
constexpr int kErrInvalidHandle = 6;
constexpr int kErrNotEnoughMemory = 8;
constexpr int kErrWriteFault = 29;
constexpr int kErrReadFault = 30;
constexpr int kErrSharingViolation = 32;
constexpr int kErrHandleEof = 38;
constexpr int kErrNotSupported = 50;
constexpr int kErrFileExists = 80;
constexpr int kErrDiskFull = 112;
constexpr int kErrInvalidName = 123;
constexpr int kErrDirNotEmpty = 145;
constexpr int kErrBusy = 170;
constexpr int kErrAlreadyExists = 183;
constexpr int kErrFilenameTooLong = 206;
constexpr int kErrDirectory = 267;     // "The directory name is invalid."
constexpr int kErrCantResolve = 1921;  // a link where a file or folder of our own must be

// What the program's own codes mean (-1, -110, 87, 30, 1006, 6009 and the rest above); the
// system's text (error_text.h) says what an operating-system code means.
const char* resultName(int code);
// True for the codes the program gives itself rather than takes from the system. 2 and 30 are
// both: callers that know which one they met say so themselves.
bool isProgramResult(int code);

}  // namespace qv
