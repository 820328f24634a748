// The recovery job: writes every selected item of the selection statistics into the output
// root, as the tree of output_names.h describes, and reports each result.
//
// Order of work. The records are visited in the order of their keys; groups, unchecked items
// and items the deleted-only filter hides are passed over. Media and attachments are copied by
// the recovery source (slot 17) to their unique path; a message conversation gets its folder,
// its text file and its page; a WhatsApp chat its folder, text, CSV and page; a contact, call
// or note adds its row to its category's one document. Then the finishing steps, in this
// order: the message value lines ("Message/sms.csv", when a conversation was written), the
// call-history document, the notes document, the contacts value lines and document. Reminder,
// Calendar and Safari Bookmark write nothing.
//
// Results. Exactly one per item the job takes: per copied file (an empty one too), per
// conversation and chat (its page's, or the first failure of its text, CSV and page), and per
// contact, call and note (with its document's path, once the document is written, so a
// document that cannot be written is reported as failed, not as recovered); and one per
// value-line file it writes (sms.csv, Contacts.csv), which counts in the total as well. So
// processed never passes total, and equals it when the job ran to its end. Each result goes
// through the job's copy callback with percent 100: "Success", "Cancelled", or what the code
// means (platform::resultText).
//
// Files. Every file is written under a hidden random temporary name beside its final one and
// published only when complete, without replacing anything (platform/pending_file.h): a
// failure, a cancel or a kill never leaves a partial file under a name that looks recovered,
// and two jobs writing into one folder at once each keep all their files, the later one taking
// the next number on a clash. Folders below the root are made by the job, and one that turns
// out to be a link is refused (platform::createFoldersBelow): nothing is written through a
// link that was in the root before.
//
// Paths. Every name from the backup is made safe (output_names.h); every path is tested with
// isInsideRoot before anything is written to it, and one that fails is a failed result with
// 123 (the name's syntax is wrong). The category documents of one job and "sms.csv" take
// unique names too, so a second job into the same root, even in the same second, replaces
// nothing an earlier job wrote.
//
// Progress and cancel. Every report of the source and of the writers goes to onCopy, which
// holds the job's lock: a window pauses the job by holding that lock while it asks whether to
// cancel. Once the cancel flag is set, every report answers 2, the copy or page in progress
// stops at its next report and is removed (its item is listed as failed, "Cancelled"), no
// further record is started, and the finishing steps still run for what was done; then the
// finished flag is set.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/progress.h"
#include "engine/recovery_source.h"
#include "engine/scan_results.h"
#include "export/doc_template.h"
#include "export/statistics.h"
#include "export/unique_path.h"
#include "platform/pending_file.h"

namespace qv::output {

// Where the job's results and progress go; called on the job's thread, under its lock.
class JobObserver {
 public:
  virtual ~JobObserver();
  // A finished destination: code 0 with "Success", or the failure with the system's text.
  virtual void result(const std::string& /*path*/, int /*code*/, const std::string& /*status*/) {}
  // The destination being written and the counters after this report.
  virtual void progress(int /*percent*/, const std::string& /*path*/, int /*processed*/,
                        int /*total*/, int /*failed*/) {}
};

struct JobSetup {
  std::string outputRoot;      // folder the user chose (made when missing)
  std::string templateFolder;  // folder of the HTML templates
  std::string deviceName;      // UTF-8, for the document titles
  engine::IPhoneRecoveryParse* source = nullptr;
  const engine::ScanResults* results = nullptr;
  const CStatisticsObj* statistics = nullptr;
};

class RecoveryJob {
 public:
  RecoveryJob(JobSetup setup, JobObserver& observer);
  RecoveryJob(const RecoveryJob&) = delete;
  RecoveryJob& operator=(const RecoveryJob&) = delete;

  // Loads the five templates in the order call history, notes, contacts, messages, WhatsApp.
  // 0, or the code of the first that cannot be loaded (the job must not start then).
  int loadTemplates();
  // The template file that loadTemplates could not load, if any.
  const std::string& missingTemplate() const { return missingTemplate_; }

  // Runs the whole job with the stamp of the local time now, or of the given one
  // ("%04d%02d%02d%02d%02d%02d"). Sets the finished flag at the end. Returns 0, or 2 when the
  // job was cancelled.
  int run();
  int run(const std::string& stamp);
  // How the job ended: 2 when cancelled, else the code of its first failed result, else 0.
  int result() const;

  // Asks the job to stop (any thread).
  void cancel() { cancel_.store(1); }
  // The flag cancel() sets, for a signal handler, which may only store to it.
  std::atomic<int>* cancelFlag() { return &cancel_; }
  bool finished() const { return finished_.load() != 0; }
  // Held by the window while it asks whether to cancel.
  std::mutex& lock() { return lock_; }

  int processed() const { return processed_; }
  int failed() const { return failed_; }
  int total() const { return total_; }
  const std::string& stamp() const { return stamp_; }

  // The copy callback handed to the source: user is the job.
  static int QV_CALLBACK onCopy(void* user, int percent, int code, const wchar_t* destination);
  // The same with a UTF-8 path, for the writers.
  int report(int percent, int code, const std::string& path);

 private:
  class ConversationResult;
  // One of the end-of-job documents, written row by row as the rows come.
  struct Document {
    DocumentTemplate tpl;
    platform::PendingFile file;  // started with the head at the first row
    std::string path;            // the name wanted for it, chosen at the first row
    int code = 0;                // the first failure of writing it
    int rows = 0;
  };

  void walk();
  void copyFile(engine::ItemCategory category, const engine::FileItem& item);
  void copyAppFile(engine::ItemCategory category, const engine::AppFileItem& item);
  void writeConversation(const db::MessageRecord& row);
  void writeChat(const db::ChatRecord& row);
  void addRow(Document& doc, engine::ItemCategory category, std::string row);
  void finish();
  void finishDocument(Document& doc);

  std::string under(const std::string& folder) const;
  // The path in the root, or empty after reporting it as failed when it is not inside.
  bool guard(const std::string& path);
  // Makes a folder below the root (never through a link); 0 or the code.
  int makeFolder(const std::string& folder);
  // guard() and makeFolder(); false after reporting the failure under reportPath.
  bool prepareFolder(const std::string& folder, const std::string& reportPath);
  std::string unique(const std::string& path);
  // Runs one value-line export of the finishing steps as a result of its own.
  void exportLines(const std::string& path, bool messages);

  JobSetup setup_;
  JobObserver& observer_;
  std::string missingTemplate_;
  Document calls_, notes_, contacts_;
  DocumentTemplate messagesTpl_, chatsTpl_;
  std::string contactsFolder_;
  bool messagesWritten_ = false;
  std::string stamp_;
  UniquePaths unique_;

  std::mutex lock_;
  std::atomic<int> cancel_{0};
  std::atomic<int> finished_{0};
  int processed_ = 0;
  int failed_ = 0;
  int total_ = 0;
  int firstFailure_ = 0;
};

}  // namespace qv::output
