// Fuzz target: the phone database readers over arbitrary bytes. The readers take file paths,
// so the input is written to a scratch file first and read as every one of the databases.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "db/call_reader.h"
#include "db/contact_lines.h"
#include "db/contact_reader.h"
#include "db/message_lines.h"
#include "db/message_reader.h"
#include "db/note_reader.h"
#include "platform/file.h"

namespace {

std::string scratch(const char* name) {
  static const std::string dir = [] {
    std::error_code ec;
    auto d = std::filesystem::temp_directory_path(ec) / "qv-fuzz-phone-readers";
    std::filesystem::create_directories(d, ec);
    return d.u8string();
  }();
  return dir + "/" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string db = scratch("input.db");
  const std::string out = scratch("out.csv");
  if (qv::platform::writeWholeFile(db, data, size) != 0) return 0;
  qv::db::ConversationMap map;
  std::uint64_t max = 0;
  qv::db::ReadMessages(db, db, &map, qv::db::ReadProgress(), &max);
  std::vector<qv::db::ContactRecord> contacts;
  qv::db::ReadContacts(db, static_cast<int>(size & 1), &contacts, &max);
  std::vector<qv::db::CallRecord> calls;
  qv::db::ReadCalls(db, db, static_cast<int>(size & 2), &calls);
  std::vector<qv::db::NoteRecord> notes;
  qv::db::ReadNotes(db, &notes);
  qv::platform::removeFile(out);
  qv::db::WriteMessageLines(db, out, 100);
  qv::db::WriteContactLines(db, out, 100);
  return 0;
}
