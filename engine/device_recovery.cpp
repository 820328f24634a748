#include "engine/device_recovery.h"

#include "platform/result.h"

namespace qv::engine {

int CDeviceRecovery::attach(void* context) {
  context_ = context;
  return kOk;
}
int CDeviceRecovery::setCallback(ProgressCallback callback, void* user) {
  callback_ = callback;
  callbackUser_ = user;
  return kOk;
}
bool CDeviceRecovery::queryA(std::intptr_t) {
  return false;
}
bool CDeviceRecovery::queryB(std::intptr_t) {
  return false;
}
int CDeviceRecovery::open(const std::wstring&) {
  return kSourceFailed;
}
int CDeviceRecovery::readMessages(db::ConversationMap*) {
  return kSourceFailed;
}
int CDeviceRecovery::gatherMessageAttachments(std::vector<FileItem>*) {
  return kSourceFailed;
}
int CDeviceRecovery::readContacts(std::vector<db::ContactRecord>*) {
  return kSourceFailed;
}
int CDeviceRecovery::readNotes(std::vector<db::NoteRecord>*) {
  return kSourceFailed;
}
int CDeviceRecovery::readCalls(std::vector<db::CallRecord>*) {
  return kSourceFailed;
}
int CDeviceRecovery::gatherPhotos(std::vector<FileItem>*, std::vector<FileItem>*) {
  return kOk;
}
int CDeviceRecovery::takeWhatsAppAttachments(std::vector<FileItem>*) {
  return kOk;
}
int CDeviceRecovery::gatherAppFiles(std::vector<AppFileItem>*) {
  return kOk;
}
int CDeviceRecovery::readQqChats(AccountChatMap*) {
  return kSourceFailed;
}
int CDeviceRecovery::readWechatChats(AccountChatMap*) {
  return kSourceFailed;
}
int CDeviceRecovery::readWhatsApp(db::WhatsAppChatMap*) {
  return kSourceFailed;
}
int CDeviceRecovery::makePreviewFile(const std::wstring&, std::wstring* previewPath,
                                     PreviewCallback, void*) {
  previewPath->clear();
  return kSourceFailed;
}
int CDeviceRecovery::copyStoredFile(const std::wstring&, const std::wstring&, CopyCallback, void*) {
  return kSourceFailed;
}
int CDeviceRecovery::exportMessageLines(const std::string&) {
  return kSourceFailed;
}
int CDeviceRecovery::exportContactLines(const std::string&) {
  return kSourceFailed;
}
int CDeviceRecovery::writeWhatsAppChatText(std::int32_t, const std::wstring&, CopyCallback, void*) {
  return kSourceFailed;
}
int CDeviceRecovery::writeQqChatText(const std::wstring&, const std::wstring&, const std::wstring&,
                                     CopyCallback, void*) {
  return kSourceFailed;
}
int CDeviceRecovery::writeWechatChatText(const std::wstring&, const std::wstring&,
                                         const std::wstring&, CopyCallback, void*) {
  return kSourceFailed;
}
CDeviceRecovery::~CDeviceRecovery() = default;

}  // namespace qv::engine
