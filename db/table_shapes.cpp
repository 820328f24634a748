#include "db/table_shapes.h"

#include "db/table_columns.h"
#include "db/varint.h"
#include "platform/ascii.h"

namespace qv::db {

namespace {

struct FixedWidth {
  const char* name;
  int columns;
};

constexpr FixedWidth kFixed[] = {
    {"message", kMessageWidth},
    {"ABPersonFullTextSearch_content", kContactsWidth},
    {"ZWAMESSAGE", kWhatsAppMessageWidth},
    {"ZNOTEBODY", 7},
    {"ZNOTE", 19},
    {"handle", 5},
    {"attachment", 9},
    {"message_attachment_join", 2},
    {"call", 13},
    {"Friend", 13},
    {"tb_c2cTables", 1},
    {"ZWACHATSESSION", 25},
    {"ZWAGROUPMEMBER", 13},
    {"ZWAMEDIAITEM", 24},
    {"ZCALLRECORD", 17},
    {"ZWACONTACT", 11},
    {"ZWAPHONE", 9},
};

constexpr std::size_t kGuidLength = 36;

}  // namespace

int knownTableWidth(std::string_view table) {
  for (const FixedWidth& f : kFixed) {
    if (platform::equalsNoCase(table, f.name)) return f.columns;
  }
  if (table.substr(0, 5) == "Chat_") return 9;
  if (table.substr(0, 9) == "tb_c2cMsg") return 50;
  return 0;
}

bool messageGuidLeads(const CarvedRecordView& record) {
  const std::size_t unit = record.utf16 ? 2 : 1;
  const std::uint64_t guidType = 13 + 2 * kGuidLength * unit;
  // Column 1 is the first serial type read, or the second after the row-id alias's NULL.
  const std::size_t at = record.firstColumn == 0 ? 1 : 0;
  if (record.typeCount <= at || record.types[at] != guidType) return false;
  const std::size_t guid =
      record.contentStart +
      (at == 1 ? static_cast<std::size_t>(serialTypeWidth(record.types[0])) : 0);
  if (guid > record.end || kGuidLength * unit > record.end - guid) return false;
  for (std::size_t i = 0; i < kGuidLength; ++i) {
    const std::uint8_t* ch = record.page + guid + i * unit;
    if (ch[0] == 0 && (unit == 1 || ch[1] == 0)) return false;
  }
  return true;
}

TableShape knownTableShape(std::string_view table) {
  TableShape shape;
  shape.width = knownTableWidth(table);
  if (table == "message") shape.accept = messageGuidLeads;
  return shape;
}

TableShape tableShape(const std::vector<SchemaEntry>& schema, std::string_view table) {
  TableShape shape = knownTableShape(table);
  const int declared = declaredColumnCount(schema, table);
  if (declared != 0) shape.width = declared;
  return shape;
}

}  // namespace qv::db
