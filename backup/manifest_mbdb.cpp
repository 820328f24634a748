#include "backup/manifest_mbdb.h"

#include <algorithm>
#include <new>

#include "backup/file_id.h"
#include "platform/byte_cursor.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

constexpr std::uint16_t kAbsent = 0xFFFF;
constexpr std::uint16_t kTypeMask = 0xE000;
constexpr std::uint16_t kTypeDirectory = 0x4000;
// inode 8, user 4, group 4, three times 4 each, size 8, protection class 1
constexpr std::size_t kFixedAfterMode = 8 + 4 + 4 + 12 + 8 + 1;

// An absent string reads as empty: both mean "no value" to the index.
std::string_view readString(ByteCursor* cur) {
  std::uint16_t len = cur->be16();
  if (len == kAbsent) return {};
  return cur->bytes(len);
}

// The parts of one record the index uses.
struct Record {
  std::string_view domain;
  std::string_view path;
  std::uint16_t mode = 0;
  bool isEntry() const {
    return !domain.empty() && !path.empty() && (mode & kTypeMask) != kTypeDirectory;
  }
};

// False when the record runs past the end of the bytes: it is no entry, and nothing after it
// can be read.
bool readRecord(ByteCursor* cur, Record* r) {
  r->domain = readString(cur);
  r->path = readString(cur);
  readString(cur);  // link target
  readString(cur);  // data hash
  readString(cur);  // encryption key
  r->mode = cur->be16();
  cur->skip(kFixedAfterMode);
  unsigned properties = cur->u8();
  for (unsigned i = 0; i < properties && cur->ok(); ++i) {
    readString(cur);
    readString(cur);
  }
  return cur->ok();
}

// Where the record walk takes its bytes from: all of them in memory, or a window over a file
// that moves on piece by piece, so a manifest of any size is read in little memory. A record
// cut by the window's end gets the window widened until it fits or the file ends.
class RecordWindow {
 public:
  explicit RecordWindow(std::string_view bytes) : view_(bytes) {}
  RecordWindow(platform::File* file, std::uint64_t size) : file_(file), size_(size) {}

  std::string_view rest() const { return view_.substr(pos_); }
  void consume(std::size_t n) { pos_ += n; }
  bool atEnd() const { return pos_ == view_.size() && fileEnd_ == size_; }
  // More bytes after the window's end; false at the end of the file or when reading failed.
  bool more() {
    if (file_ == nullptr || fileEnd_ == size_) return false;
    window_.erase(0, pos_);
    pos_ = 0;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, size_ - fileEnd_));
    const std::size_t kept = window_.size();
    window_.resize(kept + want);
    status_ = file_->readExactAt(fileEnd_, window_.data() + kept, want);
    if (status_ != kOk) {
      window_.resize(kept);
      fileEnd_ = size_;  // nothing more can be read
    } else {
      fileEnd_ += want;
    }
    view_ = window_;
    return status_ == kOk;
  }
  // 0, or the code of a failed read (30 when the file shrank while being read).
  int status() const { return status_; }

 private:
  static constexpr std::size_t kPiece = 1 << 20;

  platform::File* file_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t fileEnd_ = 0;  // file offset just past the window
  std::string window_;
  std::string_view view_;
  std::size_t pos_ = 0;
  int status_ = kOk;
};

// Checks the signature and walks the records behind it, calling onEntry for each entry record;
// stops at the end or at a record cut short by the end of the bytes. 0, 87 without the
// signature, or the code of a failed read.
template <typename OnEntry>
int walkRecords(RecordWindow* w, OnEntry onEntry) {
  if (w->rest().size() < 6) w->more();
  if (w->rest().size() < 4 || w->rest().substr(0, 4) != "mbdb") {
    return w->status() != kOk ? w->status() : kInvalid;
  }
  if (w->rest().size() < 6) return kOk;  // the signature alone: no records
  w->consume(6);
  while (!w->atEnd()) {
    ByteCursor cur(w->rest());
    Record r;
    if (readRecord(&cur, &r)) {
      if (r.isEntry()) onEntry(r);
      w->consume(cur.pos());
    } else if (!w->more()) {
      break;
    }
  }
  return w->status();
}

// Two walks: the first counts entries and key bytes, so a manifest past the index's limits is
// refused before anything is allocated and the index is allocated once; the second fills it.
template <typename MakeWindow>
int readEntries(MakeWindow makeWindow, ManifestIndex* index) {
  std::size_t entries = 0;
  std::uint64_t keyBytes = 0;
  RecordWindow counting = makeWindow();
  int rc = walkRecords(&counting, [&](const Record& r) {
    ++entries;
    keyBytes += r.domain.size() + 1 + r.path.size();
  });
  if (rc != kOk) return rc;
  if (entries > kMaxManifestEntries ||
      keyBytes + std::uint64_t{entries} * kFileIdLength > kMaxManifestTextBytes)
    return kInvalid;
  index->reserve(entries, static_cast<std::size_t>(keyBytes));
  std::string fileId;
  std::string key;
  RecordWindow filling = makeWindow();
  rc = walkRecords(&filling, [&](const Record& r) {
    key.assign(r.domain);
    key.push_back('-');
    key.append(r.path);
    fileIdOf(key, &fileId);
    index->add(fileId, {key});
  });
  if (rc != kOk) index->clear();
  return rc;
}

}  // namespace

int parseManifestMbdb(std::string_view bytes, ManifestIndex* index) {
  index->clear();
  try {
    return readEntries([bytes] { return RecordWindow(bytes); }, index);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

int readManifestMbdb(const std::string& path, ManifestIndex* index) {
  index->clear();
  if (path.empty()) return kInvalid;
  platform::File file;
  if (file.openRead(path) != 0) return kMbdbOpenFailed;
  std::uint64_t size = 0;
  int rc = file.size(&size);
  if (rc != 0) return rc;
  if (size > kMaxMbdbBytes) return kInvalid;
  try {
    return readEntries([&file, size] { return RecordWindow(&file, size); }, index);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

}  // namespace qv::backup
