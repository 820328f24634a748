// The three manifest walks over backups built for each case: what becomes an item, its name,
// app name and size, the order of the lists, the reports, and a cancel in the middle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/chat_database.h"
#include "engine/file_types.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "samples/appdb_messages.h"
#include "samples/media_samples.h"
#include "tests/engine/scan_test_support.h"
#include "tests/fixtures/special_files.h"

namespace qv::engine {
namespace {

using samples::mediaBytes;
using samples::MediaSample;
using samples::StoredAs;
using testing::RecordingCallback;
using testing::TestBackup;
using testing::U;
using testing::W;

std::vector<std::wstring> namesOf(const std::vector<FileItem>& items) {
  std::vector<std::wstring> names;
  for (const FileItem& item : items) names.push_back(item.name);
  return names;
}

// Reports after open: 0, 1, then 1 + step.
const std::vector<int> kOpenReports = {0, 1, 12};

std::vector<int> afterOpen(const RecordingCallback& r) {
  return std::vector<int>(r.values.begin() + static_cast<long>(kOpenReports.size()),
                          r.values.end());
}

TEST(PhotoWalk, ItemsNamesOrderAndReports) {
  TestBackup backup;
  auto& b = backup.builder();
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.MOV",
            mediaBytes(MediaSample::kMov, 3000, 1));
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.JPG",
            mediaBytes(MediaSample::kJpegJfif, 900, 2), StoredAs::kNone);
  b.addFile("HomeDomain", "Library/Preferences/com.example.plist",
            mediaBytes(MediaSample::kText, 700, 3));
  b.addFile("MediaDomain", "Media/PhotoStreamsData/77/100APPLE/b.GIF",
            mediaBytes(MediaSample::kGif, 800, 4));
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/short.JPG",
            mediaBytes(MediaSample::kShortJpeg, 400, 5));
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/A.PNG",
            mediaBytes(MediaSample::kPng, 1000, 6));
  RecordingCallback recorder;
  auto engine = backup.open(&recorder);
  ASSERT_TRUE(engine);
  ASSERT_EQ(recorder.values, kOpenReports);
  ASSERT_EQ(engine->index().size(), 6u);

  std::vector<FileItem> cameraRoll, photoStream;
  EXPECT_EQ(engine->gatherPhotos(&cameraRoll, &photoStream), 0);
  // A MOV keeps its own name; names sort without regard to case; a 400-byte JPEG is not one.
  EXPECT_EQ(namesOf(cameraRoll), (std::vector<std::wstring>{L"A.PNG", L"IMG_0001.MOV"}));
  EXPECT_EQ(namesOf(photoStream), std::vector<std::wstring>{L"b.GIF"});
  EXPECT_EQ(cameraRoll[0].size, 1000u);
  EXPECT_EQ(cameraRoll[1].size, 3000u);
  EXPECT_EQ(U(cameraRoll[1].storedPath),
            backup.builder().storedPath(
                samples::fileIdFor("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.MOV")));
  // 12 + 22 x i / 6 for the five entries reported (the missing file is passed over), then 34.
  EXPECT_EQ(afterOpen(recorder), (std::vector<int>{15, 19, 23, 26, 30, 34}));
  EXPECT_EQ(engine->progress(), 34);
}

// A Camera Roll name keeps its extension only when that is a picture or video extension;
// otherwise the item is named by its detected type, so opening the recovered file shows a
// picture and never runs what a crafted name would make a browser run.
TEST(PhotoWalk, NamesThatAreNoPictureOrVideoTakeTheDetectedExtension) {
  TestBackup backup;
  auto& b = backup.builder();
  const std::string jpeg = mediaBytes(MediaSample::kJpegJfif, 900, 1);
  for (const char* name : {"IMG_9001.html", "IMG_9002.hta", "IMG_9003", "IMG_9004.HEIC",
                           "IMG_9005.mov", "IMG_9006.JpEg"})
    b.addFile("CameraRollDomain", std::string("Media/DCIM/100APPLE/") + name, jpeg);
  b.addFile("MediaDomain", "Media/PhotoStreamsData/77/100APPLE/s.svg", jpeg);
  auto engine = backup.open();
  ASSERT_TRUE(engine);
  std::vector<FileItem> cameraRoll, photoStream;
  EXPECT_EQ(engine->gatherPhotos(&cameraRoll, &photoStream), 0);
  EXPECT_EQ(namesOf(cameraRoll),
            (std::vector<std::wstring>{L"IMG_9001.JPG", L"IMG_9002.JPG", L"IMG_9003.JPG",
                                       L"IMG_9004.HEIC", L"IMG_9005.mov", L"IMG_9006.JpEg"}));
  EXPECT_EQ(namesOf(photoStream), std::vector<std::wstring>{L"s.JPG"});
}

// A backup can hold links: a stored file that is a link, or a two-character folder that is
// one, would hand the scan (and then the export) a file from elsewhere on the computer. Such
// stored files are passed over like missing ones, databases included.
TEST(StoredFilesInPlace, LinksInsideTheBackupAreNotFollowed) {
  TestBackup backup;
  auto& b = backup.builder();
  const std::string jpeg = mediaBytes(MediaSample::kJpegJfif, 900, 1);
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/own.JPG", jpeg);
  const std::string linkedFile =
      b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/file.JPG", std::string(), StoredAs::kNone);
  const std::string linkedFolder =
      b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/dir.JPG", std::string(), StoredAs::kNone);
  const std::string sms =
      b.addFile("HomeDomain", "Library/SMS/sms.db", std::string(), StoredAs::kNone);
  // Outside the backup: a picture, a folder holding a file under the other id, an sms.db.
  fixtures::TempFolder outside;
  const std::string picture = outside.file("picture");
  ASSERT_EQ(platform::writeWholeFile(picture, jpeg.data(), jpeg.size()), 0);
  ASSERT_EQ(platform::createFolders(outside.file("folder")), 0);
  ASSERT_EQ(platform::writeWholeFile(platform::joinPath(outside.file("folder"), linkedFolder),
                                     jpeg.data(), jpeg.size()),
            0);
  const std::string messages = testing::builtDatabase(samples::buildSmallSmsDatabase);
  ASSERT_EQ(platform::writeWholeFile(outside.file("sms.db"), messages.data(), messages.size()), 0);
  const std::string folderLink = platform::joinPath(b.folder(), linkedFolder.substr(0, 2));
  platform::removeTree(folderLink);
  ASSERT_EQ(platform::createFolders(platform::joinPath(b.folder(), linkedFile.substr(0, 2))), 0);
  ASSERT_EQ(platform::createFolders(platform::joinPath(b.folder(), sms.substr(0, 2))), 0);
  if (!fixtures::makeLink(picture, b.storedPath(linkedFile)) ||
      !fixtures::makeLink(outside.file("folder"), folderLink) ||
      !fixtures::makeLink(outside.file("sms.db"), b.storedPath(sms)))
    GTEST_SKIP() << "no links here";

  auto engine = backup.open();
  ASSERT_TRUE(engine);
  std::vector<FileItem> cameraRoll, photoStream;
  EXPECT_EQ(engine->gatherPhotos(&cameraRoll, &photoStream), 0);
  EXPECT_EQ(namesOf(cameraRoll), std::vector<std::wstring>{L"own.JPG"});
  db::ConversationMap conversations;
  EXPECT_EQ(engine->readMessages(&conversations), kInvalid);
  EXPECT_TRUE(conversations.empty());
}

TEST(PhotoWalk, ACancelEndsTheWalkWhereItIs) {
  TestBackup backup;
  auto& b = backup.builder();
  for (int i = 0; i < 8; ++i) {
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_000" + std::to_string(i) + ".JPG",
              mediaBytes(MediaSample::kJpegExif, 700, static_cast<std::uint32_t>(i)));
  }
  RecordingCallback recorder;
  auto engine = backup.open(&recorder);
  ASSERT_TRUE(engine);
  recorder.stopAtCall = static_cast<int>(kOpenReports.size()) + 3;  // the walk's third report
  std::vector<FileItem> cameraRoll, photoStream;
  EXPECT_EQ(engine->gatherPhotos(&cameraRoll, &photoStream), kCancelled);
  EXPECT_EQ(cameraRoll.size(), 3u);
  // Three reports in the walk, then the step's closing one.
  EXPECT_EQ(afterOpen(recorder).size(), 4u);
}

TEST(AttachmentWalk, NamedByTheirBytesEmptyOnesLeftOut) {
  TestBackup backup;
  auto& b = backup.builder();
  b.addFile("MediaDomain", "Library/SMS/Attachments/ab/01/X/photo.heic",
            mediaBytes(MediaSample::kJpegJfif, 1200, 1));
  b.addFile("MediaDomain", "Library/SMS/Attachments/ab/02/Y/voice",
            mediaBytes(MediaSample::kWav, 900, 2));
  b.addFile("MediaDomain", "Library/SMS/Attachments/ab/03/Z/empty.jpg", "");
  b.addFile("MediaDomain", "Library/SMS/Attachments/ab/04/W/gone.jpg",
            mediaBytes(MediaSample::kJpegJfif, 900, 3), StoredAs::kNone);
  b.addFile("MediaDomain", "Library/SMS/Attachments/ab/05/V/tune.midi",
            mediaBytes(MediaSample::kMidi, 600, 4));
  RecordingCallback recorder;
  auto engine = backup.open(&recorder);
  ASSERT_TRUE(engine);
  std::vector<FileItem> items;
  EXPECT_EQ(engine->gatherMessageAttachments(&items), 0);
  EXPECT_EQ(namesOf(items), (std::vector<std::wstring>{L"photo.JPG", L"tune.MID", L"voice.WAV"}));
  // 12 + 11 x i / 5 for the four files there, then 12 + 11.
  EXPECT_EQ(afterOpen(recorder), (std::vector<int>{14, 16, 18, 20, 23}));
}

// Stored files of 4 GiB and more keep their whole size: the low 32 bits of exactly 4 GiB are 0,
// which would drop the attachment as an empty file.
TEST(AttachmentWalk, AFileOfFourGibibytesIsKeptWithItsSize) {
  TestBackup backup;
  const std::string id =
      backup.builder().addFile("MediaDomain", "Library/SMS/Attachments/ab/01/X/movie.mov",
                               mediaBytes(MediaSample::kMov, 800, 1));
  auto engine = backup.open();
  ASSERT_TRUE(engine);
  static std::string bigPath;
  bigPath = backup.builder().storedPath(id);
  platform::OsCalls calls = platform::realOsCalls();
  calls.stat = [](const std::string& path, platform::PathInfo* info) {
    const int rc = platform::realOsCalls().stat(path, info);
    if (rc == 0 && path == bigPath) info->size = std::uint64_t{1} << 32;
    return rc;
  };
  platform::ScopedOsCalls seam(calls);
  std::vector<FileItem> items;
  EXPECT_EQ(engine->gatherMessageAttachments(&items), 0);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].size, std::uint64_t{1} << 32);
  EXPECT_EQ(items[0].name, L"movie.MOV");
}

TEST(AppFileWalk, AppNamesWhatsAppAndSafeNames) {
  TestBackup backup;
  auto& b = backup.builder();
  b.addFile("AppDomain-com.example.camera", "Documents/shot.jpeg",
            mediaBytes(MediaSample::kJpegExif, 900, 1));
  b.addFile("AppDomain-net.example.recorder", "Documents/take",
            mediaBytes(MediaSample::kWav, 900, 2));
  // "com." in the path with no "-" after it: no app name.
  b.addFile("AppDomain-org.example.viewer", "Library/com.cache/pic.gif",
            mediaBytes(MediaSample::kGif, 900, 3));
  b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/1@s.whatsapp.net/IMG-1.jpg",
            mediaBytes(MediaSample::kJpegJfif, 900, 4));
  b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/1@s.whatsapp.net/empty.jpg", "");
  b.addFile("AppDomain-org.example.notes", "Documents/readme.txt",
            mediaBytes(MediaSample::kText, 900, 5));
  // Names from the manifest that are no file names, and an app name that walks up folders.
  b.addFile("AppDomain-com.example.camera", "Documents/a\\b:c?.png",
            mediaBytes(MediaSample::kPng, 900, 6));
  b.addFile("AppDomain-com.x/../../evil", "Documents/p.png", mediaBytes(MediaSample::kPng, 900, 7));
  b.addFile("AppDomain-com.example.camera", "Documents/CON", mediaBytes(MediaSample::kMp4, 900, 8));
  b.addFile("HomeDomain", "Library/SMS/Attachments/x.jpg",
            mediaBytes(MediaSample::kJpegJfif, 900, 9));
  auto engine = backup.open();
  ASSERT_TRUE(engine);

  // Without the app walk there is nothing to hand over.
  std::vector<FileItem> whatsApp;
  EXPECT_EQ(engine->takeWhatsAppAttachments(&whatsApp), 0);
  EXPECT_TRUE(whatsApp.empty());

  std::vector<AppFileItem> items;
  EXPECT_EQ(engine->gatherAppFiles(&items), 0);
  std::vector<std::pair<std::wstring, std::wstring>> got;
  for (const AppFileItem& item : items) got.emplace_back(item.name, item.appName);
  EXPECT_EQ(got, (std::vector<std::pair<std::wstring, std::wstring>>{
                     {L"_CON.MP4", L"example.camera"},
                     {L"a_b_c_.PNG", L"example.camera"},
                     {L"p.PNG", L"x_.._.._evil"},
                     {L"pic.GIF", L"other"},
                     {L"shot.JPG", L"example.camera"},
                     {L"take.WAV", L"example.recorder"},
                 }));
  EXPECT_EQ(engine->takeWhatsAppAttachments(&whatsApp), 0);
  EXPECT_EQ(namesOf(whatsApp), std::vector<std::wstring>{L"IMG-1.JPG"});
}

TEST(AppFileWalk, ACancelStopsItAndKeepsNoLaterFile) {
  TestBackup backup;
  for (int i = 0; i < 6; ++i) {
    backup.builder().addFile("AppDomain-com.example.camera",
                             "Documents/" + std::to_string(i) + ".png",
                             mediaBytes(MediaSample::kPng, 700, static_cast<std::uint32_t>(i)));
  }
  RecordingCallback recorder;
  auto engine = backup.open(&recorder);
  ASSERT_TRUE(engine);
  recorder.stopAtCall = static_cast<int>(kOpenReports.size()) + 2;
  std::vector<AppFileItem> items;
  EXPECT_EQ(engine->gatherAppFiles(&items), kCancelled);
  EXPECT_EQ(items.size(), 2u);
  // Reports share 2 x step: 12 + 22 x 1 / 6, 12 + 22 x 2 / 6, then the step's own share.
  EXPECT_EQ(afterOpen(recorder), (std::vector<int>{15, 19, 23}));
}

TEST(ChatDatabaseNames, OnlyTheDatabaseItselfCounts) {
  EXPECT_TRUE(
      namesChatDatabase("AppDomainGroup-group.net.whatsapp.WhatsApp.shared-ChatStorage.sqlite",
                        ChatDatabase::kWhatsApp));
  EXPECT_TRUE(namesChatDatabase("AppDomain-net.whatsapp.WhatsApp-Documents/ChatStorage.sqlite",
                                ChatDatabase::kWhatsApp));
  EXPECT_FALSE(
      namesChatDatabase("AppDomainGroup-group.net.whatsapp.WhatsApp.shared-ChatStorage.sqlite-wal",
                        ChatDatabase::kWhatsApp));
  EXPECT_FALSE(namesChatDatabase("AppDomain-x-OldChatStorage.sqlite", ChatDatabase::kWhatsApp));
  EXPECT_TRUE(
      namesChatDatabase("AppDomain-com.tencent.mqq-Documents/contents/1/QQ.db", ChatDatabase::kQq));
  EXPECT_FALSE(namesChatDatabase("AppDomain-com.tencent.mqq-Documents/contents/1/QQ.db-journal",
                                 ChatDatabase::kQq));
  EXPECT_TRUE(namesChatDatabase("AppDomain-com.tencent.xin-Documents/ab/DB/MM.sqlite",
                                ChatDatabase::kWechat));
  EXPECT_FALSE(namesChatDatabase("AppDomain-com.tencent.xin-Documents/ab/DB/MM.sqlite.bak",
                                 ChatDatabase::kWechat));
  EXPECT_EQ(qqAccountOfKey("AppDomain-com.tencent.mqq-Documents/contents/10020030/QQ.db"),
            "10020030");
}

}  // namespace
}  // namespace qv::engine
