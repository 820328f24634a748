#include "samples/appdb_whatsapp.h"

#include <map>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_qq.h"
#include "samples/appdb_rows.h"
#include "samples/appdb_wechat.h"
#include "samples/backup_builder.h"

namespace qv::samples {

const char* const kWhatsAppDomain = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
const char* const kWhatsAppRelativePath = "ChatStorage.sqlite";
const char* const kWhatsAppReplacementText = "Broken \xEF\xBF\xBD text";
const char* const kWhatsAppZeroText = "Cut\0off";

namespace {

// The app's tables (WhatsApp model 2.12.14), verbatim.
const char kMessage34[] =
    "CREATE TABLE ZWAMESSAGE ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCHILDMESSAGESDELIVEREDCOUNT INTEGER, ZCHILDMESSAGESPLAYEDCOUNT INTEGER, "
    "ZCHILDMESSAGESREADCOUNT INTEGER, ZDATAITEMVERSION INTEGER, ZDOCID INTEGER, "
    "ZENCRETRYCOUNT INTEGER, ZFILTEREDRECIPIENTCOUNT INTEGER, ZFLAGS INTEGER, "
    "ZGROUPEVENTTYPE INTEGER, ZISFROMME INTEGER, ZMESSAGEERRORSTATUS INTEGER, "
    "ZMESSAGESTATUS INTEGER, ZMESSAGETYPE INTEGER, ZSORT INTEGER, ZSPOTLIGHTSTATUS INTEGER, "
    "ZSTARRED INTEGER, ZCHATSESSION INTEGER, ZGROUPMEMBER INTEGER, ZLASTSESSION INTEGER, "
    "ZMEDIAITEM INTEGER, ZMESSAGEINFO INTEGER, ZPARENTMESSAGE INTEGER, ZMESSAGEDATE TIMESTAMP, "
    "ZSENTDATE TIMESTAMP, ZFROMJID VARCHAR, ZMEDIASECTIONID VARCHAR, ZPHASH VARCHAR, "
    "ZPUSHNAME VARCHAR, ZSTANZAID VARCHAR, ZTEXT VARCHAR, ZTOJID VARCHAR )";
// An older model's message table: fewer attributes, in the same Core Data order (integers,
// relationships, dates, texts), and no media item relationship.
const char kMessage23[] =
    "CREATE TABLE ZWAMESSAGE ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZDOCID INTEGER, ZFLAGS INTEGER, ZGROUPEVENTTYPE INTEGER, ZISFROMME INTEGER, "
    "ZMESSAGESTATUS INTEGER, ZMESSAGETYPE INTEGER, ZSORT INTEGER, ZSPOTLIGHTSTATUS INTEGER, "
    "ZCHATSESSION INTEGER, ZGROUPMEMBER INTEGER, ZMESSAGEINFO INTEGER, ZPARENTMESSAGE INTEGER, "
    "ZMESSAGEDATE TIMESTAMP, ZSENTDATE TIMESTAMP, ZFROMJID VARCHAR, ZMEDIASECTIONID VARCHAR, "
    "ZPUSHNAME VARCHAR, ZSTANZAID VARCHAR, ZTEXT VARCHAR, ZTOJID VARCHAR )";
const char kSession[] =
    "CREATE TABLE ZWACHATSESSION ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZARCHIVED INTEGER, ZCONTACTABID INTEGER, ZFLAGS INTEGER, ZHIDDEN INTEGER, "
    "ZIDENTITYVERIFICATIONEPOCH INTEGER, ZIDENTITYVERIFICATIONSTATE INTEGER, "
    "ZMESSAGECOUNTER INTEGER, ZREMOVED INTEGER, ZSESSIONTYPE INTEGER, ZSPOTLIGHTSTATUS INTEGER, "
    "ZUNREADCOUNT INTEGER, ZGROUPINFO INTEGER, ZLASTMESSAGE INTEGER, ZPROPERTIES INTEGER, "
    "ZLASTMESSAGEDATE TIMESTAMP, ZLOCATIONSHARINGENDDATE TIMESTAMP, ZCONTACTIDENTIFIER VARCHAR, "
    "ZCONTACTJID VARCHAR, ZETAG VARCHAR, ZLASTMESSAGETEXT VARCHAR, ZPARTNERNAME VARCHAR, "
    "ZSAVEDINPUT VARCHAR )";
const char kMember[] =
    "CREATE TABLE ZWAGROUPMEMBER ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCONTACTABID INTEGER, ZISACTIVE INTEGER, ZISADMIN INTEGER, ZSENDERKEYSENT INTEGER, "
    "ZCHATSESSION INTEGER, ZRECENTGROUPCHAT INTEGER, ZCONTACTIDENTIFIER VARCHAR, "
    "ZCONTACTNAME VARCHAR, ZFIRSTNAME VARCHAR, ZMEMBERJID VARCHAR )";
const char kMedia[] =
    "CREATE TABLE ZWAMEDIAITEM ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCLOUDSTATUS INTEGER, ZFILESIZE INTEGER, ZMEDIAORIGIN INTEGER, ZMOVIEDURATION INTEGER, "
    "ZMESSAGE INTEGER, ZASPECTRATIO FLOAT, ZHACCURACY FLOAT, ZLATITUDE FLOAT, ZLONGITUDE FLOAT, "
    "ZMEDIAURLDATE TIMESTAMP, ZAUTHORNAME VARCHAR, ZCOLLECTIONNAME VARCHAR, "
    "ZMEDIALOCALPATH VARCHAR, ZMEDIAURL VARCHAR, ZTHUMBNAILLOCALPATH VARCHAR, ZTITLE VARCHAR, "
    "ZVCARDNAME VARCHAR, ZVCARDSTRING VARCHAR, ZXMPPTHUMBPATH VARCHAR, ZMEDIAKEY BLOB, "
    "ZMETADATA BLOB )";

using Values = NamedValues;
using TableRows = NamedColumns;

SqlValue text(const char* s) {
  return SqlValue::text(s);
}
SqlValue integer(std::int64_t v) {
  return SqlValue::of(v);
}

// Seconds since 2001-01-01 of the story's messages (2021-03-10 and after).
constexpr std::int64_t kStoryStart = 637070400;

struct Message {
  std::int64_t session;
  std::int64_t member;  // 0: none
  std::int64_t media;   // 0: none
  bool fromMe;
  SqlValue date;
  SqlValue text;
};

class Builder {
 public:
  Builder(WhatsAppLayout layout, SqliteFixture* db)
      : layout_(layout),
        db_(db),
        messages_(layout == WhatsAppLayout::kNewer ? kMessage34 : kMessage23),
        sessions_(kSession),
        members_(kMember),
        media_(kMedia) {}

  int run() {
    int rc = db_->exec(layout_ == WhatsAppLayout::kNewer ? kMessage34 : kMessage23);
    for (const char* sql : {kSession, kMember, kMedia}) {
      if (rc == 0) rc = db_->exec(sql);
    }
    if (rc == 0)
      rc = db_->exec("CREATE INDEX ZWAMESSAGE_ZCHATSESSION_INDEX ON ZWAMESSAGE (ZCHATSESSION)");
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addSessions();
    if (rc == 0) rc = addMembersAndMedia();
    if (rc == 0) rc = addMessages();
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = moveLiveRows();
    if (rc == 0) rc = deleteRows();
    return rc;
  }

 private:
  int session(const char* jid, const char* name) {
    return db_->insert("ZWACHATSESSION",
                       sessions_.row({{"Z_ENT", integer(4)},
                                      {"Z_OPT", integer(3)},
                                      {"ZCONTACTJID", text(jid)},
                                      {"ZPARTNERNAME", text(name)},
                                      {"ZLASTMESSAGEDATE", SqlValue::ofReal(637100000.5)}}));
  }

  int addSessions() {
    int rc = session("447700900001@s.whatsapp.net", "Alice Ørsted");                   // 1
    if (rc == 0) rc = session("447700900001-1615370000@g.us", "Trip to 山田 🏔");  // 2
    if (rc == 0) rc = session("status", "Status");                                     // 3
    if (rc == 0) rc = session("447700900004@s.whatsapp.net", "Bob (deleted chat)");    // 4
    return rc;
  }

  int member(std::int64_t sessionId, SqlValue name, const char* jid) {
    return db_->insert("ZWAGROUPMEMBER", members_.row({{"Z_ENT", integer(6)},
                                                       {"ZISACTIVE", integer(1)},
                                                       {"ZCHATSESSION", integer(sessionId)},
                                                       {"ZCONTACTNAME", std::move(name)},
                                                       {"ZMEMBERJID", text(jid)}}));
  }

  int mediaItem(SqlValue title) {
    return db_->insert(
        "ZWAMEDIAITEM",
        media_.row({{"Z_ENT", integer(7)},
                    {"ZFILESIZE", integer(48213)},
                    {"ZMEDIALOCALPATH", text("Media/447700900001@s.whatsapp.net/a/b.jpg")},
                    {"ZTITLE", std::move(title)}}));
  }

  int addMembersAndMedia() {
    // Member 1 is stored with the constant 1 as its row id reference in messages.
    int rc = member(2, text("Carol"), "447700900011@s.whatsapp.net");                 // 1
    if (rc == 0) rc = member(2, text("Dan"), "447700900012@s.whatsapp.net");          // 2
    if (rc == 0) rc = member(2, SqlValue::null(), "447700900013@s.whatsapp.net");     // 3: no name
    if (rc == 0) rc = member(2, text("Erin (left)"), "447700900014@s.whatsapp.net");  // 4: deleted
    if (rc == 0) rc = mediaItem(text("Sunset over the lake.jpg"));                    // 1
    if (rc == 0) rc = mediaItem(text("Voice note 0:42"));                             // 2
    if (rc == 0) rc = mediaItem(SqlValue::null());                                    // 3: no title
    if (rc == 0) rc = mediaItem(text("Deleted photo.jpg"));                           // 4: deleted
    return rc;
  }

  int message(const Message& m, std::int64_t* rowId = nullptr) {
    Values v = {{"Z_ENT", integer(9)},
                {"Z_OPT", integer(2)},
                {"ZISFROMME", integer(m.fromMe ? 1 : 0)},
                {"ZMESSAGESTATUS", integer(m.fromMe ? 8 : 0)},
                {"ZCHATSESSION", integer(m.session)},
                {"ZMESSAGEDATE", m.date},
                {"ZSENTDATE", m.date},
                {"ZSTANZAID", text("3EB0C767D26A")},
                {"ZTEXT", m.text}};
    if (m.member != 0) v["ZGROUPMEMBER"] = integer(m.member);
    if (m.media != 0 && messages_.has("ZMEDIAITEM")) v["ZMEDIAITEM"] = integer(m.media);
    if (!m.fromMe) v["ZFROMJID"] = text("447700900001@s.whatsapp.net");
    return db_->insert("ZWAMESSAGE", messages_.row(v), rowId);
  }

  SqlValue at(std::int64_t minutes, bool asDouble = false) {
    const std::int64_t s = kStoryStart + minutes * 60;
    // Core Data keeps dates as doubles; whole seconds are stored as integers by the column's
    // numeric affinity, fractions as 8-byte doubles.
    return asDouble ? SqlValue::ofReal(static_cast<double>(s) + 0.75) : integer(s);
  }

  int addMessages() {
    const std::string longText = [] {
      std::string t = "A long letter: ";
      while (t.size() < 3000) t += "the quick brown fox jumps over the lazy dog, ";
      return t;
    }();
    const std::vector<Message> story = {
        {1, 0, 0, false, at(0), text("Hi! Are we still on for Saturday?")},
        {1, 0, 0, true, at(1, true), text("Yes — 10am at the café")},
        {1, 0, 1, false, at(2), SqlValue::null()},                // media with a title
        {1, 0, 3, false, at(3), SqlValue::null()},                // media without a title
        {1, 0, 0, false, at(4), SqlValue::null()},                // neither: not listed
        {1, 0, 2, true, at(5), text("")},                         // empty text: the media's title
        {1, 0, 0, false, at(6), text(kWhatsAppReplacementText)},  // dropped
        {1, 0, 0, false, at(7), SqlValue::text(std::string(kWhatsAppZeroText, 7))},  // dropped
        {1, 0, 0, true, at(8), text(longText.c_str())},  // spills to overflow pages
        {2, 1, 0, false, at(10), text("Carol here, I booked the cabin")},
        {2, 2, 0, false, at(11, true), text("Dan: I'll bring the kayak 🛶")},
        {2, 3, 0, false, at(12), text("Someone without a name says hi")},
        {2, 0, 0, true, at(13), text("Great, see you all there")},
        {2, 4, 0, false, at(14), text("Erin: count me out, sorry")},
        {3, 0, 0, false, at(20), text("Status update: on holiday")},
        {99, 0, 0, false, at(21), text("A message whose chat is gone")},
        {4, 0, 0, false, at(30), text("Bob: did you get my parcel?")},
        {4, 0, 0, true, at(31), text("Bob, not yet!")},
        {1, 0, 0, false, at(40), text("Deleted: the gate code is 4711")},
        {1, 0, 0, true, at(41), text("Deleted: thanks, got it")},
        {1, 0, 4, false, at(42), text("Deleted photo caption")},
        {2, 2, 0, false, at(43), text("Deleted: Dan's second thoughts")},
        {1, 0, 0, false, at(44), text(("Deleted long: " + longText).c_str())},
    };
    int rc = 0;
    for (const Message& m : story) {
      if (rc == 0) rc = message(m);
    }
    // Ordinary chatter in the one-to-one chat: most of it is deleted as one run later, which
    // frees whole leaf pages.
    for (int i = 0; i < 160 && rc == 0; ++i) {
      const std::string t = "Chatter #" + std::to_string(i) + ": see you at the station at " +
                            std::to_string(7 + i % 12) + " o'clock";
      rc = message({1, 0, 0, i % 3 == 0, at(100 + i), SqlValue::text(t)});
    }
    return rc;
  }

  // Rows grown by an update move to another place; their old cells stay in free space with
  // the same decoded fields: stale copies, not deletions.
  int moveLiveRows() {
    return db_->exec(
        "UPDATE ZWAMESSAGE SET ZSTANZAID = '3EB0C767D26A-moved-to-a-new-cell-by-an-update' "
        "WHERE Z_PK IN (1, 2, 10, 13)");
  }

  int deleteRows() {
    // Texts of the story rows to delete, by row id (the story starts at row id 1).
    int rc = db_->deleteRows("ZWAMESSAGE", {17, 18, 19, 20, 21, 22, 23});
    std::vector<std::int64_t> run;
    for (std::int64_t id = 24 + 20; id < 24 + 140; ++id) run.push_back(id);
    if (rc == 0) rc = db_->deleteRows("ZWAMESSAGE", run);
    if (rc == 0) rc = db_->deleteRows("ZWACHATSESSION", {4});
    if (rc == 0) rc = db_->deleteRows("ZWAGROUPMEMBER", {4});
    if (rc == 0) rc = db_->deleteRows("ZWAMEDIAITEM", {4});
    return rc;
  }

  WhatsAppLayout layout_;
  SqliteFixture* db_;
  TableRows messages_, sessions_, members_, media_;
};

}  // namespace

int buildWhatsAppDatabase(const std::string& path, WhatsAppLayout layout, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = 1024;
  int rc = db->create(path, options);
  if (rc == 0) rc = Builder(layout, db).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

namespace {

// Builds one database in a scratch file beside the backup and stores its bytes as a file of
// the backup.
template <class Build>
int addBuilt(BackupBuilder* builder, const char* domain, const std::string& relativePath,
             Build build) {
  const std::string scratch = platform::joinPath(builder->folder(), "chat-app-database.tmp");
  SqliteFixture db;
  int rc = build(scratch, &db);
  if (rc == 0) {
    const std::string bytes = readFileBytes(scratch);
    if (bytes.empty()) rc = 87;
    if (rc == 0) builder->addFile(domain, relativePath, bytes);
  }
  platform::removeFile(scratch);
  return rc;
}

}  // namespace

int addChatAppDatabases(BackupBuilder* builder) {
  int rc = addBuilt(builder, kWhatsAppDomain, kWhatsAppRelativePath,
                    [](const std::string& path, SqliteFixture* db) {
                      return buildWhatsAppDatabase(path, WhatsAppLayout::kNewer, db);
                    });
  if (rc == 0) rc = addBuilt(builder, kWeChatDomain, weChatRelativePath(), buildWeChatDatabase);
  if (rc == 0) rc = addBuilt(builder, kQqDomain, qqRelativePath(), buildQqDatabase);
  return rc;
}

}  // namespace qv::samples
