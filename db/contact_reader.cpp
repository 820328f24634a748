#include "db/contact_reader.h"

#include <algorithm>

#include "db/app_row.h"
#include "db/leftover_copies.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

const char kContactsTable[] = "ABPersonFullTextSearch_content";

struct ContactColumns {
  int phone, email, address, social, url;
};

ContactColumns columnsFor(int versionFlag) {
  if (versionFlag != 0) return {17, 18, 19, 20, 21};
  return {16, 17, 18, 19, 20};
}

bool hasControlCharacter(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < L' '; });
}

int decodeContact(SqlitePageReader& reader, const RowImage& image, const ContactColumns& cols,
                  ScannedRow<ContactRecord>* out) {
  AppRow row;
  if (!image.carvedLayout) {
    // The header's serial-type bytes of the last live row: the width the reader falls back to
    // for carved rows when the schema declares none.
    std::uint64_t headerSize = 0;
    const std::size_t h = readVarint(image.data, image.size, &headerSize);
    if (h != 0 && headerSize >= h && headerSize - h < 0x7fffffff)
      reader.widths.contactsIndicator = static_cast<int>(headerSize - h);
    if (image.rowId > 0 && static_cast<std::uint64_t>(image.rowId) > reader.maxContactRowId)
      reader.maxContactRowId = static_cast<std::uint64_t>(image.rowId);
  }
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  ContactRecord& c = out->record;
  c = ContactRecord();
  c.deleted = image.deleted;
  std::wstring first, last;
  for (const RecordColumn& col : row.record().columns) {
    if (col.serialType < 13 || col.serialType % 2 == 0) continue;
    std::wstring text;
    if (row.text(col.column, &text) != AppRow::Text::kGood) return kInvalid;
    const int n = col.column;
    if (n == 1)
      first = std::move(text);
    else if (n == 2)
      last = std::move(text);
    else if (n == 7)
      c.company = std::move(text);
    else if (n == cols.phone)
      c.phone = std::move(text);
    else if (n == cols.email)
      c.email = std::move(text);
    else if (n == cols.address)
      c.address = std::move(text);
    else if (n == cols.social)
      c.social = std::move(text);
    else if (n == cols.url)
      c.url = std::move(text);
  }
  if (hasControlCharacter(c.phone)) return kInvalid;
  c.name = first + last;
  out->rowId = static_cast<std::uint32_t>(image.rowId);
  return kOk;
}

std::wstring contactKey(const ContactRecord& c) {
  std::wstring key;
  for (const std::wstring* f :
       {&c.email, &c.address, &c.social, &c.url, &c.phone, &c.company, &c.name})
    appendKeyText(key, *f);
  return key;
}

}  // namespace

int ScanContacts(SqlitePageReader& reader, std::vector<ContactRecord>* out) {
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  declareTableWidth(reader, schema, kContactsTable);
  const ContactColumns cols = columnsFor(reader.versionFlag);
  std::vector<ScannedRow<ContactRecord>> rows;
  auto sink = decoderSink([&](SqlitePageReader& r, const RowImage& image) {
    ScannedRow<ContactRecord> row;
    const int rc = decodeContact(r, image, cols, &row);
    if (rc == kOk) rows.push_back(std::move(row));
    return rc;
  });
  const int rc = reader.ScanTable(kContactsTable, &sink);
  dropLeftoverCopies(&rows, contactKey);
  out->reserve(out->size() + rows.size());
  for (auto& r : rows) out->push_back(std::move(r.record));
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

int ReadContacts(const std::string& addressBookPath, int versionFlag,
                 std::vector<ContactRecord>* contacts, std::uint64_t* maxContactRowId) {
  SqlitePageReader reader;
  reader.versionFlag = versionFlag;
  const int rc = reader.Open(addressBookPath);
  if (rc != kOk) return rc;
  std::vector<ContactRecord> scanned;
  // A damaged page ends the scan; the persons read before it are still the answer.
  ScanContacts(reader, &scanned);
  std::vector<ContactRecord> kept;
  for (ContactRecord& c : scanned) {
    if (c.phone.empty()) continue;
    if (c.name.empty()) c.name = L"No Name";
    c.phone = distinctPhoneNumbers(c.phone);
    kept.push_back(std::move(c));
  }
  stableSortByText(&kept, [](const ContactRecord& c) -> const std::wstring& { return c.name; });
  *contacts = std::move(kept);
  *maxContactRowId = reader.maxContactRowId;
  return rc;
}

}  // namespace qv::db
