// The documents of a recovery: the rows of the contacts, call-history and notes documents, and
// the page, text file and CSV file of one message conversation or WhatsApp chat.
//
// Table rows, each cell "<td>" + value + "</td>", a row "\t<tr>" + cells + "</tr>\r\n":
//   contact  name, phone (one number per line, shown as lines), email (line ends kept),
//            address (shown as lines), url, social, company
//   call     name, number, date, "Incoming" / "Outgoing", the duration text ("Missed" for an
//            incoming and "Canceled" for an outgoing call of 0 seconds)
//   note     title, date, content (shown as lines)
// Message blocks of a page, one per message:
//   <div class="date">Date: DATE LABEL:</div>\r\n<div class="CLASS">TEXT</div>\r\n
// where LABEL is "Me" for a sent message, else the sender's name (its address when the name is
// empty or "Unknown"), and CLASS is send_msg / recv_msg, or del_send_msg / del_recv_msg for a
// deleted message. Text files (UTF-8 with a byte-order mark, CR LF line ends) hold per message
//   "        To: WHO" or "      From: WHO", "      Data: DATE", "   Content: TEXT", empty line
// (labels right-aligned in 10 columns; WHO is name + "(" + address + ")", or the address alone
// when the name is empty or "Unknown"); deleted messages carry no mark there or in the CSV.
// Chat CSV: the line "Chats,Name/Phone,Date,Type,Content", then per message sender name,
// sender number, date, "Send" / "Received", text, each field quoted when it needs it.
// Every value is escaped for its format (markup.h).
//
// Pages, text and CSV files are written message by message into a PendingFile
// (platform/pending_file.h), in pieces of 64 KiB whatever the conversation's length, and
// appear under their name only when complete; a name taken meanwhile gives the next number,
// nothing is replaced. A failure or a stop leaves nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/records.h"

namespace qv::output {

std::string contactRow(const db::ContactRecord& contact);
std::string callRow(const db::CallRecord& call);
std::string noteRow(const db::NoteRecord& note);

// "Incoming" or "Outgoing".
const wchar_t* callDirection(const db::CallRecord& call);
// The duration text, or "Missed" / "Canceled" for a call of 0 seconds.
std::wstring callDurationText(const db::CallRecord& call);

// Writes head + body + tail to path (whose folder must exist), replacing a file there: 0 or
// the system's code. The file is written under a temporary name and renamed into place, so it
// is whole or absent.
int writeDocument(const std::string& path, const std::string& head, const std::string& body,
                  const std::string& tail);

// One message of a conversation or chat, as the writers see it.
struct MessageView {
  bool deleted = false;
  bool fromMe = false;
  std::wstring_view date;
  std::wstring_view senderName;
  std::wstring_view senderAddress;  // phone number or address
  std::wstring_view text;
};

// The messages of one conversation or chat, viewed in place: a writer walks a conversation
// of any length without a copy of it.
class MessageList {
 public:
  MessageList() = default;
  explicit MessageList(const std::vector<db::MessageRecord>& messages) : messages_(&messages) {}
  explicit MessageList(const std::vector<db::ChatRecord>& messages) : chats_(&messages) {}
  std::size_t size() const;
  MessageView operator[](std::size_t i) const;

 private:
  const std::vector<db::MessageRecord>* messages_ = nullptr;
  const std::vector<db::ChatRecord>* chats_ = nullptr;
};
inline MessageList messageViews(const std::vector<db::MessageRecord>& messages) {
  return MessageList(messages);
}
inline MessageList chatViews(const std::vector<db::ChatRecord>& messages) {
  return MessageList(messages);
}

// Where a page reports how far it got: the job's copy callback in another shape.
class PageReporter {
 public:
  virtual ~PageReporter();
  // percent 0 to 100 (100: the page is finished), code 0 or the failure, the page's path;
  // answers 0 to go on, anything else to stop.
  virtual int report(int percent, int code, const std::string& path) = 0;
};

// The HTML page of one conversation: head (person line filled in), one block per message,
// tail. Reports after each message but the last with its percent; a report that answers
// non-zero stops the page, which is then discarded. Then reports once with 100, the result
// (0 when the page is whole and in place, the stopping answer, or the system's code of a page
// that could not be written) and the name it was published under (the path when it was not).
// A conversation without messages gives a page without blocks, reported the same way. Returns
// the result.
int writeConversationPage(const std::string& path, const std::string& head, const std::string& tail,
                          const MessageList& messages, PageReporter* reporter);

// The text file of a conversation or chat; 0 or the system's code. Reports nothing.
int writeConversationText(const std::string& path, const MessageList& messages);
// The CSV file of a chat; 0 or the system's code. Reports nothing.
int writeChatCsv(const std::string& path, const MessageList& messages);

// The folder part of a path ("" when it has none).
std::string parentFolder(const std::string& path);

}  // namespace qv::output
