#include "engine/scan_sequence.h"

#include "platform/result.h"

namespace qv::engine {

ScanObserver::~ScanObserver() = default;

const char* scanStepName(ScanStep step) {
  switch (step) {
    case ScanStep::kPhotos:
      return "Camera Roll and Photo Stream";
    case ScanStep::kMessages:
      return "Messages";
    case ScanStep::kMessageAttachments:
      return "Messages Attachments";
    case ScanStep::kContacts:
      return "Contacts";
    case ScanStep::kCallHistory:
      return "Call History";
    case ScanStep::kNotes:
      return "Notes";
    case ScanStep::kAppFiles:
      return "App Photos and App Videos";
    case ScanStep::kWhatsApp:
      return "WhatsApp";
    case ScanStep::kWhatsAppAttachments:
      return "WhatsApp Attachments";
  }
  return "";
}

bool stepChosen(ScanStep step, const CategorySet& chosen) {
  auto has = [&chosen](ItemCategory c) { return chosen.test(static_cast<int>(c)); };
  switch (step) {
    case ScanStep::kPhotos:
      return has(ItemCategory::kCameraRoll) || has(ItemCategory::kPhotoStream);
    case ScanStep::kMessages:
      return has(ItemCategory::kMessages);
    case ScanStep::kMessageAttachments:
      return has(ItemCategory::kMessageAttachments);
    case ScanStep::kContacts:
      return has(ItemCategory::kContacts);
    case ScanStep::kCallHistory:
      return has(ItemCategory::kCallHistory);
    case ScanStep::kNotes:
      return has(ItemCategory::kNotes);
    case ScanStep::kAppFiles:
      // The app-file walk is also what finds WhatsApp's attachments: without it the WhatsApp
      // Attachments step would always hand over an empty list.
      return has(ItemCategory::kAppPhotos) || has(ItemCategory::kAppVideos) ||
             has(ItemCategory::kWhatsAppAttachments);
    case ScanStep::kWhatsApp:
      return has(ItemCategory::kWhatsApp);
    case ScanStep::kWhatsAppAttachments:
      return has(ItemCategory::kWhatsAppAttachments);
  }
  return false;
}

ScanSequence::ScanSequence(IPhoneRecoveryParse& source, CategorySet chosen, ScanResults& results,
                           ScanControl& control, ScanObserver& observer)
    : source_(source), chosen_(chosen), results_(results), control_(control), observer_(observer) {
  source_.setCallback(&ScanSequence::onProgress, this);
}

ScanSequence::~ScanSequence() {
  source_.setCallback(nullptr, nullptr);
}

int QV_CALLBACK ScanSequence::onProgress(void* user, int value) {
  auto* self = static_cast<ScanSequence*>(user);
  std::lock_guard<std::mutex> lock(self->control_.pauseLock);
  if (self->control_.stop.load() != 0) return kCancelled;
  if (value > self->shown_) {
    // Whatever value comes first announces the scan, not only a 1: an encrypted backup's first
    // report can be larger.
    if (self->shown_ == 0) self->observer_.firstProgress();
    const int show = value < 2 ? 2 : (value > 99 ? 99 : value);
    if (show != self->shown_) {
      self->shown_ = show;
      self->observer_.progressShown(show);
    }
  }
  return kOk;
}

int ScanSequence::run(const std::wstring& password) {
  results_.clear();
  shown_ = 0;
  default_.reset();
  stopped_ = false;
  control_.stop.store(0);
  control_.finished.store(0);

  int result = source_.open(password);
  openResult_ = result;
  if (result == kWrongPassword) {
    control_.finished.store(1);
    observer_.wrongPassword();
    return result;
  }
  if (result == kSourceFailed) {
    observer_.startFailed();
    result = kCancelled;
  }
  if (result != kCancelled) {
    observer_.opened();
    for (int i = 0; i < kScanStepCount; ++i) {
      const auto step = static_cast<ScanStep>(i);
      if (!stepChosen(step, chosen_)) continue;
      observer_.stepStarted(step);
      result = runStep(step);
      observer_.stepFinished(step, result);
      if (result == kCancelled) break;
      completeStep(step);
    }
  }
  stopped_ = result == kCancelled;
  control_.finished.store(1);
  // Every ending but a wrong password is announced, failures included: a page waiting for the
  // end of the scan must not wait forever because the last step found no database.
  observer_.finished(result);
  return result;
}

int ScanSequence::runStep(ScanStep step) {
  ScanResults& r = results_;
  switch (step) {
    case ScanStep::kPhotos:
      return source_.gatherPhotos(&r.cameraRoll, &r.photoStream);
    case ScanStep::kMessages:
      return source_.readMessages(&r.conversations);
    case ScanStep::kMessageAttachments:
      return source_.gatherMessageAttachments(&r.messageAttachments);
    case ScanStep::kContacts:
      return source_.readContacts(&r.contacts);
    case ScanStep::kCallHistory:
      return source_.readCalls(&r.calls);
    case ScanStep::kNotes:
      return source_.readNotes(&r.notes);
    case ScanStep::kAppFiles:
      return source_.gatherAppFiles(&r.appFiles);
    case ScanStep::kWhatsApp:
      return source_.readWhatsApp(&r.whatsappChats);
    case ScanStep::kWhatsAppAttachments:
      return source_.takeWhatsAppAttachments(&r.whatsappAttachments);
  }
  return kInvalid;
}

void ScanSequence::completeStep(ScanStep step) {
  ScanResults& r = results_;
  switch (step) {
    case ScanStep::kPhotos:
      // One walk fills both lists; a list whose category was not chosen is not shown.
      if (!chosen(ItemCategory::kCameraRoll)) r.cameraRoll.clear();
      if (!chosen(ItemCategory::kPhotoStream)) r.photoStream.clear();
      if (chosen(ItemCategory::kCameraRoll)) completeCategory(ItemCategory::kCameraRoll);
      if (chosen(ItemCategory::kPhotoStream)) completeCategory(ItemCategory::kPhotoStream);
      return;
    case ScanStep::kMessages:
      buildMessageRows(&r);
      completeCategory(ItemCategory::kMessages);
      return;
    case ScanStep::kMessageAttachments:
      completeCategory(ItemCategory::kMessageAttachments);
      return;
    case ScanStep::kContacts:
      orderContacts(&r);
      completeCategory(ItemCategory::kContacts);
      return;
    case ScanStep::kCallHistory:
      orderCalls(&r);
      completeCategory(ItemCategory::kCallHistory);
      return;
    case ScanStep::kNotes:
      orderNotes(&r);
      completeCategory(ItemCategory::kNotes);
      return;
    case ScanStep::kAppFiles:
      splitAppFiles(&r);
      if (!chosen(ItemCategory::kAppPhotos)) r.appPhotos.clear();
      if (!chosen(ItemCategory::kAppVideos)) r.appVideos.clear();
      if (chosen(ItemCategory::kAppPhotos)) completeCategory(ItemCategory::kAppPhotos);
      if (chosen(ItemCategory::kAppVideos)) completeCategory(ItemCategory::kAppVideos);
      return;
    case ScanStep::kWhatsApp:
      buildChatRows(&r);
      completeCategory(ItemCategory::kWhatsApp);
      return;
    case ScanStep::kWhatsAppAttachments:
      completeCategory(ItemCategory::kWhatsAppAttachments);
      return;
  }
}

void ScanSequence::completeCategory(ItemCategory category) {
  const CategorySummary summary = summarize(results_, category);
  observer_.categoryCompleted(category, summary);
  if (summary.items == 0) return;
  if (!default_ && !observer_.categorySelected()) default_ = category;
  observer_.countsChanged();
  if (default_) observer_.selectDefaultCategory(*default_);
}

}  // namespace qv::engine
