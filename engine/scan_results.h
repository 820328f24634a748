// What one scan found, held by whoever runs the scan (the scan page, the CLI): the containers a
// recovery source fills, and each category's list in display order, built when its step ends.
//
// Display order and counts, as the category tree and the item list show them:
//   Messages        one row per conversation: a copy of its latest message, marked deleted when
//                   any message of the conversation is; deleted rows first
//   WhatsApp        one row per chat, built the same way, in chat order
//   Contacts, Notes deleted records first
//   Call History    by date text, newest first, then deleted records first
//   App Photos / App Videos   the app files split by the extension of their names (picture list:
//                   photos; sound and video lists: videos; anything else: photos), grouped by app
// Every reordering is stable. A category's size counts every item as at least 1024 bytes, and
// a database record as 1024, as the selection statistics do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/message_reader.h"
#include "db/records.h"
#include "engine/items.h"

namespace qv::engine {

// App name -> that app's files, in name order.
using AppFileMap = std::map<std::wstring, std::vector<AppFileItem>>;

// Smallest size an item counts with in the statistics.
constexpr std::uint64_t kMinItemBytes = 1024;

struct ScanResults {
  std::vector<FileItem> cameraRoll;
  std::vector<FileItem> photoStream;
  std::vector<AppFileItem> appFiles;  // as the app-file walk returned them
  AppFileMap appPhotos;
  AppFileMap appVideos;
  db::ConversationMap conversations;
  std::vector<db::MessageRecord> messageRows;
  std::vector<FileItem> messageAttachments;
  std::vector<db::ContactRecord> contacts;
  std::vector<db::CallRecord> calls;
  std::vector<db::NoteRecord> notes;
  db::WhatsAppChatMap whatsappChats;
  std::vector<db::ChatRecord> chatRows;
  std::vector<FileItem> whatsappAttachments;

  void clear();
};

// Builds the list rows of Messages and WhatsApp from their maps.
void buildMessageRows(ScanResults* results);
void buildChatRows(ScanResults* results);
// Puts contacts, notes and calls into display order.
void orderContacts(ScanResults* results);
void orderNotes(ScanResults* results);
void orderCalls(ScanResults* results);
// Splits the app files into App Photos and App Videos.
void splitAppFiles(ScanResults* results);

// Which of the two app categories an app file's name belongs to.
ItemCategory appCategoryOf(const std::wstring& name);

struct CategorySummary {
  std::size_t items = 0;    // rows of the category's list (app files for App Photos/Videos)
  std::size_t deleted = 0;  // rows marked deleted
  std::uint64_t bytes = 0;  // the statistics' size
};

CategorySummary summarize(const ScanResults& results, ItemCategory category);

}  // namespace qv::engine
