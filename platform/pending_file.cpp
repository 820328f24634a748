#include "platform/pending_file.h"

#include <cstring>

#include "platform/folders.h"
#include "platform/random.h"
#include "platform/result.h"

namespace qv::platform {
namespace {

constexpr std::size_t kPiece = 65536;
// Tries of a fresh temporary name before giving up (a clash of 64 random bits is not expected
// once, so a run of them means something else holds the folder's names).
constexpr int kTemporaryTries = 8;

struct SplitName {
  std::string stem;  // folder and name up to the extension
  std::string extension;
};

SplitName splitName(const std::string& path) {
  const std::size_t sep = path.find_last_of("/\\");
  const std::size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {path, {}};
  return {path.substr(0, dot), path.substr(dot)};
}

std::string folderPart(const std::string& path) {
  const std::size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

}  // namespace

std::string numberedPath(const std::string& path, int n) {
  const SplitName split = splitName(path);
  return split.stem + "(" + std::to_string(n) + ")" + split.extension;
}

std::string nextNumberedPath(const std::string& path) {
  SplitName split = splitName(path);
  const std::string& stem = split.stem;
  // A stem that ends in "(n)", n a number without leading zeros, counts on from n.
  if (stem.size() >= 3 && stem.back() == ')') {
    const std::size_t open = stem.rfind('(');
    const std::size_t digits = open == std::string::npos ? 0 : stem.size() - open - 2;
    if (digits > 0 && digits <= 6 && stem[open + 1] != '0' &&
        stem.find_first_not_of("0123456789", open + 1) == stem.size() - 1) {
      const int n = std::stoi(stem.substr(open + 1, digits));
      return stem.substr(0, open) + "(" + std::to_string(n + 1) + ")" + split.extension;
    }
  }
  return numberedPath(path, 1);
}

PendingFile::~PendingFile() {
  discard();
}

int PendingFile::create(const std::string& finalPath) {
  discard();
  final_ = finalPath;
  int rc = kErrFileExists;
  for (int i = 0; i < kTemporaryTries && rc == kErrFileExists; ++i) {
    std::string random;
    rc = randomHex(8, &random);
    if (rc != kOk) break;
    temp_ = folderPart(finalPath) + "." + random + ".part";
    rc = file_.openWriteNew(temp_);
  }
  if (rc != kOk) {
    temp_.clear();
    return rc;
  }
  buffer_.reserve(kPiece);
  return kOk;
}

int PendingFile::flush() {
  if (buffer_.empty()) return kOk;
  const int rc = file_.write(buffer_.data(), buffer_.size());
  buffer_.clear();
  return rc;
}

int PendingFile::write(const void* data, std::size_t n) {
  if (!file_.isOpen()) return kErrInvalidHandle;
  if (buffer_.size() + n <= kPiece) {
    buffer_.append(static_cast<const char*>(data), n);
    return kOk;
  }
  int rc = flush();
  if (rc != kOk) return rc;
  if (n >= kPiece) return file_.write(data, n);  // a whole piece goes straight through
  buffer_.append(static_cast<const char*>(data), n);
  return kOk;
}

int PendingFile::finishWriting() {
  if (!file_.isOpen()) return kErrInvalidHandle;
  const int rc = flush();
  const int closed = file_.close();  // a delayed write error shows here
  return rc != kOk ? rc : closed;
}

int PendingFile::publish(std::string* published) {
  published->clear();
  int rc = finishWriting();
  std::string name = final_;
  for (int tries = 0; rc == kOk; ++tries) {
    rc = renameNoReplace(temp_, name);
    if (rc == kOk) {
      temp_.clear();
      *published = name;
      return kOk;
    }
    if (rc != kErrFileExists || tries >= kMaxNumberedNames) break;
    name = nextNumberedPath(name);
    rc = kOk;
  }
  discard();
  return rc;
}

int PendingFile::publishReplacing() {
  int rc = finishWriting();
  if (rc == kOk) rc = renameFile(temp_, final_);
  if (rc == kOk) {
    temp_.clear();
    return kOk;
  }
  discard();
  return rc;
}

void PendingFile::discard() {
  file_.close();
  buffer_.clear();
  if (!temp_.empty()) removeFile(temp_);
  temp_.clear();
}

}  // namespace qv::platform
