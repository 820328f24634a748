// The device description in a backup's Info.plist, read line by line.
//
// Info.plist is an XML property list written one element per line:
//     <key>Display Name</key>
//     <string>Anna's iPhone</string>
// A line holds a key when the key's element occurs anywhere in it; its value is always the next
// line. Only five keys are read; everything else (the often large "Applications" dictionary and
// the iTunes data after "Serial Number") is never looked at:
//
//   key line contains              next line gives
//   <key>Display Name</key>        displayName: after "<string>", cut at "</string>"
//   <key>Last Backup Date</key>    lastBackupDate: after "<date>", cut at "</date>", ISO 8601 UTC
//   <key>Phone Number</key>        phoneNumber
//   <key>Product Version</key>     productVersion; versionAbove11: its leading digits > 11
//   <key>Serial Number</key>       serialNumber; reading stops after this value
//
// Keys are tested in this order and a line matches one key at most. A key whose next line is
// missing or lacks the opening tag leaves its field unchanged.
//
// Some backup programs write Info.plist as a binary property list ("bplist00"): the same five
// keys are then read from its top dictionary (strings, and the date as seconds since
// 2001-01-01 UTC) with the bounded reader of backup/binary_plist.h.
#pragma once

#include <cstddef>
#include <string>

#include "backup/backup_info.h"
#include "platform/file.h"

namespace qv::backup {

// Where a LineReader takes its bytes from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes into buf; 0 at the end (a read error also ends the stream).
  virtual std::size_t read(char* buf, std::size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const char* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t read(char* buf, std::size_t n) override;

 private:
  const char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(platform::File* file) : file_(file) {}
  std::size_t read(char* buf, std::size_t n) override;

 private:
  platform::File* file_;
  std::uint64_t offset_ = 0;
};

// Splits a stream into lines the way a C text reader with a 2048-byte buffer does: the line end
// (LF or CR LF) is dropped, and a longer line comes back in pieces of at most 2047 bytes, so
// memory stays bounded whatever the file holds.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 2047;

  explicit LineReader(ByteSource* source) : source_(source) {}
  bool next(std::string* line);

 private:
  bool fill();

  ByteSource* source_;
  char buf_[16384];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
};

// Applies the key rules above to the lines, writing into info; fields whose keys are absent
// keep what info held.
void applyInfoPlistKeys(LineReader* lines, BackupInfo* info);

// The largest binary Info.plist read (it carries the apps' icons and metadata); a larger one
// leaves the record's fields empty.
constexpr std::uint64_t kMaxBinaryInfoPlist = 128u << 20;

// Whether the bytes start a binary property list.
bool isBinaryInfoPlist(std::string_view firstBytes);

// The five keys from a binary Info.plist, written into info; fields whose keys are absent (or of
// another type) keep what info held. kInvalid when the bytes are no binary property list with
// a dictionary at its top.
int applyBinaryInfoPlist(std::string_view bytes, BackupInfo* info);

// Decodes the XML character references of a plist string (&amp; &lt; &gt; &quot; &apos; and
// numeric ones); a reference that does not parse is kept as it stands.
std::string decodeXmlText(std::string_view text);

}  // namespace qv::backup
