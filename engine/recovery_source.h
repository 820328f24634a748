// A recovery source: the object that opens one backup (or one connected device), walks its files
// and fills the content categories. The scan, the preview and the export job reach a source only
// through this interface.
//
// The operations keep a fixed order (slots 0 to 23); each line below names the slot. Results are
// the project's codes (platform/result.h): 0, 2 when the callback asked to stop, -1 when the
// source could not start, -110 for a wrong password, 87 for a missing or unusable file, or a
// reader's own code. The caller owns every container handed in.
//
// Slots 2, 3, 13, 14, 16 and 20 to 22 have no caller in the scan or the export; the preview
// calls the engine's makePreviewFile directly. The factory that makes sources is
// source_factory.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/message_reader.h"
#include "db/records.h"
#include "engine/items.h"
#include "engine/progress.h"

namespace qv::engine {

class IPhoneRecoveryParse {
 public:
  // 0: remembers the context (the engine for a local backup, the device context for a device).
  virtual int attach(void* context) = 0;
  // 1: keeps the callback and its user value for every later report. 0.
  virtual int setCallback(ProgressCallback callback, void* user) = 0;
  // 2 and 3: queries that nothing asks; a local source answers false and true.
  virtual bool queryA(std::intptr_t value) = 0;
  virtual bool queryB(std::intptr_t value) = 0;
  // 4: opens the backup (empty password for a plain one). Every later slot needs it first.
  virtual int open(const std::wstring& password) = 0;
  // 5: messages, one list per conversation (handle id).
  virtual int readMessages(db::ConversationMap* conversations) = 0;
  // 6: message attachments.
  virtual int gatherMessageAttachments(std::vector<FileItem>* items) = 0;
  // 7: the address book.
  virtual int readContacts(std::vector<db::ContactRecord>* contacts) = 0;
  // 8: notes.
  virtual int readNotes(std::vector<db::NoteRecord>* notes) = 0;
  // 9: the call history.
  virtual int readCalls(std::vector<db::CallRecord>* calls) = 0;
  // 10: Camera Roll and Photo Stream.
  virtual int gatherPhotos(std::vector<FileItem>* cameraRoll,
                           std::vector<FileItem>* photoStream) = 0;
  // 11: the WhatsApp attachments that the app-file walk (slot 12) of this scan gathered.
  virtual int takeWhatsAppAttachments(std::vector<FileItem>* items) = 0;
  // 12: app media; WhatsApp's are kept for slot 11.
  virtual int gatherAppFiles(std::vector<AppFileItem>* items) = 0;
  // 13 and 14: QQ and WeChat chats of every account in the backup.
  virtual int readQqChats(AccountChatMap* chats) = 0;
  virtual int readWechatChats(AccountChatMap* chats) = 0;
  // 15: WhatsApp chats.
  virtual int readWhatsApp(db::WhatsAppChatMap* chats) = 0;
  // 16: copies a stored file to the preview file its type calls for; *previewPath names it.
  virtual int makePreviewFile(const std::wstring& storedPath, std::wstring* previewPath,
                              PreviewCallback callback, void* user) = 0;
  // 17: copies a stored file out to the destination.
  virtual int copyStoredFile(const std::wstring& source, const std::wstring& destination,
                             CopyCallback callback, void* user) = 0;
  // 18 and 19: the message and address-book rows as value lines, appended to the file (UTF-8
  // path).
  virtual int exportMessageLines(const std::string& outputPath) = 0;
  virtual int exportContactLines(const std::string& outputPath) = 0;
  // 20 to 22: one chat as text.
  virtual int writeWhatsAppChatText(std::int32_t chatKey, const std::wstring& outputPath,
                                    CopyCallback callback, void* user) = 0;
  virtual int writeQqChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                              const std::wstring& outputPath, CopyCallback callback,
                              void* user) = 0;
  virtual int writeWechatChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                                  const std::wstring& outputPath, CopyCallback callback,
                                  void* user) = 0;
  // 23: the owner destroys a source through this.
  virtual ~IPhoneRecoveryParse() = default;
};

}  // namespace qv::engine
