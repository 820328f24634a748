// The print page: the checked records of one category as one HTML page, built from the
// template "Print.html" (head, one block per record, tail), for the print window's browser or
// the CLI. Blocks, each "<div>\r\n" ... "</div>\r\n", one "<p>" line per field:
//   Messages      per message of each checked conversation: To: or From: WHO, Date:, Content:
//                 (WHO is name + "(" + address + ")", or the address when the name is empty
//                 or "Unknown")
//   Contacts      Name:, Phone Number:, Company:, Email:, URL:
//   Call History  Name:, Phone Number:, Date:, Type: (Incoming/Outgoing), Duration:
//   Notes         Title:, Date:, Notes:
//   WhatsApp      per checked chat: Chats: partner, Name: members (or the row's sender name),
//                 Phone Number: numbers (or the row's sender number), Content:, then one
//                 "<p>" per message: "Me" or the sender name, " (" date "): " text
// Every value is HTML-escaped; message, note and address texts keep their lines. In
// deleted-only mode a list row that is not marked deleted is left out; deleted records carry no
// mark otherwise. Other categories add nothing.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "db/message_reader.h"
#include "db/records.h"
#include "export/statistics.h"

namespace qv::output {

// The lists a print reads: the scan's result lists in display order and its conversation maps.
struct PrintSources {
  const std::vector<db::MessageRecord>* messageRows = nullptr;  // one row per conversation
  const db::ConversationMap* conversations = nullptr;
  const std::vector<db::ContactRecord>* contacts = nullptr;
  const std::vector<db::CallRecord>* calls = nullptr;
  const std::vector<db::NoteRecord>* notes = nullptr;
  const std::vector<db::ChatRecord>* chatRows = nullptr;  // one row per chat
  const db::WhatsAppChatMap* chats = nullptr;
};

struct PrintRequest {
  int category = 0;          // category number of the statistics (5 Messages, 7 Contacts, ...)
  bool deletedOnly = false;  // the node's filter mode is "D"
  // Tested before each record and each message: when set the build stops and returns 2.
  const std::atomic<int>* cancel = nullptr;
  // Held for the whole build (the print window's close question pauses it by holding it).
  std::mutex* lock = nullptr;
};

// Appends the blocks of the request's category to *body: 0, or 2 when cancelled (*body then
// holds what was built).
int buildPrintBody(const PrintRequest& request, const PrintSources& sources,
                   const CStatisticsObj& statistics, std::string* body);

// Reads "Print.html": head before "{|content|}", tail after it. A template that cannot be read
// or has no "{|content|}" leaves both empty (the page then holds the blocks alone); returns
// what reading gave.
int loadPrintTemplate(const std::string& path, std::string* head, std::string* tail);

// Writes head + body + tail to the page path, creating its folder: 0 or the system's code.
int writePrintPage(const std::string& path, const std::string& head, const std::string& body,
                   const std::string& tail);

}  // namespace qv::output
