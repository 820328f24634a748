#include "db/notestore_reader.h"

#include <algorithm>
#include <unordered_map>

#include "db/column_dates.h"
#include "db/inflate.h"
#include "db/proto_fields.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/ascii.h"
#include "platform/result.h"

namespace qv::db {

const wchar_t kLockedNoteText[] = L"This note is locked with a password.";

namespace {

constexpr char kObjects[] = "ZICCLOUDSYNCINGOBJECT";
constexpr char kNoteData[] = "ZICNOTEDATA";
constexpr std::int64_t kTrashFolder = 1;

// One row of the object table, as far as notes and folders need it.
struct ObjectRow {
  std::uint32_t deleted = 0;
  std::int64_t entity = -1;
  std::wstring noteTitle;
  std::wstring folderTitle;
  std::uint32_t noteData = 0;
  std::uint32_t folder = 0;
  std::int64_t folderType = 0;
  bool locked = false;
  bool markedForDeletion = false;
  std::wstring date;
};

struct DataRow {
  std::uint32_t deleted = 0;
  std::uint32_t note = 0;
  bool hasBody = false;  // a blob in ZDATA
  bool readable = false;
  std::wstring text;
};

struct ObjectColumns {
  int entity, noteTitle, folderTitle, noteData, folder, folderType, locked, marked, date;
};

ObjectColumns objectColumns(const TableLayout& t) {
  return {t.position({"Z_ENT"}, -1),
          t.position({"ZTITLE1"}, -1),
          t.position({"ZTITLE2"}, -1),
          t.position({"ZNOTEDATA"}, -1),
          t.position({"ZFOLDER"}, -1),
          t.position({"ZFOLDERTYPE"}, -1),
          t.position({"ZISPASSWORDPROTECTED"}, -1),
          t.position({"ZMARKEDFORDELETION"}, -1),
          t.position({"ZMODIFICATIONDATE1", "ZCREATIONDATE3", "ZCREATIONDATE1"}, -1)};
}

bool flagSet(const RowColumns& row, int column) {
  std::int64_t v = 0;
  return row.integer(column, &v) && v != 0;
}

std::wstring objectKey(const ObjectRow& o) {
  return fieldsKey(o.entity, o.noteTitle, o.folderTitle, o.noteData, o.folder, o.folderType,
                   o.locked ? 1 : 0, o.markedForDeletion ? 1 : 0, o.date);
}

std::wstring dataKey(const DataRow& d) {
  return fieldsKey(d.note, d.hasBody ? 1 : 0, d.text);
}

// The entity numbers of notes and folders, from Z_PRIMARYKEY; -1 when it cannot be read.
void readEntities(SqlitePageReader& reader, const std::vector<SchemaEntry>& schema,
                  std::int64_t* noteEntity, std::int64_t* folderEntity) {
  *noteEntity = *folderEntity = -1;
  const TableLayout t = TableLayout::of(schema, "Z_PRIMARYKEY");
  const int ent = t.position({"Z_ENT"}, -1), name = t.position({"Z_NAME"}, -1);
  if (ent < 0 || name < 0) return;
  TableScan scan;
  scan.shape.width = t.width();
  scan.withFreelist = false;
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& image) {
    if (image.deleted != 0) return kOk;
    RowColumns row;
    std::int64_t number = 0;
    std::wstring text;
    if (row.load(image, r.textEncoding()) != kOk ||
        row.text(name, &text) != RowColumns::Text::kGood)
      return kInvalid;
    // The alias column is NULL in the record; its value is the cell's row id.
    number = ent == t.rowIdAlias() ? image.rowId : (row.integer(ent, &number) ? number : -1);
    if (text == L"ICNote") *noteEntity = number;
    if (text == L"ICFolder") *folderEntity = number;
    return kOk;
  });
  reader.ScanTable("Z_PRIMARYKEY", scan, &sink);
}

// A body row carved from free space ends with its body, a blob (ZDATA is the table's last
// column). The compressed bytes of a body hold stretches that parse as a record header of the
// table's few columns (a gzip header is "1f 8b 08" and six zeros), and without this test such a
// false record inside a freed body outranks the body's own row.
bool endsWithABody(const CarvedRecordView& record) {
  if (record.typeCount == 0) return false;
  const std::uint64_t last = record.types[record.typeCount - 1];
  return last >= 14 && last % 2 == 0;
}

std::wstring firstLine(const std::wstring& text) {
  const std::size_t start = text.find_first_not_of(L" \t\r\n");
  if (start == std::wstring::npos) return {};
  const std::size_t end = text.find_first_of(L"\r\n", start);
  return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

}  // namespace

bool noteBodyText(std::string_view blob, std::wstring* text) {
  text->clear();
  std::string inflated;
  if (inflateBlob(blob, &inflated) != kOk) return false;
  std::string_view utf8;
  if (!protoPath(inflated, {2, 3, 2}, &utf8)) return false;
  if (decodeText(utf8, TextEncoding::kUtf8, text) == RowColumns::Text::kBad) return false;
  text->erase(std::remove(text->begin(), text->end(), L'\xFFFC'), text->end());
  return true;
}

int ReadNoteStore(const DatabaseFile& file, std::vector<NoteRecord>* notes) {
  SqlitePageReader reader;
  int rc = reader.Open(file);
  if (rc != kOk) return rc;
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  const TableLayout objects = TableLayout::of(schema, kObjects);
  if (!objects.known()) return kQueryFailed;
  std::int64_t noteEntity = -1, folderEntity = -1;
  readEntities(reader, schema, &noteEntity, &folderEntity);

  const ObjectColumns oc = objectColumns(objects);
  LocalDates dates;
  TableScan objectScan;
  objectScan.shape = tableShape(schema, kObjects);
  std::vector<ScannedRow<ObjectRow>> objectRows;
  // A damaged page ends a table's scan; the rows read before it are used.
  scanRows(
      reader, kObjects, objectScan,
      [&](SqlitePageReader& r, const RowImage& image, ObjectRow* o) {
        RowColumns row;
        if (row.load(image, r.textEncoding()) != kOk) return kInvalid;
        row.integer(oc.entity, &o->entity);
        if (row.text(oc.noteTitle, &o->noteTitle) == RowColumns::Text::kBad ||
            row.text(oc.folderTitle, &o->folderTitle) == RowColumns::Text::kBad)
          return kInvalid;
        row.reference(oc.noteData, &o->noteData);
        row.reference(oc.folder, &o->folder);
        row.integer(oc.folderType, &o->folderType);
        o->locked = flagSet(row, oc.locked);
        o->markedForDeletion = flagSet(row, oc.marked);
        o->date = columnDate(row, oc.date, DateForm::kAppleSeconds, dates);
        return kOk;
      },
      objectKey, &objectRows);

  const TableLayout data = TableLayout::of(schema, kNoteData);
  const int noteColumn = data.position({"ZNOTE"}, -1), bodyColumn = data.position({"ZDATA"}, -1);
  TableScan dataScan;
  dataScan.shape = tableShape(schema, kNoteData);
  if (bodyColumn >= 0 && bodyColumn == data.width() - 1) dataScan.shape.accept = endsWithABody;
  std::vector<ScannedRow<DataRow>> dataRows;
  if (data.known()) {
    scanRows(
        reader, kNoteData, dataScan,
        [&](SqlitePageReader& r, const RowImage& image, DataRow* d) {
          RowColumns row;
          if (row.load(image, r.textEncoding()) != kOk) return kInvalid;
          row.reference(noteColumn, &d->note);
          const RecordColumn* body = row.column(bodyColumn);
          d->hasBody = body != nullptr && body->serialType >= 12 && body->serialType % 2 == 0 &&
                       body->width > 0;
          // A row of free space that is no body at all (no blob, no note) is nothing.
          if (!d->hasBody && d->note == 0) return kInvalid;
          if (d->hasBody) d->readable = noteBodyText(row.bytes(bodyColumn), &d->text);
          return kOk;
        },
        dataKey, &dataRows);
  }

  // Folders by row id: which of them is the trash.
  std::unordered_map<std::uint32_t, bool> trashFolders;
  auto isFolder = [&](const ObjectRow& o) {
    return folderEntity >= 0 ? o.entity == folderEntity : !o.folderTitle.empty();
  };
  auto isNote = [&](const ObjectRow& o) {
    return noteEntity >= 0 ? o.entity == noteEntity
                           : o.folderTitle.empty() && (o.noteData != 0 || !o.noteTitle.empty());
  };
  for (const auto& o : objectRows) {
    if (o.rowId == 0 || !isFolder(o.record)) continue;
    const bool trash = o.record.folderType == kTrashFolder ||
                       (oc.folderType < 0 && o.record.folderTitle == L"Recently Deleted");
    trashFolders.emplace(o.rowId, trash);
  }
  // Bodies by the row id of their own row and of the note they name; first row of an id wins.
  std::unordered_map<std::uint32_t, std::size_t> bodyById, bodyByNote;
  for (std::size_t i = 0; i < dataRows.size(); ++i) {
    if (dataRows[i].rowId != 0) bodyById.emplace(dataRows[i].rowId, i);
    if (dataRows[i].record.note != 0) bodyByNote.emplace(dataRows[i].record.note, i);
  }
  std::vector<bool> bodyUsed(dataRows.size(), false);

  struct Found {
    NoteRecord note;
    std::size_t body;
  };
  std::vector<Found> found;
  for (const auto& scanned : objectRows) {
    const ObjectRow& o = scanned.record;
    if (!isNote(o)) continue;
    Found f;
    NoteRecord& n = f.note;
    n.id = scanned.rowId;
    n.date = o.date;
    n.title = o.noteTitle;
    const auto folder = trashFolders.find(o.folder);
    const bool trashed = folder != trashFolders.end() && folder->second;
    n.deleted = o.deleted != 0 || trashed || o.markedForDeletion ? 1 : 0;
    n.locked = o.locked ? 1 : 0;
    // The note's body: the one naming the note, else the one the note names.
    f.body = dataRows.size();
    auto byNote = scanned.rowId != 0 ? bodyByNote.find(scanned.rowId) : bodyByNote.end();
    if (byNote != bodyByNote.end()) {
      f.body = byNote->second;
    } else if (o.noteData != 0) {
      auto byId = bodyById.find(o.noteData);
      if (byId != bodyById.end()) f.body = byId->second;
    }
    if (f.body < dataRows.size()) bodyUsed[f.body] = true;
    found.push_back(std::move(f));
  }
  // A note and its body carved from free space know each other only by the row ids they lost:
  // the body whose first line is the note's title (the title Notes gives a note) is its body.
  for (Found& f : found) {
    if (f.body < dataRows.size() || f.note.title.empty()) continue;
    for (std::size_t i = 0; i < dataRows.size(); ++i) {
      if (bodyUsed[i] || !dataRows[i].record.readable) continue;
      if (firstLine(dataRows[i].record.text) != f.note.title) continue;
      f.body = i;
      bodyUsed[i] = true;
      break;
    }
  }
  std::vector<NoteRecord> listed;
  for (Found& f : found) {
    NoteRecord& n = f.note;
    if (f.body < dataRows.size()) n.content = dataRows[f.body].record.text;
    if (n.locked != 0) n.content = kLockedNoteText;
    if (n.title.empty()) n.title = firstLine(n.content);
    if (n.title.empty() && n.content.empty()) continue;
    listed.push_back(std::move(n));
  }
  // Bodies whose note row is gone (deleted with it): their text is the note.
  for (std::size_t i = 0; i < dataRows.size(); ++i) {
    const DataRow& d = dataRows[i].record;
    if (bodyUsed[i] || !d.readable || d.text.empty()) continue;
    NoteRecord n;
    n.deleted = d.deleted;
    n.id = dataRows[i].rowId;
    n.title = firstLine(d.text);
    n.content = d.text;
    listed.push_back(std::move(n));
  }
  notes->insert(notes->end(), std::make_move_iterator(listed.begin()),
                std::make_move_iterator(listed.end()));
  return kOk;
}

}  // namespace qv::db
