// ChatStorage.sqlite as this reader uses it (a Core Data store; column positions are taken
// from each table's CREATE statement by name, the positions below being those of the 34-column
// message table, used when a statement cannot be read):
//
//   ZWAMESSAGE      12 ZISFROMME      constant 1 (or integer 1): sent by the owner
//                   19 ZCHATSESSION   -> ZWACHATSESSION row id
//                   20 ZGROUPMEMBER   -> ZWAGROUPMEMBER row id (group chats)
//                   22 ZMEDIAITEM     -> ZWAMEDIAITEM row id (tables of 29 columns or more)
//                   25 ZMESSAGEDATE   seconds since 2001-01-01, integer or double
//                   32 ZTEXT          UTF-8 text
//   ZWACHATSESSION  20 ZCONTACTJID    "<number>@s.whatsapp.net", "<id>@g.us" for groups
//                   23 ZPARTNERNAME   the partner's or group's name
//   ZWAGROUPMEMBER   7 ZCHATSESSION   -> ZWACHATSESSION row id
//                   10 ZCONTACTNAME   the member's name
//                   12 ZMEMBERJID     "<number>@s.whatsapp.net"
//   ZWAMEDIAITEM    18 ZTITLE         the text shown for a media message
//
// Column 0 of every table is Z_PK, the row-id alias, stored as NULL. The message table's
// column count (which the carver needs to rebuild a freed row's header) is the one its
// statement declares; SQLite stores the integers 0 and 1 as constants (serial types 8 and 9),
// so row references read both forms.
#include "db/whatsapp_reader.h"

#include <unordered_map>
#include <vector>

#include "db/column_dates.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "platform/result.h"

namespace qv::db {

namespace {

// The message width when the statement cannot be read, and the width from which a message
// table has the newer layout (with the media item reference).
constexpr int kDefaultMessageWidth = 23;
constexpr int kNewerLayoutWidth = 29;

struct MessageColumns {
  int fromMe = 12, session = 19, member = 20, media = 22, date = 25, text = 32;
};
struct SessionColumns {
  int jid = 20, partnerName = 23;
};
struct MemberColumns {
  int session = 7, name = 10, jid = 12;
};
struct MediaColumns {
  int title = 18;
};

struct Conversation {
  std::uint32_t deleted = 0;
  std::wstring partnerNumber;
  std::wstring partnerName;
  std::wstring memberNames;
  std::wstring memberNumbers;
};

struct Member {
  std::uint32_t deleted = 0;
  std::int64_t conversation = -1;
  std::wstring number;
  std::wstring name;
};

struct MediaItem {
  std::uint32_t deleted = 0;
  std::wstring text;
};

std::wstring conversationKey(const Conversation& c) {
  return fieldsKey(c.partnerNumber, c.partnerName);
}

std::wstring memberKey(const Member& m) {
  return fieldsKey(m.conversation, m.number, m.name);
}

std::wstring mediaKey(const MediaItem& m) {
  return fieldsKey(m.text);
}

std::wstring messageKey(const ChatRecord& m) {
  return fieldsKey(m.fromMe, m.conversationId, m.memberId, m.mediaId, m.date, m.text);
}

// The text before the first at sign; `whole` is returned when there is none.
std::wstring beforeAt(const std::wstring& jid, bool whole) {
  const std::size_t at = jid.find(L'@');
  if (at == std::wstring::npos) return whole ? jid : std::wstring();
  return jid.substr(0, at);
}

// Reads a taken text column; false when it fails the text tests (the row is dropped).
bool takeText(const RowColumns& cols, int column, std::wstring* out) {
  return cols.text(column, out) != RowColumns::Text::kBad;
}

// The message table's width by its statement (read through the write-ahead log, which the
// SQLite library's read-only handles cannot see); kQueryFailed when there is no such table;
// the width before any is known when its statement cannot be read.
int messageWidthOf(const std::vector<SchemaEntry>& schema, int* width) {
  if (!hasTable(schema, "ZWAMESSAGE")) return kQueryFailed;
  const int declared = declaredColumnCount(schema, "ZWAMESSAGE");
  *width = declared != 0 ? declared : kDefaultMessageWidth;
  return kOk;
}

class WhatsAppRead {
 public:
  explicit WhatsAppRead(int messageWidth) : messageWidth_(messageWidth) {}

  int run(const DatabaseFile& file, WhatsAppChatMap* chats);

 private:
  void choosePositions(const std::vector<SchemaEntry>& schema);
  int scanSessions();
  int scanMembers();
  int scanMedia();
  int scanMessages();
  void joinMembers();
  void joinMessages();

  SqlitePageReader reader_;
  int messageWidth_;
  MessageColumns messageCols_;
  SessionColumns sessionCols_;
  MemberColumns memberCols_;
  MediaColumns mediaCols_;
  std::vector<ScannedRow<Conversation>> conversations_;
  std::vector<ScannedRow<Member>> members_;
  std::vector<ScannedRow<MediaItem>> media_;
  std::vector<ScannedRow<ChatRecord>> messages_;
  LocalDates dates_;
};

void WhatsAppRead::choosePositions(const std::vector<SchemaEntry>& schema) {
  const TableLayout m = TableLayout::of(schema, "ZWAMESSAGE");
  messageCols_.fromMe = m.position({"ZISFROMME"}, 12);
  messageCols_.session = m.position({"ZCHATSESSION"}, 19);
  messageCols_.member = m.position({"ZGROUPMEMBER"}, 20);
  // Without a statement, only the newer layout is known to hold the media reference.
  messageCols_.media = m.position({"ZMEDIAITEM"}, messageWidth_ >= kNewerLayoutWidth ? 22 : -1);
  messageCols_.date = m.position({"ZMESSAGEDATE"}, 25);
  messageCols_.text = m.position({"ZTEXT"}, 32);
  const TableLayout s = TableLayout::of(schema, "ZWACHATSESSION");
  sessionCols_.jid = s.position({"ZCONTACTJID"}, 20);
  sessionCols_.partnerName = s.position({"ZPARTNERNAME"}, 23);
  const TableLayout g = TableLayout::of(schema, "ZWAGROUPMEMBER");
  memberCols_.session = g.position({"ZCHATSESSION"}, 7);
  memberCols_.name = g.position({"ZCONTACTNAME"}, 10);
  memberCols_.jid = g.position({"ZMEMBERJID"}, 12);
  mediaCols_.title = TableLayout::of(schema, "ZWAMEDIAITEM").position({"ZTITLE"}, 18);
}

// The tables are carved with the width table's widths; the message table with its declared
// width.
TableScan scanOf(const char* table) {
  TableScan scan;
  scan.shape = knownTableShape(table);
  return scan;
}

int WhatsAppRead::scanSessions() {
  auto decode = [this](SqlitePageReader& r, const RowImage& row, Conversation* c) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    std::wstring jid;
    if (!takeText(cols, sessionCols_.jid, &jid) ||
        !takeText(cols, sessionCols_.partnerName, &c->partnerName))
      return kInvalid;
    // Only an identifier with an at sign has a number before it.
    c->partnerNumber = beforeAt(jid, false);
    return kOk;
  };
  return scanRows(reader_, "ZWACHATSESSION", scanOf("ZWACHATSESSION"), decode, conversationKey,
                  &conversations_);
}

int WhatsAppRead::scanMembers() {
  auto decode = [this](SqlitePageReader& r, const RowImage& row, Member* m) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    std::uint32_t session = 0;
    if (cols.reference(memberCols_.session, &session)) m->conversation = session;
    std::wstring jid;
    if (!takeText(cols, memberCols_.jid, &jid) || !takeText(cols, memberCols_.name, &m->name))
      return kInvalid;
    m->number = beforeAt(jid, true);
    return kOk;
  };
  return scanRows(reader_, "ZWAGROUPMEMBER", scanOf("ZWAGROUPMEMBER"), decode, memberKey,
                  &members_);
}

int WhatsAppRead::scanMedia() {
  auto decode = [this](SqlitePageReader& r, const RowImage& row, MediaItem* m) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    return takeText(cols, mediaCols_.title, &m->text) ? kOk : kInvalid;
  };
  return scanRows(reader_, "ZWAMEDIAITEM", scanOf("ZWAMEDIAITEM"), decode, mediaKey, &media_);
}

int WhatsAppRead::scanMessages() {
  auto decode = [this](SqlitePageReader& r, const RowImage& row, ChatRecord* m) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    m->rowId = static_cast<std::uint32_t>(row.rowId);
    std::int64_t v = 0;
    if (cols.integer(messageCols_.fromMe, &v) && v == 1) m->fromMe = 1;
    std::uint32_t id = 0;
    if (cols.reference(messageCols_.session, &id))
      m->conversationId = static_cast<std::int32_t>(id);
    if (cols.reference(messageCols_.member, &id)) m->memberId = static_cast<std::int32_t>(id);
    if (cols.reference(messageCols_.media, &id)) m->mediaId = static_cast<std::int32_t>(id);
    m->date = columnDate(cols, messageCols_.date, DateForm::kAppleSeconds, dates_);
    return takeText(cols, messageCols_.text, &m->text) ? kOk : kInvalid;
  };
  TableScan scan = scanOf("ZWAMESSAGE");
  scan.shape.width = messageWidth_;
  auto sink = collectRows<ChatRecord>(decode, &messages_);
  int rc = reader_.ScanTable("ZWAMESSAGE", scan, &sink);
  if (rc == kOk) rc = reader_.ScanEmptyFreelistPages(scan.shape, &sink);
  dropLeftoverCopies(&messages_, messageKey);
  return rc;
}

// Each conversation lists its members: numbers and names, comma-separated, in member order.
void WhatsAppRead::joinMembers() {
  std::unordered_map<std::int64_t, std::vector<const Member*>> byConversation;
  for (const auto& m : members_) byConversation[m.record.conversation].push_back(&m.record);
  for (auto& scanned : conversations_) {
    // A carved conversation's row id is unknown (0): no member refers to it.
    if (scanned.rowId == 0) continue;
    Conversation& c = scanned.record;
    auto it = byConversation.find(scanned.rowId);
    if (it == byConversation.end()) continue;
    bool first = true;
    for (const Member* m : it->second) {
      if (first) {
        c.memberNumbers = m->number;
        c.memberNames = m->name;
        first = false;
        continue;
      }
      c.memberNumbers += L',';
      c.memberNumbers += m->number;
      if (!m->name.empty()) {
        c.memberNames += L',';
        c.memberNames += m->name;
      }
    }
  }
}

void WhatsAppRead::joinMessages() {
  // The first row of each id is the one a message joins with; carved rows (id 0) join none.
  std::unordered_map<std::int32_t, const Conversation*> conversationById;
  for (const auto& c : conversations_) {
    if (c.rowId != 0) conversationById.emplace(static_cast<std::int32_t>(c.rowId), &c.record);
  }
  std::unordered_map<std::int32_t, const Member*> memberById;
  for (const auto& m : members_) {
    if (m.rowId != 0) memberById.emplace(static_cast<std::int32_t>(m.rowId), &m.record);
  }
  std::unordered_map<std::int32_t, const MediaItem*> mediaById;
  for (const auto& m : media_) {
    if (m.rowId != 0) mediaById.emplace(static_cast<std::int32_t>(m.rowId), &m.record);
  }

  for (auto& scanned : messages_) {
    ChatRecord& m = scanned.record;
    auto conv = conversationById.find(m.conversationId);
    if (conv != conversationById.end()) {
      const Conversation& c = *conv->second;
      m.senderNumber = c.partnerNumber;
      m.senderName = c.partnerName;
      m.partnerName = c.partnerName;
      m.memberNumbers = c.memberNumbers.empty() ? c.partnerNumber : c.memberNumbers;
      m.memberNames = c.memberNames.empty() ? c.partnerName : c.memberNames;
      if (m.fromMe == 1) {
        m.senderName = L"Me";
        m.senderNumber.clear();
      } else if (m.memberId != 0) {
        auto member = memberById.find(m.memberId);
        if (member != memberById.end()) {
          m.senderName = member->second->name;
          m.senderNumber = member->second->number;
        }
      }
    }
    if (m.mediaId != 0 && m.text.empty()) {
      auto item = mediaById.find(m.mediaId);
      if (item != mediaById.end()) m.text = item->second->text;
    }
  }
}

int WhatsAppRead::run(const DatabaseFile& file, WhatsAppChatMap* chats) {
  int rc = reader_.Open(file);
  if (rc != kOk) return rc;
  const std::vector<SchemaEntry> schema = readSchemaOf(reader_);
  rc = messageWidthOf(schema, &messageWidth_);
  if (rc != kOk) return rc;
  // A damaged schema leaves the fixed positions.
  choosePositions(schema);

  rc = scanMedia();
  if (rc == kOk) rc = scanSessions();
  if (rc == kOk) rc = scanMembers();
  if (rc != kOk) return rc;
  joinMembers();
  rc = scanMessages();
  if (rc != kOk) return rc;
  joinMessages();

  std::vector<ChatRecord> shown;
  shown.reserve(messages_.size());
  for (auto& m : messages_) {
    if (!m.record.text.empty()) shown.push_back(std::move(m.record));
  }
  sortByDate(&shown);
  for (ChatRecord& m : shown) {
    const std::int32_t id = m.conversationId;
    (*chats)[id].push_back(std::move(m));
  }
  return kOk;
}

}  // namespace

int whatsAppMessageWidth(const DatabaseFile& file, int* width) {
  SqlitePageReader reader;
  const int rc = reader.Open(file);
  if (rc != kOk) return rc;
  return messageWidthOf(readSchemaOf(reader), width);
}

int ReadWhatsApp(const DatabaseFile& file, WhatsAppChatMap* chats) {
  WhatsAppRead read(kDefaultMessageWidth);
  return read.run(file, chats);
}

}  // namespace qv::db
