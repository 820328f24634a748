#include "samples/appdb_contacts.h"

#include <cstdio>
#include <vector>

#include "samples/appdb_rows.h"

namespace qv::samples {

const char* const kAddressBookDomain = "HomeDomain";
const char* const kAddressBookRelativePath = "Library/AddressBook/AddressBook.sqlitedb";
const char* const kContentTable = "ABPersonFullTextSearch_content";

namespace {

// The content tables of the phone's contact search, verbatim.
const char kContent24[] =
    "CREATE TABLE 'ABPersonFullTextSearch_content'(docid INTEGER PRIMARY KEY, 'c0First', "
    "'c1Last', 'c2Middle', 'c3FirstPhonetic', 'c4MiddlePhonetic', 'c5LastPhonetic', "
    "'c6Organization', 'c7Department', 'c8Note', 'c9Birthday', 'c10JobTitle', 'c11Nickname', "
    "'c12Prefix', 'c13Suffix', 'c14DisplayName', 'c15Phone', 'c16Email', 'c17Address', "
    "'c18SocialProfile', 'c19URL', 'c20RelatedNames', 'c21IM', 'c22Date')";
const char kContent25[] =
    "CREATE TABLE 'ABPersonFullTextSearch_content'(docid INTEGER PRIMARY KEY, 'c0First', "
    "'c1Last', 'c2Middle', 'c3FirstPhonetic', 'c4MiddlePhonetic', 'c5LastPhonetic', "
    "'c6Organization', 'c7Department', 'c8Note', 'c9Birthday', 'c10JobTitle', 'c11Nickname', "
    "'c12Prefix', 'c13Suffix', 'c14DisplayName', 'c15Phone', 'c16Email', 'c17Address', "
    "'c18SocialProfile', 'c19URL', 'c20RelatedNames', 'c21IM', 'c22Date', "
    "'c23SupplementalCompositeNameTerms')";
const char kContent26[] =
    "CREATE TABLE 'ABPersonFullTextSearch_content'(docid INTEGER PRIMARY KEY, 'c0First', "
    "'c1Last', 'c2Middle', 'c3FirstPhonetic', 'c4MiddlePhonetic', 'c5LastPhonetic', "
    "'c6Organization', 'c7OrganizationPhonetic', 'c8Department', 'c9Note', 'c10Birthday', "
    "'c11JobTitle', 'c12Nickname', 'c13Prefix', 'c14Suffix', 'c15DisplayName', 'c16Phone', "
    "'c17Email', 'c18Address', 'c19SocialProfile', 'c20URL', 'c21RelatedNames', 'c22IM', "
    "'c23Date', 'c24SupplementalCompositeNameTerms')";

const char* contentSql(AddressBookLayout layout) {
  switch (layout) {
    case AddressBookLayout::kIos6:
      return kContent24;
    case AddressBookLayout::kIos8:
      return kContent25;
    case AddressBookLayout::kIos15:
      return kContent26;
  }
  return kContent24;
}

struct Person {
  SqlValue first, last, organization, phone, email, address, social, url;
};

SqlValue t(const std::string& s) {
  return SqlValue::text(s);
}
SqlValue none() {
  return SqlValue::null();
}

class AddressBookBuilder {
 public:
  AddressBookBuilder(AddressBookLayout layout, SqliteFixture* db)
      : layout_(layout), db_(db), content_(contentSql(layout)) {}

  int run() {
    int rc = db_->exec(contentSql(layout_));
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addPersons();
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = moveLiveRows();
    if (rc == 0) rc = db_->deleteRows(kContentTable, gone_);
    return rc;
  }

 private:
  // Column names differ between layouts only in their number prefix.
  std::string name(const char* field) const {
    const bool newer = layout_ == AddressBookLayout::kIos15;
    struct Names {
      const char* field;
      const char* older;
      const char* newer;
    };
    static const Names kNames[] = {
        {"First", "c0First", "c0First"},
        {"Last", "c1Last", "c1Last"},
        {"Organization", "c6Organization", "c6Organization"},
        {"Note", "c8Note", "c9Note"},
        {"DisplayName", "c14DisplayName", "c15DisplayName"},
        {"Phone", "c15Phone", "c16Phone"},
        {"Email", "c16Email", "c17Email"},
        {"Address", "c17Address", "c18Address"},
        {"Social", "c18SocialProfile", "c19SocialProfile"},
        {"URL", "c19URL", "c20URL"},
    };
    for (const Names& n : kNames) {
      if (std::string(n.field) == field) return newer ? n.newer : n.older;
    }
    return field;
  }

  int person(const Person& p, bool deleted = false, std::int64_t* out = nullptr) {
    std::string display;
    if (p.first.kind == SqlValue::kText) display += p.first.bytes;
    if (p.last.kind == SqlValue::kText) display += " " + p.last.bytes;
    NamedValues v = {{name("First"), p.first},
                     {name("Last"), p.last},
                     {name("Organization"), p.organization},
                     {name("Phone"), p.phone},
                     {name("Email"), p.email},
                     {name("Address"), p.address},
                     {name("Social"), p.social},
                     {name("URL"), p.url},
                     {name("Note"), t("met at the conference")}};
    if (!display.empty()) v[name("DisplayName")] = t(display);
    std::int64_t id = 0;
    const int rc = db_->insert(kContentTable, content_.row(v), &id);
    if (deleted) gone_.push_back(id);
    if (out) *out = id;
    return rc;
  }

  int addPersons() {
    const std::vector<Person> special = {
        {t("Zoë"), t("Brontë"), none(), t("+44 7700 900123 +447700900123 07700900123 "),
         t("zoe@example.com"), t("1 Haworth Lane Keighley"), t("twitter:zoeb"),
         t("https://zoe.example.com")},
        {t("太郎"), t("山田"), t("ACME 株式会社"), t("+15555550100 555-0100 +15555558877 "), none(),
         none(), none(), none()},
        {t("Anna"), t("Ek"), none(), none(), t("anna@example.com"), none(), none(), none()},
        {t("Sam"), t("Twice"), none(), t("5551234 5551234 "), none(), none(), none(), none()},
        {t("Tess"), t("Tail"), none(), t("5552345 5559876"), none(), none(), none(), none()},
        {none(), none(), t("Plumbers Ltd"), t("+4930123456 "), none(), none(), none(), none()},
        {t("Ctl"), t("Char"), none(),
         t("+1555\x01"
           "0199 "),
         none(), none(), none(), none()},
        {t("Bad\xEF\xBF\xBD"), t("Name"), none(), t("+1555550111 "), none(), none(), none(),
         none()},
        {t("Zero"), t("Mail"), none(), t("+1555550122 "), t(std::string("z\0@example.com", 14)),
         none(), none(), none()},
        {t("O'Neil"), t("\"Quoted\""), none(), t("+3531234567 "), none(), none(), none(), none()},
    };
    int rc = 0;
    for (const Person& p : special) {
      if (rc == 0) rc = person(p);
    }
    // The only person who knows this number: deleted.
    if (rc == 0)
      rc = person({t("Pierre"), t("Dupont"), none(), t("+33612345678 +33 6 12 34 56 78 "), none(),
                   none(), none(), none()},
                  true);
    for (int n = 1; rc == 0 && n <= 300; ++n) {
      char phone[64];
      std::snprintf(phone, sizeof phone, "+4477009%05d 077009%05d ", 10000 + n * 7, 10000 + n * 7);
      const bool scattered = n % 11 == 3;
      const bool run = n >= 100 && n <= 220;
      std::int64_t id = 0;
      rc = person({t("Person " + std::to_string(n)), t(n % 2 ? "Lindqvist" : "Nakamura"),
                   n % 4 == 0 ? t("Company " + std::to_string(n % 9)) : none(), t(phone),
                   n % 3 == 0 ? t("p" + std::to_string(n) + "@example.org") : none(), none(),
                   none(), none()},
                  scattered || run, &id);
      if (n == 40 || n == 41 || n == 250) moved_.push_back(id);
    }
    return rc;
  }

  // A longer note moves the person's cell; the old one stays behind with the same fields.
  int moveLiveRows() {
    const std::string note(300, 'n');
    for (std::int64_t id : moved_) {
      int rc = db_->exec("UPDATE ABPersonFullTextSearch_content SET " + name("Note") + " = '" +
                         note + "' WHERE docid = " + std::to_string(id));
      if (rc != 0) return rc;
    }
    return 0;
  }

  AddressBookLayout layout_;
  SqliteFixture* db_;
  NamedColumns content_;
  std::vector<std::int64_t> gone_;
  std::vector<std::int64_t> moved_;
};

}  // namespace

const char* addressBookLayoutName(AddressBookLayout layout) {
  switch (layout) {
    case AddressBookLayout::kIos6:
      return "ios6_24";
    case AddressBookLayout::kIos8:
      return "ios8_25";
    case AddressBookLayout::kIos15:
      return "ios15_26";
  }
  return "?";
}

const char* addressBookContentSql(AddressBookLayout layout) {
  return contentSql(layout);
}

int addressBookVersionFlag(AddressBookLayout layout) {
  return layout == AddressBookLayout::kIos15 ? 1 : 0;
}

int addressBookPhoneColumn(AddressBookLayout layout) {
  return layout == AddressBookLayout::kIos15 ? 17 : 16;
}

int buildAddressBook(const std::string& path, AddressBookLayout layout, SqliteFixture* db,
                     int pageSize) {
  SqliteOptions options;
  options.pageSize = pageSize;
  int rc = db->create(path, options);
  if (rc == 0) rc = AddressBookBuilder(layout, db).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

int buildSmallAddressBook(const std::string& path, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = 1024;
  int rc = db->create(path, options);
  if (rc == 0) rc = db->exec(kContent24);
  NamedColumns content(kContent24);
  std::int64_t gone = 0;
  if (rc == 0)
    rc = db->insert(kContentTable, content.row({{"c0First", t("Mary-Kate")},
                                                {"c1Last", t("O'Brien")},
                                                {"c6Organization", t("\"Best\" Bakes")},
                                                {"c15Phone", t("+353 1 234 5678 +35312345678 ")},
                                                {"c16Email", t("mk@example.ie")}}));
  if (rc == 0)
    rc = db->insert(
        kContentTable,
        content.row(
            {{"c0First", t("Jo")}, {"c15Phone", t("5550100 ")}, {"c9Birthday", SqlValue::of(-3)}}),
        &gone);
  if (rc == 0)
    rc = db->insert(kContentTable, content.row({{"c0First", t("Ünal")},
                                                {"c1Last", t("Yıldız")},
                                                {"c15Phone", t("+905321234567 ")},
                                                {"c22Date", SqlValue::of(1)}}));
  if (rc == 0) rc = db->deleteRows(kContentTable, {gone});
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
