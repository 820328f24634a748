// The real operating-system table on Windows: wide-character APIs throughout, so UTF-8 paths
// with any characters open, whatever the system code page. Results are GetLastError() values.
#include <windows.h>
// windows.h first: the headers below build on it.
#include <sddl.h>

#include <vector>

#include "platform/os_calls.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::platform {
namespace {

std::wstring widePath(const std::string& path) {
  return toWide(path);
}

HANDLE asHandle(NativeHandle h) {
  return reinterpret_cast<HANDLE>(h);
}

int lastError() {
  const DWORD e = GetLastError();
  return e == 0 ? static_cast<int>(kErrReadFault) : static_cast<int>(e);
}

// The type check of a file opened for reading: only a file on a disk is read (a pipe or a
// device would block or never end), and with kReadNoFollow a reparse point (a link or a
// junction) opened as itself is refused.
int checkReadable(HANDLE h, OpenMode mode) {
  if (GetFileType(h) != FILE_TYPE_DISK) return kInvalid;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return lastError();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kErrAccessDenied;
  if (mode == OpenMode::kReadNoFollow && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return kErrCantResolve;
  return kOk;
}

int winOpen(const std::string& path, OpenMode mode, NativeHandle* out) {
  *out = kNoHandle;
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
    case OpenMode::kRead:
      break;
    case OpenMode::kReadNoFollow:
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;
      break;
    case OpenMode::kWriteCreate:
      access = GENERIC_WRITE;
      share = FILE_SHARE_READ;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::kWriteNew:
      access = GENERIC_WRITE;
      share = FILE_SHARE_READ;
      disposition = CREATE_NEW;  // fails on any taken name, a link included
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;
      break;
  }
  HANDLE h =
      CreateFileW(widePath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    if (mode == OpenMode::kWriteNew && (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS))
      return kErrFileExists;
    return e == 0 ? static_cast<int>(kErrReadFault) : static_cast<int>(e);
  }
  if (mode == OpenMode::kRead || mode == OpenMode::kReadNoFollow) {
    const int rc = checkReadable(h, mode);
    if (rc != kOk) {
      CloseHandle(h);
      return rc;
    }
  }
  *out = reinterpret_cast<NativeHandle>(h);
  return kOk;
}

int winReadAt(NativeHandle h, std::uint64_t offset, void* buf, std::size_t n, std::size_t* got) {
  *got = 0;
  const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!ReadFile(asHandle(h), buf, chunk, &read, &ov)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return kOk;
    return lastError();
  }
  *got = read;
  return kOk;
}

int winWrite(NativeHandle h, const void* buf, std::size_t n, std::size_t* put) {
  *put = 0;
  const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
  DWORD written = 0;
  if (!WriteFile(asHandle(h), buf, chunk, &written, nullptr)) return lastError();
  *put = written;
  return kOk;
}

int winSizeOf(NativeHandle h, std::uint64_t* size) {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(asHandle(h), &li)) return lastError();
  *size = static_cast<std::uint64_t>(li.QuadPart);
  return kOk;
}

int winClose(NativeHandle h) {
  return CloseHandle(asHandle(h)) ? kOk : lastError();
}

int winStat(const std::string& path, PathInfo* info) {
  *info = PathInfo{};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME ||
        e == ERROR_BAD_NETPATH || e == ERROR_DIRECTORY) {
      return kOk;
    }
    return static_cast<int>(e);
  }
  info->exists = true;
  info->isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info->isRegular = !info->isFolder && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  info->isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (info->isRegular) {
    info->size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return kOk;
}

// GetFileAttributesEx describes a reparse point itself, so the one call serves both: stat
// answers for the name as a whole, statLink adds whether it is a link.
int winStatLink(const std::string& path, PathInfo* info) {
  return winStat(path, info);
}

int winMakeFolder(const std::string& path) {
  return CreateDirectoryW(widePath(path).c_str(), nullptr) ? kOk : lastError();
}

// The current user's security id as text ("S-1-5-21-..."), for a list that grants that user
// alone.
int currentUserSid(std::wstring* sid) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return lastError();
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size == 0 ? 1 : size);
  int rc = kOk;
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    rc = lastError();
  } else {
    wchar_t* text = nullptr;
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    if (!ConvertSidToStringSidW(user->User.Sid, &text)) {
      rc = lastError();
    } else {
      *sid = text;
      LocalFree(text);
    }
  }
  CloseHandle(token);
  return rc;
}

int winMakePrivateFolder(const std::string& path) {
  std::wstring sid;
  int rc = currentUserSid(&sid);
  if (rc != kOk) return rc;
  // Protected (no inherited entries), full control for the user, inherited by what is made
  // inside: no other account can list the folder or open what it holds.
  const std::wstring sddl = L"D:P(A;OICI;FA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return lastError();
  SECURITY_ATTRIBUTES sa{sizeof sa, descriptor, FALSE};
  rc = CreateDirectoryW(widePath(path).c_str(), &sa) ? kOk : lastError();
  LocalFree(descriptor);
  return rc;
}

int winListFolder(const std::string& path, std::vector<std::string>* names) {
  std::wstring pattern = widePath(path);
  pattern += L"\\*.*";
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND ? kOk : static_cast<int>(e);  // an empty folder
  }
  do {
    names->push_back(toUtf8(data.cFileName));
  } while (FindNextFileW(find, &data));
  const DWORD e = GetLastError();
  FindClose(find);
  return e == ERROR_NO_MORE_FILES ? kOk : static_cast<int>(e);
}

int winRemoveFile(const std::string& path) {
  return DeleteFileW(widePath(path).c_str()) ? kOk : lastError();
}

int winRenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)
             ? kOk
             : lastError();
}

int winRenameNoReplace(const std::string& from, const std::string& to) {
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), 0)) return kOk;
  const DWORD e = GetLastError();
  if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return kErrFileExists;
  return e == 0 ? static_cast<int>(kErrReadFault) : static_cast<int>(e);
}

// FILETIME counts 100-nanosecond steps from 1601-01-01; Unix seconds start 11644473600 s later.
constexpr std::int64_t kUnixToFiletimeSeconds = 11644473600LL;

int winUtcToLocal(std::int64_t utcSeconds, CivilTime* out) {
  const std::int64_t ticks = (utcSeconds + kUnixToFiletimeSeconds) * 10000000LL;
  if (ticks < 0) return kInvalid;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&ft, &utc)) return lastError();
  // Uses the rule of that date (daylight saving included), not the rule of today.
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return lastError();
  out->year = local.wYear;
  out->month = local.wMonth;
  out->day = local.wDay;
  out->hour = local.wHour;
  out->minute = local.wMinute;
  out->second = local.wSecond;
  return kOk;
}

int winStandardBias(int* minutes) {
  TIME_ZONE_INFORMATION tzi;
  if (GetTimeZoneInformation(&tzi) == TIME_ZONE_ID_INVALID) return lastError();
  *minutes = static_cast<int>(tzi.Bias + tzi.StandardBias);
  return kOk;
}

int winRemoveFolder(const std::string& path) {
  return RemoveDirectoryW(widePath(path).c_str()) ? kOk : lastError();
}

int winFreeSpace(const std::string& path, std::uint64_t* bytes) {
  *bytes = 0;
  ULARGE_INTEGER available, total, totalFree;
  if (!GetDiskFreeSpaceExW(widePath(path).c_str(), &available, &total, &totalFree)) {
    return lastError();
  }
  *bytes = totalFree.QuadPart;
  return kOk;
}

int winLogicalDrives(std::vector<std::string>* roots) {
  roots->clear();
  wchar_t buf[512];
  const DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(sizeof buf / sizeof buf[0]), buf);
  if (n == 0 || n >= sizeof buf / sizeof buf[0]) return lastError();
  for (const wchar_t* p = buf; *p != L'\0'; p += wcslen(p) + 1) roots->push_back(toUtf8(p));
  return kOk;
}

int winSetHidden(const std::string& path) {
  const std::wstring w = widePath(path);
  const DWORD attrs = GetFileAttributesW(w.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return lastError();
  return SetFileAttributesW(w.c_str(), attrs | FILE_ATTRIBUTE_HIDDEN) ? kOk : lastError();
}

const OsCalls kReal = {
    winOpen,       winReadAt,       winWrite,           winSizeOf,           winClose,
    winStat,       winMakeFolder,   winListFolder,      winRemoveFile,       winRenameFile,
    winUtcToLocal, winStandardBias, winRemoveFolder,    winFreeSpace,        winLogicalDrives,
    winSetHidden,  winStatLink,     winRenameNoReplace, winMakePrivateFolder};

}  // namespace

const OsCalls& realOsCalls() {
  return kReal;
}

OsCalls& osCalls() {
  static OsCalls current = kReal;
  return current;
}

}  // namespace qv::platform
