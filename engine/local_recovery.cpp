#include "engine/local_recovery.h"

#include "platform/result.h"

namespace qv::engine {

// Every operation needs the engine that slot 0 attached; a source used without one has nothing
// to read (87) rather than a null object to call.
#define QV_ENGINE_OR_FAIL() \
  if (engine_ == nullptr) return kInvalid

int CLocalBuckupRecovery::attach(void* context) {
  engine_ = static_cast<RecoveryEngine*>(context);
  return kOk;
}

int CLocalBuckupRecovery::setCallback(ProgressCallback callback, void* user) {
  QV_ENGINE_OR_FAIL();
  engine_->setCallback(callback, user);
  return kOk;
}

bool CLocalBuckupRecovery::queryA(std::intptr_t) {
  return false;
}
bool CLocalBuckupRecovery::queryB(std::intptr_t) {
  return true;
}

int CLocalBuckupRecovery::open(const std::wstring& password) {
  QV_ENGINE_OR_FAIL();
  return engine_->open(password);
}
int CLocalBuckupRecovery::readMessages(db::ConversationMap* conversations) {
  QV_ENGINE_OR_FAIL();
  return engine_->readMessages(conversations);
}
int CLocalBuckupRecovery::gatherMessageAttachments(std::vector<FileItem>* items) {
  QV_ENGINE_OR_FAIL();
  return engine_->gatherMessageAttachments(items);
}
int CLocalBuckupRecovery::readContacts(std::vector<db::ContactRecord>* contacts) {
  QV_ENGINE_OR_FAIL();
  return engine_->readContacts(contacts);
}
int CLocalBuckupRecovery::readNotes(std::vector<db::NoteRecord>* notes) {
  QV_ENGINE_OR_FAIL();
  return engine_->readNotes(notes);
}
int CLocalBuckupRecovery::readCalls(std::vector<db::CallRecord>* calls) {
  QV_ENGINE_OR_FAIL();
  return engine_->readCalls(calls);
}
int CLocalBuckupRecovery::gatherPhotos(std::vector<FileItem>* cameraRoll,
                                       std::vector<FileItem>* photoStream) {
  QV_ENGINE_OR_FAIL();
  return engine_->gatherPhotos(cameraRoll, photoStream);
}
int CLocalBuckupRecovery::takeWhatsAppAttachments(std::vector<FileItem>* items) {
  QV_ENGINE_OR_FAIL();
  return engine_->takeWhatsAppAttachments(items);
}
int CLocalBuckupRecovery::gatherAppFiles(std::vector<AppFileItem>* items) {
  QV_ENGINE_OR_FAIL();
  return engine_->gatherAppFiles(items);
}
int CLocalBuckupRecovery::readQqChats(AccountChatMap* chats) {
  QV_ENGINE_OR_FAIL();
  return engine_->readQqChats(chats);
}
int CLocalBuckupRecovery::readWechatChats(AccountChatMap* chats) {
  QV_ENGINE_OR_FAIL();
  return engine_->readWechatChats(chats);
}
int CLocalBuckupRecovery::readWhatsApp(db::WhatsAppChatMap* chats) {
  QV_ENGINE_OR_FAIL();
  return engine_->readWhatsApp(chats);
}
int CLocalBuckupRecovery::makePreviewFile(const std::wstring& storedPath, std::wstring* previewPath,
                                          PreviewCallback callback, void* user) {
  QV_ENGINE_OR_FAIL();
  return engine_->makePreviewFile(storedPath, previewPath, callback, user);
}
int CLocalBuckupRecovery::copyStoredFile(const std::wstring& source,
                                         const std::wstring& destination, CopyCallback callback,
                                         void* user) {
  QV_ENGINE_OR_FAIL();
  return engine_->copyStoredFile(source, destination, callback, user);
}
int CLocalBuckupRecovery::exportMessageLines(const std::string& outputPath) {
  QV_ENGINE_OR_FAIL();
  return engine_->exportMessageLines(outputPath);
}
int CLocalBuckupRecovery::exportContactLines(const std::string& outputPath) {
  QV_ENGINE_OR_FAIL();
  return engine_->exportContactLines(outputPath);
}
int CLocalBuckupRecovery::writeWhatsAppChatText(std::int32_t chatKey,
                                                const std::wstring& outputPath,
                                                CopyCallback callback, void* user) {
  QV_ENGINE_OR_FAIL();
  return engine_->writeWhatsAppChatText(chatKey, outputPath, callback, user);
}
int CLocalBuckupRecovery::writeQqChatText(const std::wstring& accountKey,
                                          const std::wstring& chatKey,
                                          const std::wstring& outputPath, CopyCallback callback,
                                          void* user) {
  QV_ENGINE_OR_FAIL();
  return engine_->writeQqChatText(accountKey, chatKey, outputPath, callback, user);
}
int CLocalBuckupRecovery::writeWechatChatText(const std::wstring& accountKey,
                                              const std::wstring& chatKey,
                                              const std::wstring& outputPath, CopyCallback callback,
                                              void* user) {
  QV_ENGINE_OR_FAIL();
  return engine_->writeWechatChatText(accountKey, chatKey, outputPath, callback, user);
}

CLocalBuckupRecovery::~CLocalBuckupRecovery() = default;

#undef QV_ENGINE_OR_FAIL

}  // namespace qv::engine
