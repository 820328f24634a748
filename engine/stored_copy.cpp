// Copies of stored files: the preview copy (one of three fixed files in the work folder whose
// extension tells the viewer what it is) and the export copy to a destination the job chose.
// Both copy in pieces of 64 KiB through one buffer, each piece read whole at its offset.
//
// A stored file is read only where it lies: not through a link, nor through a linked
// two-character folder (backup/stored_path.h, storedFileInPlace).
//
// The export copy is a PendingFile (platform/pending_file.h): written under a hidden random
// name beside the destination and published only when complete, without replacing anything
// (the next numbered name when the destination's name was taken meanwhile, by another job or
// by a link). A failed read or write, a stop, or a failed publish removes what was written: no
// partial or empty file is ever left under a name that looks recovered.
//
// Sizes are 64-bit throughout: a stored video of 4 GiB or more is copied whole and its percent
// runs from 0 to 100 (its low 32 bits alone would stop the copy early, or divide by zero).
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "backup/stored_path.h"
#include "engine/file_types.h"
#include "engine/folder_of.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/pending_file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

constexpr std::size_t kPieceBytes = 65536;

// done x 100 / total, without overflowing for the largest totals.
int percentOf(std::uint64_t done, std::uint64_t total) {
  if (total == 0 || done >= total) return 100;
  if (total <= UINT64_MAX / 100) return static_cast<int>(done * 100 / total);
  return static_cast<int>(done / (total / 100));
}

// Copies every piece of `in` to `out`. After each piece `onPiece(copied, code)` is asked whether
// to go on (0) or stop (its answer). A short read ends with 30, a failed write with the system's
// code (onPiece is told of it first); both end the copy whatever onPiece answers.
template <typename Out, typename OnPiece>
int copyPieces(platform::File& in, std::uint64_t size, Out& out, OnPiece onPiece) {
  std::vector<std::uint8_t> buffer(kPieceBytes);
  std::uint64_t copied = 0;
  while (copied < size) {
    const std::size_t n =
        size - copied < kPieceBytes ? static_cast<std::size_t>(size - copied) : kPieceBytes;
    const int read = in.readExactAt(copied, buffer.data(), n);
    if (read != kOk) return read;
    const int wrote = out.write(buffer.data(), n);
    if (wrote != kOk) {
      onPiece(copied, wrote);
      return wrote;
    }
    copied += n;
    if (int answer = onPiece(copied, kOk)) return answer;
  }
  return kOk;
}

const char* previewNameOf(PreviewKind kind) {
  switch (kind) {
    case PreviewKind::kPicture:
      return kPicturePreviewName;
    case PreviewKind::kSound:
      return kSoundPreviewName;
    case PreviewKind::kVideo:
      return kVideoPreviewName;
    case PreviewKind::kNone:
      break;
  }
  return nullptr;
}

}  // namespace

std::string RecoveryEngine::previewFilePath(const char* name) const {
  return platform::joinPath(workFolder_, name);
}

int RecoveryEngine::openStoredFile(const std::string& path, platform::File* file) const {
  if (!backup::storedFileInPlace(backupFolder_, path)) return kInvalid;
  return file->openReadNoFollow(path) == kOk ? kOk : kInvalid;
}

int RecoveryEngine::makePreviewFile(const std::wstring& storedPath, std::wstring* previewPath,
                                    PreviewCallback callback, void* user) {
  previewPath->clear();
  auto run = [&]() -> int {
    const std::string source = platform::toUtf8(storedPath);
    DetectionCounter counter;
    std::wstring detection;
    if (detectFileType(source, &counter, &detection) != kOk || detection.empty()) return kInvalid;
    const char* name = previewNameOf(previewKindOf(extensionFromDetection(detection)));
    if (name == nullptr) return kInvalid;
    const std::string target = previewFilePath(name);
    *previewPath = platform::toWide(target);

    platform::File in;
    platform::File out;
    if (openStoredFile(source, &in) != kOk) return kInvalid;
    const bool existed = platform::pathExists(target);
    if (out.openWrite(target) != kOk) return kInvalid;
    if (!existed) platform::osCalls().setHidden(target);
    std::uint64_t size = 0;
    int rc = in.size(&size);
    if (rc != kOk) return rc;
    rc = copyPieces(in, size, out, [&](std::uint64_t copied, int code) {
      if (code != kOk || callback == nullptr) return 0;
      return callback(user, percentOf(copied, size));
    });
    const int closed = out.close();
    return rc != kOk ? rc : closed;
  };
  const int result = run();
  if (callback != nullptr) callback(user, 100);
  return result;
}

int RecoveryEngine::copyStoredFile(const std::wstring& source, const std::wstring& destination,
                                   CopyCallback callback, void* user) {
  const std::string target = platform::toUtf8(destination);
  // The last report: 100 with the result and the name the file was published under (the
  // destination when nothing was published).
  std::string published;
  auto finish = [&](int code) {
    if (callback != nullptr) {
      const std::wstring name = published.empty() ? destination : platform::toWide(published);
      callback(user, 100, code, name.c_str());
    }
    return code;
  };
  const std::string folder = folderOf(target);
  if (!folder.empty()) {
    // The system's own code (a read-only or full disk, access denied) says what went wrong.
    const int made = platform::createFolders(folder);
    if (made != kOk) return finish(made);
  }
  platform::File in;
  std::uint64_t size = 0;
  if (openStoredFile(platform::toUtf8(source), &in) != kOk || in.size(&size) != kOk)
    return finish(kInvalid);
  platform::PendingFile out;
  int result = out.create(target);
  if (result != kOk) return finish(result);

  // A failed write is the copy's result whatever the callback answers: carrying on would hand
  // the job a file with a hole in it as a finished copy. Pieces report at most 99: only the
  // published file is finished.
  result = copyPieces(in, size, out, [&](std::uint64_t copied, int code) {
    if (callback == nullptr) return code;
    const int percent = std::min(percentOf(copied, size), 99);
    const int answer = callback(user, percent, code, destination.c_str());
    return code != kOk ? code : answer;
  });
  if (result == kOk) {
    result = out.publish(&published);
  } else {
    out.discard();
  }
  return finish(result);
}

int RecoveryEngine::removeTemporaryFiles() {
  removeDecryptionOutput();
  if (workFolder_.empty()) return kOk;
  for (const char* name : {kPicturePreviewName, kSoundPreviewName, kVideoPreviewName})
    platform::removeFile(previewFilePath(name));
  return kOk;
}

}  // namespace qv::engine
