// The records the database readers return: plain values of integers and wide texts. Every
// record begins with the deleted marker: 0 for a live row ("Normal"), 1 for a row from a
// freelist page or carved from free space ("Deleted").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv::db {

// One message of sms.db.
struct MessageRecord {
  std::uint32_t deleted = 0;
  std::int32_t fromMe = 0;  // 1 when the sent-by-owner flag holds the constant 1
  std::uint32_t rowId = 0;  // low 32 bits of the row id; 0 for carved rows
  std::int32_t handleId = 0;
  std::wstring date;
  std::wstring address;  // the handle's phone number or e-mail address
  std::wstring contactName;
  std::wstring text;
  std::wstring attachment;  // file name of the first attachment joined to the message
};

// One person of the address book.
struct ContactRecord {
  std::uint32_t deleted = 0;
  std::wstring email;
  std::wstring address;
  std::wstring social;
  std::wstring url;
  std::wstring phone;
  std::wstring company;
  std::wstring name;
};

// One call of the call history.
struct CallRecord {
  std::uint32_t deleted = 0;
  std::uint32_t incoming = 0;
  std::uint32_t duration = 0;  // seconds; 0 is a missed (incoming) or cancelled call
  std::wstring date;
  std::wstring number;
  std::wstring name;
};

// One note.
struct NoteRecord {
  std::uint32_t deleted = 0;
  std::uint32_t id = 0;
  std::wstring date;
  std::wstring title;
  std::wstring content;
  std::uint32_t locked = 0;  // 1: locked with a password; the content then says so
};

// One WhatsApp message.
struct ChatRecord {
  std::uint32_t deleted = 0;
  std::uint32_t fromMe = 0;
  std::uint32_t rowId = 0;
  std::int32_t conversationId = -1;
  std::int32_t memberId = 0;
  std::int32_t mediaId = 0;
  std::wstring date;
  std::wstring senderName;
  std::wstring text;
  std::wstring senderNumber;
  std::wstring memberNames;
  std::wstring memberNumbers;
  std::wstring partnerName;
  std::wstring spareText;
};

// One QQ or WeChat message.
struct ChatRow {
  std::uint32_t deleted = 0;
  std::uint32_t sent = 0;
  std::uint32_t rowId = 0;
  std::wstring date;
  std::wstring spare1;
  std::wstring text;
  std::wstring spare2;
};

// One WeChat friend.
struct FriendRow {
  std::uint32_t deleted = 0;
  std::int32_t type = 0;
  std::wstring userName;
  std::wstring nickname;
};

// WhatsApp conversations: conversation id -> its messages in date order.
using WhatsAppChatMap = std::map<std::int32_t, std::vector<ChatRecord>>;
// QQ and WeChat conversations: the friend's user name or QQ number ("Unknown" for deleted rows
// whose conversation is not known) -> its messages in date order.
using ChatRowMap = std::map<std::wstring, std::vector<ChatRow>>;

}  // namespace qv::db
