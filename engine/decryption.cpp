// The decryption driver: runs the decryption tool on the current backup, turns its "Count:"
// lines into progress, and keeps the deciphered copy in the engine's private run folder.
#include "engine/decryption.h"

#include <algorithm>
#include <vector>

#include "backup/discovery.h"
#include "engine/recovery_engine.h"
#include "platform/disk.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/random.h"
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
// Names tried for a run folder before giving up (random names clash only when something else
// is wrong with the folder).
constexpr int kRunFolderTries = 8;

// The root of the whole file system (what POSIX systems list as their only drive) is open to
// every user and no place for anybody's plaintext.
bool isFileSystemRoot(const std::string& root) {
  return root == "/";
}

// The drive root with the most free bytes (the first of equals); empty when none answers.
std::string roomiestDrive() {
  std::vector<std::string> roots;
  if (platform::logicalDriveRoots(&roots) != kOk) return {};
  std::string best;
  std::uint64_t bestFree = 0;
  for (const std::string& root : roots) {
    if (isFileSystemRoot(root)) continue;
    std::uint64_t free = 0;
    if (platform::freeDiskBytes(root, &free) != kOk) continue;
    if (best.empty() || free > bestFree) {
      best = root;
      bestFree = free;
    }
  }
  return best;
}

// A run folder whose lock was taken over: everything in it, then the lock file, then itself.
void removeDeadRun(const std::string& run, platform::FileLock* lock) {
  std::vector<std::string> names;
  platform::listFolder(run, &names);
  for (const std::string& name : names) {
    if (name != kRunLockName) platform::removeTree(platform::joinPath(run, name));
  }
  lock->release();  // on Windows the lock file cannot go while it is held open
  platform::removeFile(platform::joinPath(run, kRunLockName));
  platform::removeFolder(run);
}

}  // namespace

bool decryptionAvailable() {
  return true;
}

bool isAcceptablePassword(std::string_view utf8) {
  return utf8.size() <= kMaxPasswordBytes && utf8.find('\0') == std::string_view::npos;
}

void removeAbandonedRuns(const std::string& folder) {
  std::vector<std::string> names;
  if (platform::listFolder(folder, &names) != kOk) return;
  for (const std::string& name : names) {
    if (name.rfind(kRunFolderPrefix, 0) != 0) continue;
    const std::string run = platform::joinPath(folder, name);
    if (!platform::isFolder(run) || platform::isLink(run)) continue;
    platform::FileLock lock;
    const int rc = lock.takeOver(platform::joinPath(run, kRunLockName));
    if (rc == kOk) {
      removeDeadRun(run, &lock);
    } else if (rc == kErrFileNotFound) {
      // Made a moment ago and not yet locked, or its maker died before locking it: only an
      // empty one goes, and a maker that finds it gone starts again with another name.
      platform::removeFolder(run);
    }
  }
}

int prepareDecryptionTool(const std::string& shippedTool, const std::string& runFolder,
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
  return platform::runnableSibling(shipped, runFolder, "tool", program);
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

std::string RecoveryEngine::decryptionOutputFolder() const {
  if (runFolder_.empty()) return {};
  return platform::joinPath(runFolder_, kDecryptionOutputName);
}

int RecoveryEngine::openRunFolder() {
  if (!runFolder_.empty()) return kOk;
  const std::string folder = temporaryFolder();
  if (folder.empty()) return kInvalid;
  removeAbandonedRuns(folder);
  int rc = kInvalid;
  for (int i = 0; i < kRunFolderTries; ++i) {
    std::string name;
    rc = platform::randomHex(8, &name);
    if (rc != kOk) return rc;
    const std::string run = platform::joinPath(folder, kRunFolderPrefix + name);
    rc = platform::createPrivateFolder(run);
    if (rc == kErrAlreadyExists) continue;
    if (rc != kOk) return rc;
    rc = runLock_.create(platform::joinPath(run, kRunLockName));
    if (rc == kOk) {
      runFolder_ = run;
      return kOk;
    }
    // Another engine took it for a dead run in the moment before the lock: start again.
    platform::removeTree(run);
  }
  return rc;
}

int RecoveryEngine::decryptBackup(const std::wstring& password, std::string* outputFolder) {
  outputFolder->clear();
  const std::string utf8Password = platform::toUtf8(password);
  if (!isAcceptablePassword(utf8Password)) return kInvalid;
  if (openRunFolder() != kOk) return kInvalid;
  // The runnable copy of the tool (Windows) goes into the run folder too: a copy in the shared
  // work folder could not be replaced while another run's tool runs from it.
  std::string program;
  if (prepareDecryptionTool(decryptionTool_, runFolder_, &program) != kOk) return kInvalid;
  // What an earlier open of this engine deciphered goes first: the folder holds one backup.
  const std::string output = decryptionOutputFolder();
  platform::removeTree(output);
  if (platform::createPrivateFolder(output) != kOk) return kInvalid;
  *outputFolder = output;

  // Two arguments, each passed exactly (an output folder with spaces in its path reaches the
  // tool as it is), and the password on the tool's standard input, where no other user can
  // read it.
  platform::Process tool;
  if (tool.start(program, {backupFolder_, output}) != kOk) return kInvalid;
  // A tool that ended before reading it says why on its output, which the loop below reads.
  const std::string line = utf8Password + "\n";
  tool.writeInput(line.data(), line.size());
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
  if (runFolder_.empty()) return;
  removeDeadRun(runFolder_, &runLock_);
  runFolder_.clear();
}

}  // namespace qv::engine
