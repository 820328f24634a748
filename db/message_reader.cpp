#include "db/message_reader.h"

#include <algorithm>
#include <unordered_map>

#include "db/contact_reader.h"
#include "db/message_row.h"
#include "db/phone_lookup.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "platform/result.h"

namespace qv::db {

namespace {

struct HandleRow {
  std::uint32_t deleted = 0;
  std::wstring address;
};

struct AttachmentRow {
  std::uint32_t deleted = 0;
  std::uint32_t messageId = 0;  // filled by the join
  std::wstring fileName;
};

struct JoinRow {
  std::uint32_t deleted = 0;
  std::uint32_t attachmentId = 0;
  std::uint32_t messageId = 0;
};

std::wstring messageKey(const MessageRecord& m) {
  return fieldsKey(m.fromMe, m.handleId, m.date, m.text);
}

// The join table's two references, by name.
struct JoinColumns {
  int message = 0, attachment = 1;
  bool hasAlias = false;
};

auto joinDecoder(const TableLayout& table) {
  JoinColumns c;
  c.message = table.position({"message_id"}, c.message);
  c.attachment = table.position({"attachment_id"}, c.attachment);
  c.hasAlias = table.rowIdAlias() >= 0;
  return [c](SqlitePageReader& reader, const RowImage& image, JoinRow* out) {
    // Without a row-id alias the first column is stored: a carved record whose first serial
    // type was overwritten would read the message id as the attachment id.
    if (!c.hasAlias && image.carvedLayout && image.firstColumn != 0) return kInvalid;
    RowColumns row;
    int rc = row.load(image, reader.textEncoding());
    if (rc != kOk) return rc;
    row.reference(c.message, &out->messageId);
    row.reference(c.attachment, &out->attachmentId);
    return kOk;
  };
}

// Every text-bearing row of handle or attachment keeps its text; rows without a usable text
// are of no use to the joins.
template <class Row>
auto namedDecoder(int column, std::wstring Row::*text) {
  return [column, text](SqlitePageReader& reader, const RowImage& image, Row* out) {
    RowColumns row;
    const int rc = row.load(image, reader.textEncoding());
    if (rc != kOk) return rc;
    return row.text(column, &(out->*text)) == RowColumns::Text::kGood ? kOk : kInvalid;
  };
}

class ProgressReporter {
 public:
  explicit ProgressReporter(const ReadProgress& p) : p_(p) {}
  // Reports base + step / divisor; the callback's answer (0: go on).
  int report(std::uint32_t divisor) const {
    if (p_.callback == nullptr) return 0;
    return p_.callback(p_.user, p_.base + p_.step / divisor);
  }

 private:
  const ReadProgress& p_;
};

}  // namespace

int ReadMessages(const DatabaseFile& sms, const DatabaseFile& addressBook,
                 ConversationMap* conversations, const ReadProgress& progress,
                 std::uint64_t* maxMessageRowId) {
  const ProgressReporter reporter(progress);
  SqlitePageReader reader;
  int result = reader.Open(sms);
  // The messages, by conversation as they are read: each conversation is sorted and moved to
  // the caller on its own, so no list of every message is held beside the conversations.
  std::unordered_map<std::int32_t, std::vector<ScannedRow<MessageRecord>>> byHandle;
  std::vector<ScannedRow<HandleRow>> handles;
  std::vector<ScannedRow<AttachmentRow>> attachments;
  std::vector<ScannedRow<JoinRow>> joins;
  std::vector<ContactRecord> contacts;
  LocalDates dates;

  // Each step runs only while everything before it succeeded; the last report always goes.
  auto run = [&]() -> int {
    if (result != kOk) return result;
    const std::vector<SchemaEntry> schema = readSchemaOf(reader);
    auto scanOf = [&schema](const char* table) {
      TableScan scan;
      scan.shape = tableShape(schema, table);
      return scan;
    };

    // A damaged page ends one table's scan; the rows read before it are used.
    MessageDecoder decoder(dates, MessageColumns::of(TableLayout::of(schema, "message")));
    TableScan messageScan = scanOf("message");
    TableShape learnt = messageScan.shape;
    if (declaredColumnCount(schema, "message") == 0) {
      messageScan.learnt = &learnt;
      decoder.learnWidth(&learnt);
    }
    auto messageSink = makeSink([&decoder, &byHandle](SqlitePageReader& r, const RowImage& image) {
      ScannedRow<MessageRecord> row;
      const int rc = decoder.decode(r, image, &row.record);
      if (rc != kOk) return rc;
      row.record.deleted = image.deleted;
      row.rowId = static_cast<std::uint32_t>(image.rowId);
      byHandle[row.record.handleId].push_back(std::move(row));
      return kOk;
    });
    reader.ScanTable("message", messageScan, &messageSink);
    // A leftover copy has its row's handle, so the copies are found within each conversation.
    for (auto& conversation : byHandle) dropLeftoverCopies(&conversation.second, messageKey);
    if (int answer = reporter.report(5)) return answer;
    *maxMessageRowId = decoder.maxRowId();
    scanRows(
        reader, "handle", scanOf("handle"),
        namedDecoder(TableLayout::of(schema, "handle").position({"id"}, 1), &HandleRow::address),
        [](const HandleRow& h) { return fieldsKey(h.address); }, &handles);
    if (int answer = reporter.report(4)) return answer;
    scanRows(
        reader, "attachment", scanOf("attachment"),
        namedDecoder(TableLayout::of(schema, "attachment").position({"filename"}, 4),
                     &AttachmentRow::fileName),
        [](const AttachmentRow& a) { return fieldsKey(a.fileName); }, &attachments);
    if (int answer = reporter.report(3)) return answer;
    scanRows(
        reader, "message_attachment_join", scanOf("message_attachment_join"),
        joinDecoder(TableLayout::of(schema, "message_attachment_join")),
        [](const JoinRow& j) { return fieldsKey(j.messageId, j.attachmentId); }, &joins);
    if (int answer = reporter.report(2)) return answer;

    // Without a readable address book (a tablet, an enciphered or missing file) the messages
    // are still listed, only without contact names: losing every conversation for want of
    // names would hide what the user came for.
    if (reader.Open(addressBook) == kOk) ScanContacts(reader, 0, &contacts);
    return reporter.report(1);
  };
  result = run();
  if (result == kOk) {
    // Attachments: the first join row naming an attachment gives it its message.
    std::unordered_map<std::uint32_t, std::uint32_t> messageOfAttachment;
    for (const auto& j : joins)
      messageOfAttachment.emplace(j.record.attachmentId, j.record.messageId);
    // Messages: the first attachment naming a message gives it its file name. Carved rows
    // carry no row id and take part in neither join.
    std::unordered_map<std::uint32_t, const std::wstring*> fileOfMessage;
    for (auto& a : attachments) {
      if (a.rowId == 0) continue;
      auto it = messageOfAttachment.find(a.rowId);
      if (it == messageOfAttachment.end()) continue;
      a.record.messageId = it->second;
      if (a.record.messageId != 0) fileOfMessage.emplace(a.record.messageId, &a.record.fileName);
    }
    std::unordered_map<std::uint32_t, const std::wstring*> addressOfHandle;
    for (const auto& h : handles) {
      if (h.rowId != 0) addressOfHandle.emplace(h.rowId, &h.record.address);
    }
    std::vector<const std::wstring*> phones;
    phones.reserve(contacts.size());
    for (const ContactRecord& c : contacts) phones.push_back(&c.phone);
    PhoneLookup lookup(phones);

    for (auto& conversation : byHandle) {
      for (auto& scanned : conversation.second) {
        MessageRecord& m = scanned.record;
        m.address.clear();
        m.contactName.clear();
        m.attachment.clear();
        auto h = addressOfHandle.find(static_cast<std::uint32_t>(m.handleId));
        if (h != addressOfHandle.end()) m.address = *h->second;
        if (!m.address.empty()) {
          const long at = lookup.firstContaining(m.address);
          if (at >= 0) m.contactName = contacts[static_cast<std::size_t>(at)].name;
        }
        if (m.rowId != 0) {
          auto f = fileOfMessage.find(m.rowId);
          if (f != fileOfMessage.end()) m.attachment = *f->second;
        }
      }
    }
    // Each message moves once, in date order, into its conversation, and each conversation's
    // list is given back as soon as it has moved: the memory of one list serves the next.
    for (auto& conversation : byHandle) {
      std::vector<ScannedRow<MessageRecord>>& rows = conversation.second;
      const std::vector<std::uint32_t> order = sortedOrder(
          rows,
          [](const ScannedRow<MessageRecord>& m) -> const std::wstring& { return m.record.date; });
      std::vector<MessageRecord>& list = (*conversations)[conversation.first];
      list.reserve(list.size() + rows.size());
      for (std::uint32_t i : order) list.push_back(std::move(rows[i].record));
      std::vector<ScannedRow<MessageRecord>>().swap(rows);
    }
  }
  if (progress.callback != nullptr) progress.callback(progress.user, progress.base + progress.step);
  return result;
}

}  // namespace qv::db
