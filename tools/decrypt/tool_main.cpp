#include "tools/decrypt/tool_main.h"

#include <chrono>

#include "platform/result.h"
#include "tools/decrypt/decrypt_backup.h"

namespace qv::decrypt {

namespace {

constexpr auto kCountInterval = std::chrono::milliseconds(50);

// The reader polls a pipe and looks at the first "Count:" of each chunk it gets: fewer lines
// keep that one current and keep a pipe of a few KiB from holding the tool back.
class ConsoleReport : public DecryptReport {
 public:
  explicit ConsoleReport(ToolConsole& console) : console_(console) {}

  void filesDone(std::uint64_t count) override {
    last_ = count;
    auto now = std::chrono::steady_clock::now();
    if (printed_ && now - lastPrint_ < kCountInterval) return;
    printCount();
    lastPrint_ = now;
  }
  void wrongPassword() override { console_.out("Wrong password"); }
  void note(const std::string& text) override { console_.err("quenvale-decrypt: " + text); }

  void finish() {
    if (!printed_ || printedValue_ != last_) printCount();
  }

 private:
  void printCount() {
    console_.out("Count: " + std::to_string(last_));
    printed_ = true;
    printedValue_ = last_;
  }

  ToolConsole& console_;
  std::uint64_t last_ = 0;
  std::uint64_t printedValue_ = 0;
  bool printed_ = false;
  std::chrono::steady_clock::time_point lastPrint_;
};

}  // namespace

int ToolConsole::readPassword(std::string* password) {
  password->clear();
  return kErrHandleEof;
}

namespace {

int usage(ToolConsole& console) {
  console.err("usage: quenvale-decrypt BACKUP_FOLDER OUTPUT_FOLDER [PASSWORD]");
  console.err("  Deciphers an encrypted device backup into OUTPUT_FOLDER (one file per file id).");
  console.err("  Without PASSWORD the first line of standard input is the password; on the");
  console.err("  command line other users of the computer can read it.");
  return kExitUsage;
}

// The password of the two-argument form: the first line of standard input.
int passwordFromInput(ToolConsole& console, std::string* password) {
  if (console.readPassword(password) != kOk) {
    console.err("quenvale-decrypt: no password on standard input");
    return kExitUsage;
  }
  if (password->size() > kMaxPasswordBytes) {
    console.err("quenvale-decrypt: the password is longer than " +
                std::to_string(kMaxPasswordBytes) + " bytes");
    return kExitUsage;
  }
  if (password->find('\0') != std::string::npos) {
    console.err("quenvale-decrypt: the password holds a NUL byte");
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace

int runTool(const std::vector<std::string>& args, ToolConsole& console) {
  if ((args.size() != 2 && args.size() != 3) || args[0].empty() || args[1].empty())
    return usage(console);
  std::string password;
  if (args.size() == 3) {
    password = args[2];
  } else if (int status = passwordFromInput(console, &password); status != kExitOk) {
    return status;
  }
  ConsoleReport report(console);
  DecryptSummary summary;
  int rc = decryptBackup(args[0], args[1], password, report, &summary);
  if (rc == kWrongPassword) return kExitWrongPassword;
  report.finish();
  if (rc != kOk) return kExitFailed;
  if (summary.skipped != 0) {
    report.note(std::to_string(summary.written) + " files written, " +
                std::to_string(summary.skipped) + " skipped");
    return kExitSomeSkipped;
  }
  return kExitOk;
}

}  // namespace qv::decrypt
