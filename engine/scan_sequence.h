// The scan: open a recovery source, then run one step per chosen category in a fixed order,
// stopping when the user stops it, and say what happened through an observer. This is the one
// copy of the sequence: the CLI runs it on its own thread, the GUI's scan page on its worker
// thread, turning the observer's calls into its window messages.
//
// Steps, in this order, each only when one of its categories is chosen:
//   1 photos (Camera Roll, Photo Stream)         6 notes
//   2 messages                                   7 app files (App Photos, App Videos, and
//   3 message attachments                          WhatsApp Attachments, which it gathers)
//   4 contacts                                   8 WhatsApp
//   5 call history                               9 WhatsApp attachments
// Reminder, Calendar and Safari Bookmark start no step: nothing fills them.
//
// Open results: 2 ends the scan as stopped; -1 (the source could not start) tells the observer
// startFailed() and ends it as stopped; -110 tells wrongPassword() and ends without finished();
// anything else tells opened() and runs the steps (a backup whose manifest cannot be read still
// has its databases, which are found by fixed names). A step that returns 2 ends the sequence;
// any other failure leaves its category empty and the next step runs. finished() follows every
// scan but the wrong-password one.
//
// Progress: the sequence registers its own callback with the source. Under the control's pause
// lock it answers 2 once stop is set; otherwise it shows a value that exceeds the one shown
// (the first shows as at least 2 and is announced by firstProgress(); nothing shows above 99).
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "engine/items.h"
#include "engine/progress.h"
#include "engine/recovery_source.h"
#include "engine/scan_results.h"

namespace qv::engine {

enum class ScanStep : int {
  kPhotos,
  kMessages,
  kMessageAttachments,
  kContacts,
  kCallHistory,
  kNotes,
  kAppFiles,
  kWhatsApp,
  kWhatsAppAttachments,
};
constexpr int kScanStepCount = 9;
// "Camera Roll and Photo Stream", "Messages", ...: what a progress line names.
const char* scanStepName(ScanStep step);
// Whether the chosen categories call for the step.
bool stepChosen(ScanStep step, const CategorySet& chosen);

// Shared between the thread that runs a scan and the thread that watches it.
struct ScanControl {
  // Held by the watching thread to pause the scan: the scan waits for it at its next report.
  std::mutex pauseLock;
  std::atomic<int> stop{0};      // set to stop the scan at its next report
  std::atomic<int> finished{1};  // 0 while a scan runs
};

// Called on the scanning thread. Default bodies do nothing.
class ScanObserver {
 public:
  virtual ~ScanObserver();
  virtual void opened() {}
  virtual void stepStarted(ScanStep /*step*/) {}
  virtual void stepFinished(ScanStep /*step*/, int /*result*/) {}
  // A new percent to show (2 to 99); called under the pause lock.
  virtual void progressShown(int /*percent*/) {}
  // The first progress arrived (the page switches to the scan view); called under the lock.
  virtual void firstProgress() {}
  virtual void wrongPassword() {}
  virtual void startFailed() {}
  // A chosen category's step ended and its list is in display order.
  virtual void categoryCompleted(ItemCategory /*category*/, const CategorySummary& /*summary*/) {}
  virtual void countsChanged() {}
  // The category whose node should be selected when none is (the first that produced items).
  virtual void selectDefaultCategory(ItemCategory /*category*/) {}
  // Whether the user has already selected a category (then no default is chosen).
  virtual bool categorySelected() { return false; }
  virtual void finished(int /*lastResult*/) {}
};

class ScanSequence {
 public:
  // Registers the sequence's progress callback with the source (slot 1). The source must
  // outlive the sequence.
  ScanSequence(IPhoneRecoveryParse& source, CategorySet chosen, ScanResults& results,
               ScanControl& control, ScanObserver& observer);
  // Takes the callback back from the source, which may go on serving the export job.
  ~ScanSequence();
  ScanSequence(const ScanSequence&) = delete;
  ScanSequence& operator=(const ScanSequence&) = delete;

  // Runs the scan (the results are cleared first) and returns the last result: that of the last
  // step run, or of the open when no step ran; 2 for a stopped scan.
  int run(const std::wstring& password);

  int openResult() const { return openResult_; }
  bool stopped() const { return stopped_; }
  int shownPercent() const { return shown_; }
  std::optional<ItemCategory> defaultCategory() const { return default_; }

  // The callback registered with the source.
  static int QV_CALLBACK onProgress(void* user, int value);

 private:
  int runStep(ScanStep step);
  void completeStep(ScanStep step);
  void completeCategory(ItemCategory category);
  bool chosen(ItemCategory category) const { return chosen_.test(static_cast<int>(category)); }

  IPhoneRecoveryParse& source_;
  CategorySet chosen_;
  ScanResults& results_;
  ScanControl& control_;
  ScanObserver& observer_;
  int shown_ = 0;
  int openResult_ = 0;
  bool stopped_ = false;
  std::optional<ItemCategory> default_;
};

}  // namespace qv::engine
