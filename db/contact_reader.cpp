#include "db/contact_reader.h"

#include <algorithm>

#include "db/person_name.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "db/varint.h"
#include "platform/ascii.h"
#include "platform/result.h"

namespace qv::db {

namespace {

const char kContactsTable[] = "ABPersonFullTextSearch_content";

// The content table names its columns "c<k><Field>" ('c0First', 'c16Phone'): the field after
// the number says what a column holds, wherever the version put it.
struct ContactColumns {
  int first, last, company, phone, email, address, social, url;
};

int fieldColumn(const TableLayout& table, std::string_view field, int fallback) {
  if (!table.known()) return fallback;
  for (std::size_t i = 0; i < table.columns().size(); ++i) {
    std::string_view name = table.columns()[i].name;
    if (name.empty() || platform::asciiLower(name[0]) != 'c') continue;
    std::size_t digits = 1;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
    if (digits > 1 && platform::equalsNoCase(name.substr(digits), field))
      return static_cast<int>(i);
  }
  return -1;
}

// By name; without a statement, the layout the version flag names (24 or 25 columns, or 26
// from iOS 10 on, where OrganizationPhonetic moved the later fields one column on).
ContactColumns columnsFor(const TableLayout& table, int versionFlag) {
  const int shift = versionFlag != 0 ? 1 : 0;
  return {fieldColumn(table, "First", 1),
          fieldColumn(table, "Last", 2),
          fieldColumn(table, "Organization", 7),
          fieldColumn(table, "Phone", 16 + shift),
          fieldColumn(table, "Email", 17 + shift),
          fieldColumn(table, "Address", 18 + shift),
          fieldColumn(table, "SocialProfile", 19 + shift),
          fieldColumn(table, "URL", 20 + shift)};
}

bool hasControlCharacter(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < L' '; });
}

// The contact decoder and what it learns from the cells it is handed: the highest row id and,
// for a table whose statement gives no width, the width of the last cell's header.
class ContactDecoder {
 public:
  explicit ContactDecoder(const ContactColumns& columns) : cols_(columns) {}

  // Learns the width from the serial-type bytes of the live and freelist cells: more than 25
  // bytes mean the 25-column layout (the carving waits for them: TableScan::learnt).
  void learnWidth(TableShape* shape) { learning_ = shape; }
  std::uint64_t maxRowId() const { return maxRowId_; }

  int decode(SqlitePageReader& reader, const RowImage& image, ContactRecord* out);

 private:
  ContactColumns cols_;
  TableShape* learning_ = nullptr;
  std::uint64_t maxRowId_ = 0;
};

int ContactDecoder::decode(SqlitePageReader& reader, const RowImage& image, ContactRecord* out) {
  if (!image.carvedLayout) {
    std::uint64_t headerSize = 0;
    const std::size_t h = readVarint(image.data, image.size, &headerSize);
    if (learning_ != nullptr && h != 0 && headerSize >= h && headerSize - h < 0x7fffffff)
      learning_->width = headerSize - h > 25 ? 25 : kContactsWidth;
    if (image.rowId > 0 && static_cast<std::uint64_t>(image.rowId) > maxRowId_)
      maxRowId_ = static_cast<std::uint64_t>(image.rowId);
  }
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  ContactRecord& c = *out;
  c = ContactRecord();
  std::wstring first, last;
  for (const RecordColumn& col : row.record().columns) {
    if (col.serialType < 13 || col.serialType % 2 == 0) continue;
    std::wstring text;
    if (row.text(col.column, &text) != RowColumns::Text::kGood) return kInvalid;
    const int n = col.column;
    if (n == cols_.first)
      first = std::move(text);
    else if (n == cols_.last)
      last = std::move(text);
    else if (n == cols_.company)
      c.company = std::move(text);
    else if (n == cols_.phone)
      c.phone = std::move(text);
    else if (n == cols_.email)
      c.email = std::move(text);
    else if (n == cols_.address)
      c.address = std::move(text);
    else if (n == cols_.social)
      c.social = std::move(text);
    else if (n == cols_.url)
      c.url = std::move(text);
  }
  if (hasControlCharacter(c.phone)) return kInvalid;
  c.name = fullName(first, last);
  return kOk;
}

std::wstring contactKey(const ContactRecord& c) {
  return fieldsKey(c.email, c.address, c.social, c.url, c.phone, c.company, c.name);
}

}  // namespace

int ScanContacts(SqlitePageReader& reader, int versionFlag, std::vector<ContactRecord>* out,
                 std::uint64_t* maxRowId) {
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  ContactDecoder decoder(columnsFor(TableLayout::of(schema, kContactsTable), versionFlag));
  TableScan scan;
  scan.shape = tableShape(schema, kContactsTable);
  TableShape learnt = scan.shape;
  if (declaredColumnCount(schema, kContactsTable) == 0) {
    scan.learnt = &learnt;
    decoder.learnWidth(&learnt);
  }
  std::vector<ScannedRow<ContactRecord>> rows;
  const int rc = scanRows(
      reader, kContactsTable, scan,
      [&decoder](SqlitePageReader& r, const RowImage& image, ContactRecord* record) {
        return decoder.decode(r, image, record);
      },
      contactKey, &rows);
  out->reserve(out->size() + rows.size());
  for (auto& r : rows) out->push_back(std::move(r.record));
  if (maxRowId != nullptr && decoder.maxRowId() > *maxRowId) *maxRowId = decoder.maxRowId();
  return rc;
}

std::wstring distinctPhoneNumbers(const std::wstring& phoneText) {
  std::wstring out;
  std::wstring lastTail;
  bool any = false;
  std::size_t start = 0;
  for (std::size_t space = phoneText.find(L' '); space != std::wstring::npos;
       start = space + 1, space = phoneText.find(L' ', start)) {
    const std::wstring token = phoneText.substr(start, space - start);
    if (token.size() < 7) continue;
    const std::wstring tail = token.substr(token.size() - 4);
    if (any && tail.compare(0, 2, lastTail, 0, 2) == 0) continue;
    if (any) out += L'\n';
    out += token;
    lastTail = tail;
    any = true;
  }
  return out;
}

int ReadContacts(const DatabaseFile& addressBook, int versionFlag,
                 std::vector<ContactRecord>* contacts, std::uint64_t* maxContactRowId) {
  SqlitePageReader reader;
  const int rc = reader.Open(addressBook);
  if (rc != kOk) return rc;
  std::vector<ContactRecord> scanned;
  std::uint64_t maxRowId = 0;
  // A damaged page ends the scan; the persons read before it are still the answer.
  ScanContacts(reader, versionFlag, &scanned, &maxRowId);
  std::vector<ContactRecord> kept;
  for (ContactRecord& c : scanned) {
    // A person known only by an e-mail address, a postal address or a company is still a
    // contact; a row that holds nothing at all is none.
    if (c.phone.empty() && c.name.empty() && c.company.empty() && c.email.empty() &&
        c.address.empty() && c.social.empty() && c.url.empty())
      continue;
    if (c.name.empty()) c.name = L"No Name";
    c.phone = distinctPhoneNumbers(c.phone);
    kept.push_back(std::move(c));
  }
  stableSortByText(&kept, [](const ContactRecord& c) -> const std::wstring& { return c.name; });
  *contacts = std::move(kept);
  *maxContactRowId = maxRowId;
  return rc;
}

}  // namespace qv::db
