#include "db/note_reader.h"

#include <deque>
#include <unordered_map>

#include "db/column_dates.h"
#include "db/local_dates.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/result.h"

namespace qv::db {

namespace {

// Where the columns read lie, by name; without a statement, the places of the 20-column ZNOTE.
struct NoteColumns {
  int content, body, date, title;
};

NoteColumns noteColumns(const std::vector<SchemaEntry>& schema) {
  const TableLayout body = TableLayout::of(schema, "ZNOTEBODY");
  const TableLayout note = TableLayout::of(schema, "ZNOTE");
  return {body.position({"ZCONTENT"}, 4), note.position({"ZBODY"}, 11),
          note.position({"ZMODIFICATIONDATE"}, 14), note.position({"ZTITLE"}, 19)};
}

int decodeBody(SqlitePageReader& reader, const RowImage& image, const NoteColumns& cols,
               NoteRecord* out) {
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  NoteRecord& n = *out;
  n = NoteRecord();
  n.id = static_cast<std::uint32_t>(image.rowId);
  if (row.text(cols.content, &n.content) == RowColumns::Text::kBad) return kInvalid;
  return kOk;
}

int decodeNote(SqlitePageReader& reader, const RowImage& image, const NoteColumns& cols,
               LocalDates& dates, NoteRecord* out) {
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  NoteRecord& n = *out;
  n = NoteRecord();
  row.reference(cols.body, &n.id);
  n.date = columnDate(row, cols.date, DateForm::kAppleSeconds, dates);
  if (row.text(cols.title, &n.title) == RowColumns::Text::kBad) return kInvalid;
  return kOk;
}

// A body's id is its row id, which the filter compares itself (carved rows have none); a note
// row's id is the body it names, one of its decoded fields.
std::wstring bodyKey(const NoteRecord& n) {
  return fieldsKey(n.content);
}

std::wstring noteKey(const NoteRecord& n) {
  return fieldsKey(n.id, n.date, n.title, n.content);
}

void replaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  std::wstring out;
  std::size_t start = 0;
  for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, start)) {
    out.append(text, start, at - start);
    out += to;
    start = at + from.size();
  }
  if (start == 0) return;
  out.append(text, start, std::wstring::npos);
  text = std::move(out);
}

}  // namespace

std::wstring noteHtmlToText(std::wstring text) {
  static const wchar_t* const kPairs[][2] = {
      {L"&#39;", L"'"}, {L"&quot;", L"\""}, {L"&lt;", L"<"},  {L"&gt;", L">"},  {L"&nbsp;", L" "},
      {L"&amp;", L"&"}, {L"<div>", L"\n"},  {L"</div>", L""}, {L"<br>", L"\n"},
  };
  for (const auto& pair : kPairs) replaceAll(text, pair[0], pair[1]);
  return text;
}

int ReadNotes(const DatabaseFile& notesFile, std::vector<NoteRecord>* notes) {
  SqlitePageReader reader;
  const int rc = reader.Open(notesFile);
  if (rc != kOk) return rc;
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  TableScan bodyScan, noteScan;
  bodyScan.shape = tableShape(schema, "ZNOTEBODY");
  noteScan.shape = tableShape(schema, "ZNOTE");
  // A damaged page ends a table's scan; the rows read before it are used.
  std::vector<ScannedRow<NoteRecord>> bodies, heads;
  const NoteColumns cols = noteColumns(schema);
  scanRows(
      reader, "ZNOTEBODY", bodyScan,
      [&cols](SqlitePageReader& r, const RowImage& image, NoteRecord* out) {
        return decodeBody(r, image, cols, out);
      },
      bodyKey, &bodies);
  LocalDates dates;
  scanRows(
      reader, "ZNOTE", noteScan,
      [&cols, &dates](SqlitePageReader& r, const RowImage& image, NoteRecord* out) {
        return decodeNote(r, image, cols, dates, out);
      },
      noteKey, &heads);

  // Note rows by the body they name, in reading order; each is used once.
  std::unordered_map<std::uint32_t, std::deque<std::size_t>> byBody;
  for (std::size_t i = 0; i < heads.size(); ++i) {
    if (heads[i].record.id != 0) byBody[heads[i].record.id].push_back(i);
  }
  std::vector<bool> used(heads.size(), false);
  std::vector<NoteRecord> all = *notes;
  for (auto& b : bodies) {
    NoteRecord n = std::move(b.record);
    // A carved body has no row id: it names no note, and no note names it.
    auto it = n.id != 0 ? byBody.find(n.id) : byBody.end();
    if (it != byBody.end() && !it->second.empty()) {
      const std::size_t h = it->second.front();
      it->second.pop_front();
      used[h] = true;
      n.title = heads[h].record.title;
      n.date = heads[h].record.date;
    }
    all.push_back(std::move(n));
  }
  for (std::size_t i = 0; i < heads.size(); ++i) {
    if (!used[i]) all.push_back(std::move(heads[i].record));
  }
  std::vector<NoteRecord> kept;
  for (NoteRecord& n : all) {
    if (n.title.empty() && n.content.empty()) continue;
    n.content = noteHtmlToText(std::move(n.content));
    n.title = noteHtmlToText(std::move(n.title));
    kept.push_back(std::move(n));
  }
  *notes = std::move(kept);
  return kOk;
}

}  // namespace qv::db
