// The recovery source over a connected device. The layer that talks to a device is not part of
// this build, so the source finds no device: opening answers -1 (the source could not start),
// and so does every operation that would read from the device. Slots that need no device keep
// their answers (photos 0: a device yields no Camera Roll or Photo Stream items; slots 11 and 12
// answer 0). The device layer will take this class's place behind the same factory kind.
#pragma once

#include "engine/recovery_source.h"

namespace qv::engine {

class CDeviceRecovery : public IPhoneRecoveryParse {
 public:
  int attach(void* context) override;
  int setCallback(ProgressCallback callback, void* user) override;
  bool queryA(std::intptr_t value) override;
  bool queryB(std::intptr_t value) override;
  int open(const std::wstring& password) override;
  int readMessages(db::ConversationMap* conversations) override;
  int gatherMessageAttachments(std::vector<FileItem>* items) override;
  int readContacts(std::vector<db::ContactRecord>* contacts) override;
  int readNotes(std::vector<db::NoteRecord>* notes) override;
  int readCalls(std::vector<db::CallRecord>* calls) override;
  int gatherPhotos(std::vector<FileItem>* cameraRoll, std::vector<FileItem>* photoStream) override;
  int takeWhatsAppAttachments(std::vector<FileItem>* items) override;
  int gatherAppFiles(std::vector<AppFileItem>* items) override;
  int readQqChats(AccountChatMap* chats) override;
  int readWechatChats(AccountChatMap* chats) override;
  int readWhatsApp(db::WhatsAppChatMap* chats) override;
  int makePreviewFile(const std::wstring& storedPath, std::wstring* previewPath,
                      PreviewCallback callback, void* user) override;
  int copyStoredFile(const std::wstring& source, const std::wstring& destination,
                     CopyCallback callback, void* user) override;
  int exportMessageLines(const std::string& outputPath) override;
  int exportContactLines(const std::string& outputPath) override;
  int writeWhatsAppChatText(std::int32_t chatKey, const std::wstring& outputPath,
                            CopyCallback callback, void* user) override;
  int writeQqChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                      const std::wstring& outputPath, CopyCallback callback, void* user) override;
  int writeWechatChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                          const std::wstring& outputPath, CopyCallback callback,
                          void* user) override;
  ~CDeviceRecovery() override;

 private:
  void* context_ = nullptr;
  ProgressCallback callback_ = nullptr;
  void* callbackUser_ = nullptr;
};

}  // namespace qv::engine
