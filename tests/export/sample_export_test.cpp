// A full export of the sample backup through the real engine: every category's items land in
// their place of the tree with the stored bytes, every conversation, chat and document is
// there with its records, the value-line files come from the real databases, and nothing else
// is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/recovery_engine.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "export/markup.h"
#include "export/output_names.h"
#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "samples/backup_sample.h"
#include "tests/export/job_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output::testing {
namespace {

using platform::toUtf8;

std::vector<std::string> contentsOf(const std::vector<engine::FileItem>& items) {
  std::vector<std::string> out;
  for (const engine::FileItem& item : items) {
    if (item.size > 0) out.push_back(readFile(toUtf8(item.storedPath)));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> contentsUnder(const std::string& folder) {
  std::vector<std::string> out;
  for (const std::string& name : listTree(folder)) out.push_back(readFile(joinPath(folder, name)));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(SampleExport, EveryCategoryOfThePhoneBackupLandsInItsPlace) {
  fixtures::TempFolder tmp;
  const std::string root = joinPath(tmp.path(), "backups");
  ASSERT_EQ(samples::writeSampleRoot(root), 0);
  engine::EngineSetup setup;
  setup.workFolder = joinPath(tmp.path(), "work");
  setup.findBackups = false;
  engine::RecoveryEngine engine(setup);

  // The phone backup: the one with Manifest.db and every database.
  const samples::SampleBackup* phone = nullptr;
  for (const samples::SampleBackup& b : samples::sampleBackups())
    if (b.manifestDb) phone = &b;
  ASSERT_NE(phone, nullptr);
  backup::BackupInfo info;
  ASSERT_EQ(engine.readBackupFolder(&info, joinPath(root, phone->folderName)), 0);
  engine.setCurrentBackup(info);
  auto source = engine::createSource(engine::SourceKind::kLocalBackup, &engine);
  engine::ScanResults results;
  engine::ScanControl control;
  engine::ScanObserver quiet;
  engine::ScanSequence sequence(*source, engine::allCategories(), results, control, quiet);
  sequence.run(L"");
  ASSERT_EQ(sequence.openResult(), 0);
  // The sample exercises every category that something fills.
  ASSERT_FALSE(results.cameraRoll.empty());
  ASSERT_FALSE(results.photoStream.empty());
  ASSERT_FALSE(results.appPhotos.empty());
  ASSERT_FALSE(results.appVideos.empty());
  ASSERT_FALSE(results.messageRows.empty());
  ASSERT_FALSE(results.messageAttachments.empty());
  ASSERT_FALSE(results.contacts.empty());
  ASSERT_FALSE(results.calls.empty());
  ASSERT_FALSE(results.notes.empty());
  ASSERT_FALSE(results.chatRows.empty());
  ASSERT_FALSE(results.whatsappAttachments.empty());

  CStatisticsObj stats;
  registerAll(stats, results);
  Results observer;
  JobSetup job = jobSetup(joinPath(tmp.path(), "out"), source.get(), &results, &stats);
  job.deviceName = toUtf8(info.displayName);
  RecoveryJob run(job, observer);
  ASSERT_EQ(run.loadTemplates(), 0);
  ASSERT_EQ(run.run(kStamp), 0);
  const std::string out = job.outputRoot;
  auto at = [&](const std::string& folder) { return joinPath(out, folder); };

  for (const Row& row : observer.rows) EXPECT_EQ(row.status, "Success") << row.path;
  EXPECT_EQ(run.failed(), 0);
  // Every item once, and the two value-line files (sms.csv and Contacts.csv): the count line
  // never reads "Processed 543 of 541".
  EXPECT_EQ(run.total(), static_cast<int>(stats.totals().items) + 2);
  EXPECT_EQ(run.processed(), run.total());
  EXPECT_EQ(static_cast<int>(observer.rows.size()), run.processed());

  // Media and attachments: the stored bytes, once each.
  std::size_t expectedFiles = 0;
  const std::pair<const char*, const std::vector<engine::FileItem>*> media[] = {
      {"Camera Roll", &results.cameraRoll},
      {"Photo Stream", &results.photoStream},
      {"Message Attachments", &results.messageAttachments},
      {"WhatsApp Attachments", &results.whatsappAttachments}};
  for (const auto& [folder, items] : media) {
    EXPECT_EQ(contentsUnder(at(folder)), contentsOf(*items)) << folder;
    expectedFiles += items->size();
  }
  for (const auto& [folder, apps] : {std::make_pair("App Photos", &results.appPhotos),
                                     std::make_pair("App Video", &results.appVideos)}) {
    for (const auto& [app, files] : *apps) {
      std::vector<engine::FileItem> items;
      for (const engine::AppFileItem& f : files) items.push_back({f.size, f.name, f.storedPath});
      EXPECT_EQ(contentsUnder(joinPath(at(folder), toUtf8(safeComponent(app)))), contentsOf(items))
          << app.size();
      expectedFiles += files.size();
    }
  }

  // Conversations: a text file and a page each, holding every message.
  std::map<std::string, int> pages;
  for (const db::MessageRecord& row : results.messageRows) {
    const std::string folder =
        joinPath(at("Message"), toUtf8(safeComponent(conversationPerson(row), L"-20240102030405")));
    const std::string base = toUtf8(safeComponent(conversationBase(row)));
    const int seen = pages[folder + base]++;
    const std::string suffix = seen == 0 ? "" : "(" + std::to_string(seen) + ")";
    const std::string page = readFile(joinPath(folder, base + suffix + ".html"));
    for (const db::MessageRecord& m : results.conversations.at(row.handleId))
      EXPECT_NE(page.find(html(m.text, LineBreaks::kBreakTag)), std::string::npos);
    EXPECT_TRUE(platform::isFile(joinPath(folder, base + suffix + ".txt")));
    expectedFiles += 2;
  }
  EXPECT_GT(readFile(joinPath(at("Message"), "sms.csv")).size(), 0u);
  expectedFiles += 1;

  for (const db::ChatRecord& row : results.chatRows) {
    const std::wstring title = chatTitle(row);
    const std::string folder =
        joinPath(at("WhatsApp Message"), toUtf8(safeComponent(title, L"-20240102030405")));
    for (const wchar_t* ext : {L".txt", L".csv", L".html"})
      EXPECT_TRUE(platform::isFile(joinPath(folder, toUtf8(safeComponent(title, ext)))));
    expectedFiles += 3;
  }

  const std::string contacts = readFile(at("Contacts/20240102030405/Contacts.html"));
  for (const db::ContactRecord& c : results.contacts)
    EXPECT_NE(contacts.find("<td>" + html(c.name) + "</td>"), std::string::npos);
  EXPECT_GT(readFile(at("Contacts/20240102030405/Contacts.csv")).size(), 0u);
  const std::string calls = readFile(at("CallHistory/CallHistory_20240102030405.html"));
  EXPECT_EQ(static_cast<std::size_t>(std::count(calls.begin(), calls.end(), '\t')),
            results.calls.size());
  const std::string notes = readFile(at("Notes/Notes_20240102030405.html"));
  for (const db::NoteRecord& n : results.notes)
    EXPECT_NE(notes.find(html(n.title)), std::string::npos);
  expectedFiles += 4;

  // Nothing else: empty media files are written too (and report nothing).
  EXPECT_EQ(listTree(out).size(), expectedFiles);
}

}  // namespace
}  // namespace qv::output::testing
