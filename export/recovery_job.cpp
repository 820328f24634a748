#include "export/recovery_job.h"

#include <ctime>

#include "export/documents.h"
#include "export/output_names.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/local_time.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::output {
namespace {

using platform::joinPath;
using platform::toUtf8;
using platform::toWide;

using engine::ItemCategory;

template <typename T>
const T* at(const std::vector<T>& list, std::size_t index) {
  return index < list.size() ? &list[index] : nullptr;
}

}  // namespace

JobObserver::~JobObserver() = default;

RecoveryJob::RecoveryJob(JobSetup setup, JobObserver& observer)
    : setup_(std::move(setup)), observer_(observer) {}

int RecoveryJob::loadTemplates() {
  missingTemplate_.clear();
  struct Slot {
    DocumentKind kind;
    DocumentTemplate* tpl;
  };
  const Slot slots[] = {{DocumentKind::kCallHistory, &calls_.tpl},
                        {DocumentKind::kNotes, &notes_.tpl},
                        {DocumentKind::kContacts, &contacts_.tpl},
                        {DocumentKind::kMessages, &messagesTpl_},
                        {DocumentKind::kWhatsApp, &chatsTpl_}};
  for (const Slot& slot : slots) {
    const std::string path = joinPath(setup_.templateFolder, templateFileName(slot.kind));
    const int rc = loadDocumentTemplate(path, slot.kind, setup_.deviceName, slot.tpl);
    if (rc != kOk) {
      missingTemplate_ = path;
      return rc;
    }
  }
  return kOk;
}

int RecoveryJob::report(int percent, int code, const std::string& path) {
  std::lock_guard<std::mutex> held(lock_);
  const bool cancelled = cancel_.load() != 0;
  // After a cancel only results count: the item that was stopped, and the finishing steps.
  if (cancelled && percent != 100) return kCancelled;
  if (percent == 100) {
    ++processed_;
    std::string status = "Success";
    if (code != kOk) {
      ++failed_;
      if (firstFailure_ == kOk) firstFailure_ = code;
      status = cancelled && code == kCancelled ? "Cancelled" : platform::resultText(code);
    }
    observer_.result(path, code, status);
  }
  observer_.progress(percent, path, processed_, total_, failed_);
  return cancelled ? kCancelled : kOk;
}

int RecoveryJob::result() const {
  if (cancel_.load() != 0) return kCancelled;
  return firstFailure_;
}

int QV_CALLBACK RecoveryJob::onCopy(void* user, int percent, int code, const wchar_t* destination) {
  auto* job = static_cast<RecoveryJob*>(user);
  return job->report(percent, code, destination != nullptr ? toUtf8(destination) : std::string());
}

int RecoveryJob::run() {
  platform::CivilTime now;
  if (platform::utcToLocal(static_cast<std::int64_t>(std::time(nullptr)), &now) != kOk)
    now = platform::unixToCivil(static_cast<std::int64_t>(std::time(nullptr)));
  return run(jobStamp(now.year, now.month, now.day, now.hour, now.minute, now.second));
}

int RecoveryJob::run(const std::string& stamp) {
  stamp_ = stamp;
  processed_ = 0;
  failed_ = 0;
  firstFailure_ = kOk;
  total_ =
      setup_.statistics != nullptr ? static_cast<int>(setup_.statistics->totals().selected()) : 0;
  if (setup_.statistics != nullptr && setup_.results != nullptr && setup_.source != nullptr) {
    // The root is the user's choice, and may be a link; what is made below it is the job's.
    platform::createFolders(setup_.outputRoot);
    walk();
    finish();
  }
  finished_.store(1);
  return cancel_.load() != 0 ? kCancelled : kOk;
}

std::string RecoveryJob::under(const std::string& folder) const {
  return joinPath(setup_.outputRoot, folder);
}

bool RecoveryJob::guard(const std::string& path) {
  if (!path.empty() && isInsideRoot(setup_.outputRoot, path)) return true;
  report(100, path.empty() ? kErrFileExists : kErrInvalidName, path);
  return false;
}

int RecoveryJob::makeFolder(const std::string& folder) {
  if (!isInsideRoot(setup_.outputRoot, folder)) return kErrInvalidName;
  std::size_t start = setup_.outputRoot.size();
  while (start < folder.size() && (folder[start] == '/' || folder[start] == platform::kSep))
    ++start;
  return platform::createFoldersBelow(setup_.outputRoot, folder.substr(start));
}

bool RecoveryJob::prepareFolder(const std::string& folder, const std::string& reportPath) {
  if (!guard(folder)) return false;
  const int rc = makeFolder(folder);
  if (rc == kOk) return true;
  report(100, rc, reportPath);
  return false;
}

std::string RecoveryJob::unique(const std::string& path) {
  return unique_.make(path);
}

void RecoveryJob::walk() {
  const CStatisticsObj& stats = *setup_.statistics;
  const engine::ScanResults& r = *setup_.results;
  for (StatKey key = 0; key < stats.recordCount(); ++key) {
    if (cancel_.load() != 0) break;
    if (!stats.isSelected(key)) continue;
    const StatRecord& item = stats.record(key);
    const std::size_t i = item.index;
    ItemCategory category;
    if (!engine::categoryOfNumber(item.category, &category)) continue;
    switch (category) {
      case ItemCategory::kCameraRoll:
        if (auto* f = at(r.cameraRoll, i)) copyFile(category, *f);
        break;
      case ItemCategory::kPhotoStream:
        if (auto* f = at(r.photoStream, i)) copyFile(category, *f);
        break;
      case ItemCategory::kMessageAttachments:
        if (auto* f = at(r.messageAttachments, i)) copyFile(category, *f);
        break;
      case ItemCategory::kWhatsAppAttachments:
        if (auto* f = at(r.whatsappAttachments, i)) copyFile(category, *f);
        break;
      case ItemCategory::kAppPhotos:
      case ItemCategory::kAppVideos: {
        const engine::AppFileMap& apps =
            category == ItemCategory::kAppPhotos ? r.appPhotos : r.appVideos;
        auto app = apps.find(stats.record(item.parent).name);
        if (app == apps.end()) break;
        if (auto* f = at(app->second, i)) copyAppFile(category, *f);
        break;
      }
      case ItemCategory::kMessages:
        if (auto* row = at(r.messageRows, i)) writeConversation(*row);
        break;
      case ItemCategory::kContacts:
        if (auto* c = at(r.contacts, i)) addRow(contacts_, category, contactRow(*c));
        break;
      case ItemCategory::kCallHistory:
        if (auto* c = at(r.calls, i)) addRow(calls_, category, callRow(*c));
        break;
      case ItemCategory::kNotes:
        if (auto* n = at(r.notes, i)) addRow(notes_, category, noteRow(*n));
        break;
      case ItemCategory::kWhatsApp:
        if (auto* row = at(r.chatRows, i)) writeChat(*row);
        break;
      case ItemCategory::kReminder:
      case ItemCategory::kCalendar:
      case ItemCategory::kSafariBookmark:
        break;  // nothing fills them, so nothing is written
    }
  }
}

void RecoveryJob::copyFile(ItemCategory category, const engine::FileItem& item) {
  const std::string folder = under(categoryFolderName(category));
  const std::string path = unique(joinPath(folder, toUtf8(safeComponent(item.name))));
  if (!guard(path) || !prepareFolder(folder, path)) return;
  setup_.source->copyStoredFile(item.storedPath, toWide(path), &RecoveryJob::onCopy, this);
}

void RecoveryJob::copyAppFile(ItemCategory category, const engine::AppFileItem& item) {
  const std::string folder =
      joinPath(under(categoryFolderName(category)), toUtf8(safeComponent(item.appName)));
  const std::string path = unique(joinPath(folder, toUtf8(safeComponent(item.name))));
  if (!guard(path) || !prepareFolder(folder, path)) return;
  setup_.source->copyStoredFile(item.storedPath, toWide(path), &RecoveryJob::onCopy, this);
}

// The page's reporter for a conversation whose text or CSV file failed: the page's own result
// stands unless it succeeded, so the conversation's one result tells of the first failure.
class RecoveryJob::ConversationResult : public PageReporter {
 public:
  ConversationResult(RecoveryJob& job, int earlier) : job_(job), earlier_(earlier) {}
  int report(int percent, int code, const std::string& path) override {
    if (percent == 100 && code == kOk) code = earlier_;
    return job_.report(percent, code, path);
  }

 private:
  RecoveryJob& job_;
  int earlier_;
};

void RecoveryJob::writeConversation(const db::MessageRecord& row) {
  const std::wstring person = conversationPerson(row);
  const std::string folder = joinPath(under(categoryFolderName(ItemCategory::kMessages)),
                                      toUtf8(safeComponent(person, L"-" + toWide(stamp_))));
  const std::wstring base = conversationBase(row);
  const std::string page = unique(joinPath(folder, toUtf8(safeComponent(base, L".html"))));
  if (!prepareFolder(folder, page)) return;
  messagesWritten_ = true;

  static const std::vector<db::MessageRecord> kNone;
  const auto found = setup_.results->conversations.find(row.handleId);
  const MessageList messages(found != setup_.results->conversations.end() ? found->second : kNone);

  const std::string text = unique(joinPath(folder, toUtf8(safeComponent(base, L".txt"))));
  if (!guard(text) || !guard(page)) return;
  ConversationResult result(*this, writeConversationText(text, messages));
  writeConversationPage(page, fillPerson(messagesTpl_.head, person, row.address), messagesTpl_.tail,
                        messages, &result);
}

void RecoveryJob::writeChat(const db::ChatRecord& row) {
  const std::wstring title = chatTitle(row);
  const std::string folder = joinPath(under(categoryFolderName(ItemCategory::kWhatsApp)),
                                      toUtf8(safeComponent(title, L"-" + toWide(stamp_))));
  const std::string page = unique(joinPath(folder, toUtf8(safeComponent(title, L".html"))));
  if (!prepareFolder(folder, page)) return;

  static const std::vector<db::ChatRecord> kNone;
  const auto found = setup_.results->whatsappChats.find(row.conversationId);
  const MessageList messages(found != setup_.results->whatsappChats.end() ? found->second : kNone);

  const std::string text = unique(joinPath(folder, toUtf8(safeComponent(title, L".txt"))));
  const std::string csv = unique(joinPath(folder, toUtf8(safeComponent(title, L".csv"))));
  if (!guard(text) || !guard(csv) || !guard(page)) return;
  int earlier = writeConversationText(text, messages);
  const int csvResult = writeChatCsv(csv, messages);
  if (earlier == kOk) earlier = csvResult;
  ConversationResult result(*this, earlier);
  writeConversationPage(page, fillPerson(chatsTpl_.head, row.memberNames, row.memberNumbers),
                        chatsTpl_.tail, messages, &result);
}

void RecoveryJob::addRow(Document& doc, ItemCategory category, std::string row) {
  if (doc.rows++ == 0) {
    const std::string folder = under(categoryFolderName(category));
    if (category == ItemCategory::kContacts) {
      contactsFolder_ = unique(joinPath(folder, stamp_));
      doc.path = joinPath(contactsFolder_, "Contacts.html");
    } else {
      const std::string name = category == ItemCategory::kCallHistory ? "CallHistory_" : "Notes_";
      doc.path = unique(joinPath(folder, name + stamp_ + ".html"));
    }
    doc.code = isInsideRoot(setup_.outputRoot, doc.path) ? kOk : kErrInvalidName;
    if (doc.code == kOk) doc.code = makeFolder(parentFolder(doc.path));
    if (doc.code == kOk) doc.code = doc.file.create(doc.path);
    if (doc.code == kOk) doc.code = doc.file.write(doc.tpl.head);
  }
  // Each row goes to the file as it comes: a document of any size takes one piece of memory.
  if (doc.code == kOk) doc.code = doc.file.write(row);
}

void RecoveryJob::finishDocument(Document& doc) {
  if (doc.rows == 0) return;
  std::string published;
  if (doc.code == kOk) doc.code = doc.file.write(doc.tpl.tail);
  if (doc.code == kOk) {
    doc.code = doc.file.publish(&published);
  } else {
    doc.file.discard();
  }
  for (int i = 0; i < doc.rows; ++i)
    report(100, doc.code, published.empty() ? doc.path : published);
}

void RecoveryJob::exportLines(const std::string& path, bool messages) {
  {
    std::lock_guard<std::mutex> held(lock_);
    ++total_;  // a result of its own, counted like an item
  }
  if (!guard(path)) return;
  const int rc =
      messages ? setup_.source->exportMessageLines(path) : setup_.source->exportContactLines(path);
  report(100, rc, path);
}

void RecoveryJob::finish() {
  if (messagesWritten_) {
    exportLines(unique(joinPath(under(categoryFolderName(ItemCategory::kMessages)), "sms.csv")),
                true);
  }
  finishDocument(calls_);
  finishDocument(notes_);
  if (contacts_.rows > 0) {
    // The folder is this job's own and was made with the first row; a file of that name could
    // only be another job's, which the export leaves alone.
    exportLines(unique(joinPath(contactsFolder_, "Contacts.csv")), false);
    finishDocument(contacts_);
  }
}

}  // namespace qv::output
