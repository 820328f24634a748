// Copies of stored files: the preview copy (one of three fixed files in the work folder whose
// extension tells the viewer what it is) and the export copy to a destination the job chose.
// Both copy in pieces of 64 KiB through one buffer, each piece read whole at its offset.
//
// Sizes are 64-bit throughout: a stored video of 4 GiB or more is copied whole and its percent
// runs from 0 to 100 (its low 32 bits alone would stop the copy early, or divide by zero).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_types.h"
#include "engine/folder_of.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
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
template <typename OnPiece>
int copyPieces(platform::File& in, std::uint64_t size, platform::File& out, OnPiece onPiece) {
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
    if (in.openRead(source) != kOk) return kInvalid;
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
  const std::string folder = folderOf(target);
  if (!folder.empty()) platform::createFolders(folder);

  platform::File in;
  platform::File out;
  std::uint64_t size = 0;
  if (in.openRead(platform::toUtf8(source)) != kOk || in.size(&size) != kOk ||
      out.openWrite(target) != kOk) {
    if (callback != nullptr) callback(user, 100, kInvalid, destination.c_str());
    return kInvalid;
  }
  if (size == 0) return out.close();

  // A failed write is the copy's result whatever the callback answers: carrying on would hand
  // the job a file with a hole in it as a finished copy.
  int result = copyPieces(in, size, out, [&](std::uint64_t copied, int code) {
    if (callback == nullptr) return code;
    const int answer = callback(user, percentOf(copied, size), code, destination.c_str());
    return code != kOk ? code : answer;
  });
  const int closed = out.close();
  if (result == kOk) result = closed;
  if (result != kOk && callback != nullptr) callback(user, 100, result, destination.c_str());
  return result;
}

int RecoveryEngine::removeTemporaryFiles() {
  removeDecryptionOutput();
  if (workFolder_.empty()) return kOk;
  for (const char* name : {kPicturePreviewName, kSoundPreviewName, kVideoPreviewName})
    platform::removeFile(previewFilePath(name));
  return kOk;
}

}  // namespace qv::engine
