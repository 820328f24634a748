// The decryption driver: runs the decryption tool on the current backup, turns its "Count:"
// lines into progress, and keeps the deciphered copy in the temporary folder.
#include "engine/decryption.h"

#include <algorithm>
#include <vector>

#include "backup/discovery.h"
#include "engine/recovery_engine.h"
#include "platform/disk.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/shipped_program.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

constexpr char kWrongPasswordText[] = "Wrong password";
constexpr char kCountText[] = "Count:";
constexpr std::size_t kReadChunk = 4096;
constexpr int kPollMilliseconds = 5;
// Passes of the polling loop allowed after the tool has ended, for output still in the pipe.
constexpr int kPassesAfterEnd = 100;

// The drive root with the most free bytes (the first of equals); empty when none answers.
std::string roomiestDrive() {
  std::vector<std::string> roots;
  if (platform::logicalDriveRoots(&roots) != kOk) return {};
  std::string best;
  std::uint64_t bestFree = 0;
  for (const std::string& root : roots) {
    std::uint64_t free = 0;
    if (platform::freeDiskBytes(root, &free) != kOk) continue;
    if (best.empty() || free > bestFree) {
      best = root;
      bestFree = free;
    }
  }
  return best;
}

}  // namespace

bool decryptionAvailable() {
  return true;
}

int prepareDecryptionTool(const std::string& shippedTool, const std::string& workFolder,
                          std::string* program) {
  program->clear();
  std::string shipped = shippedTool;
  if (shipped.empty()) {
    std::string folder;
    const int rc = platform::programFolder(&folder);
    if (rc != kOk) return rc;
    shipped = platform::joinPath(folder, platform::siblingProgramName("tool", "quenvale-decrypt"));
  }
  // The shipped copy of the tool is not a program file on Windows until it is copied out to run.
  return platform::runnableSibling(shipped, workFolder, "tool", program);
}

ToolOutputChunk parseToolOutput(std::string_view previousTail, std::string_view chunk) {
  ToolOutputChunk parsed;
  std::string joined(previousTail);
  joined.append(chunk);
  parsed.wrongPassword = joined.find(kWrongPasswordText) != std::string::npos;
  const std::size_t at = chunk.find(kCountText);
  if (at == std::string_view::npos) return parsed;
  parsed.hasCount = true;
  std::size_t i = at + sizeof(kCountText) - 1;
  while (i < chunk.size() && (chunk[i] == ' ' || chunk[i] == '\t')) ++i;
  std::uint64_t n = 0;
  for (; i < chunk.size() && chunk[i] >= '0' && chunk[i] <= '9'; ++i) {
    const std::uint64_t digit = static_cast<std::uint64_t>(chunk[i] - '0');
    // A count beyond any file count is as good as the largest value.
    if (n > (UINT64_MAX - digit) / 10) {
      n = UINT64_MAX;
      break;
    }
    n = n * 10 + digit;
  }
  parsed.count = n;
  return parsed;
}

std::string RecoveryEngine::temporaryFolder() {
  if (!temporaryFolder_.empty()) return temporaryFolder_;
  const std::string& work = workFolder_;
  std::uint64_t free = 0;
  std::string chosen;
  if (!work.empty() && platform::freeDiskBytes(work, &free) == kOk &&
      free > kTemporaryFolderMinFree) {
    chosen = platform::joinPath(work, kTemporaryFolderName);
  } else {
    const std::string root = roomiestDrive();
    if (!root.empty()) chosen = platform::joinPath(root, kTemporaryFolderName);
  }
  // A drive root the user may not write to (a system drive, "/") must not leave decryption
  // without a place: the work folder takes the copy then.
  if ((chosen.empty() || platform::createFolders(chosen) != kOk) && !work.empty()) {
    chosen = platform::joinPath(work, kTemporaryFolderName);
    if (platform::createFolders(chosen) != kOk) chosen.clear();
  }
  if (chosen.empty()) return {};
  platform::setHiddenAttribute(chosen);
  temporaryFolder_ = chosen;
  return temporaryFolder_;
}

std::string RecoveryEngine::decryptionOutputFolder() {
  const std::string folder = temporaryFolder();
  if (folder.empty()) return {};
  return platform::joinPath(folder, kDecryptionOutputName);
}

int RecoveryEngine::decryptBackup(const std::wstring& password, std::string* outputFolder) {
  outputFolder->clear();
  std::string program;
  if (prepareDecryptionTool(decryptionTool_, workFolder_, &program) != kOk) return kInvalid;
  const std::string output = decryptionOutputFolder();
  if (output.empty() || platform::createFolders(output) != kOk) return kInvalid;
  *outputFolder = output;

  // Three separate arguments, each passed exactly: an output folder with spaces in its path or
  // a password with spaces, quotes or backslashes reaches the tool as it is.
  platform::Process tool;
  if (tool.start(program, {backupFolder_, output, platform::toUtf8(password)}) != kOk)
    return kInvalid;
  tool.closeInput();

  const std::uint64_t fileCount = backupFiles_.size();
  int result = kOk;
  int passesLeft = -1;  // counts down once the tool has ended
  std::string tail;
  std::vector<char> buffer(kReadChunk);
  for (;;) {
    if (passesLeft == 0) break;
    if (passesLeft > 0) {
      --passesLeft;
    } else {
      bool ended = false;
      if (tool.waitFor(kPollMilliseconds, &ended) == kOk && ended) passesLeft = kPassesAfterEnd;
    }
    std::size_t waiting = 0;
    if (tool.peek(&waiting) != kOk) break;
    if (waiting == 0) continue;
    std::size_t got = 0;
    if (tool.read(buffer.data(), buffer.size(), &got) != kOk || got == 0) break;
    const std::string_view chunk(buffer.data(), got);
    const ToolOutputChunk parsed = parseToolOutput(tail, chunk);
    tail.assign(chunk.substr(chunk.size() -
                             std::min<std::size_t>(chunk.size(), sizeof(kWrongPasswordText))));
    if (parsed.wrongPassword) {
      result = kWrongPassword;
      break;
    }
    std::uint64_t done = 0;
    if (parsed.hasCount) {
      if (progress_ == 0) {
        progress_ = 1;
        const int answer = report(1);
        if (answer != 0) {
          result = answer;
          break;
        }
      }
      // Never more than all files: a count past the backup's size would push the bar beyond
      // this step's share.
      done = std::min(parsed.count, fileCount);
    }
    const std::uint64_t share =
        fileCount == 0 ? 0 : static_cast<std::uint64_t>(step_) * done / fileCount;
    const int answer = report(progress_ + static_cast<int>(share));
    if (answer != 0) {
      result = answer;
      break;
    }
  }
  // A backup the password did not open shows no progress: the first report would otherwise
  // take the window to the scan page just before it hears that the password was wrong.
  if (result != kWrongPassword) report(progress_ + step_);
  return result;
}

void RecoveryEngine::removeDecryptionOutput() {
  if (workFolder_.empty() && temporaryFolder_.empty()) return;
  const std::string output = decryptionOutputFolder();
  if (output.empty()) return;
  std::vector<std::string> names;
  if (platform::listFolder(output, &names) != kOk) return;
  for (const std::string& name : names) {
    const std::string path = platform::joinPath(output, name);
    if (platform::isFile(path)) platform::removeFile(path);
  }
}

}  // namespace qv::engine
