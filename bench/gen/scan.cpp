// Input and step timings for bench/scan.
//
//   bench_scan make DIR PHONE_DBS [ENTRIES] [MEDIA]
//       writes a backup with Manifest.db into DIR: ENTRIES manifest entries (300,000), MEDIA of
//       them media files with true signatures (20,000: Camera Roll 40%, Photo Stream 10%,
//       message attachments 20%, app media of 40 com. and net. apps 20%, WhatsApp 10%), the
//       message database and address book that `bench_readers generate` wrote into PHONE_DBS,
//       and the fixtures' call history, notes and WhatsApp databases. Of the other entries,
//       40,000 are app files that are not media (every app-domain file is opened by the
//       app-file walk), 2,000 message attachments that are not media, and the rest are files
//       and folders of other domains, which no walk opens and which get no stored file here.
//   bench_scan time DIR
//       runs the scan sequence over DIR in this process and prints each step's wall time and
//       the categories' counts
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/decryption.h"
#include "engine/recovery_engine.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/text.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_notes.h"
#include "samples/appdb_whatsapp.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/media_samples.h"
#include "samples/sqlite_fixture.h"

namespace {

namespace platform = qv::platform;
namespace samples = qv::samples;
using samples::MediaSample;

constexpr std::size_t kAppNonMedia = 40000;
constexpr std::size_t kAttachmentNonMedia = 2000;

std::string readFile(const std::string& path) {
  std::string bytes;
  if (platform::readWholeFile(path, std::uint64_t{1} << 32, &bytes) != 0) {
    std::fprintf(stderr, "bench_scan: cannot read %s\n", path.c_str());
    std::exit(1);
  }
  return bytes;
}

// A name of this process's own in the system's temporary folder.
std::string scratchPath(const char* name) {
  return platform::joinPath(
      platform::systemTemporaryFolder(),
      "qv-bench-scan-" + std::to_string(platform::currentProcessId()) + "-" + name);
}

// The bytes of a database built in a scratch file, which is removed again.
std::string built(int (*build)(const std::string&, samples::SqliteFixture*)) {
  const std::string path = scratchPath("db");
  samples::SqliteFixture db;
  if (build(path, &db) != 0) {
    std::fprintf(stderr, "bench_scan: a sample database failed\n");
    std::exit(1);
  }
  std::string bytes = readFile(path);
  platform::removeFile(path);
  return bytes;
}

MediaSample mediaKind(std::size_t i) {
  static const MediaSample kKinds[] = {
      MediaSample::kJpegExif, MediaSample::kJpegJfif, MediaSample::kHeic, MediaSample::kMov,
      MediaSample::kPng,      MediaSample::kMp4,      MediaSample::kGif,  MediaSample::k3gp,
      MediaSample::kWav,      MediaSample::kMp3,      MediaSample::kMidi, MediaSample::kAvi};
  return kKinds[i % (sizeof kKinds / sizeof kKinds[0])];
}

int make(const std::string& dir, const std::string& phoneDbs, std::size_t entries,
         std::size_t media) {
  samples::BackupBuilder b(dir, samples::ManifestLayout::kDb);
  b.setDbFileBlobSize(320);
  samples::DeviceInfo device;
  device.displayName = "Bench iPhone";
  device.productVersion = "9.3.5";  // the readers bench writes the older table layouts
  if (samples::writeInfoPlist(dir, samples::infoPlistText(device)) != 0) return 1;

  b.addFile("HomeDomain", "Library/SMS/sms.db", readFile(platform::joinPath(phoneDbs, "sms.db")));
  b.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
            readFile(platform::joinPath(phoneDbs, "AddressBook.sqlitedb")));
  b.addFile(samples::kCallHistoryDomain, samples::kCallHistoryRelativePath,
            built([](const std::string& p, samples::SqliteFixture* db) {
              return samples::buildCallHistory(p, samples::CallHistoryLayout::kIos17, db);
            }));
  b.addFile("HomeDomain", "Library/Notes/notes.sqlite", built(samples::buildNotesDatabase));
  b.addFile(samples::kWhatsAppDomain, samples::kWhatsAppRelativePath,
            built([](const std::string& p, samples::SqliteFixture* db) {
              return samples::buildWhatsAppDatabase(p, samples::WhatsAppLayout::kNewer, db);
            }));
  std::size_t written = 5;

  char path[200];
  for (std::size_t i = 0; i < media; ++i, ++written) {
    const std::size_t size = 1024 + (i * 7919) % 7168;
    const std::string bytes =
        samples::mediaBytes(mediaKind(i), size, static_cast<std::uint32_t>(i));
    const std::size_t slot = i % 10;
    if (slot < 4) {
      std::snprintf(path, sizeof path, "Media/DCIM/%zuAPPLE/IMG_%05zu.JPG", 100 + i / 1000, i);
      b.addFile("CameraRollDomain", path, bytes);
    } else if (slot == 4) {
      std::snprintf(path, sizeof path, "Media/PhotoStreamsData/%zu/100APPLE/IMG_%05zu.JPG",
                    1000000 + i % 7, i);
      b.addFile("MediaDomain", path, bytes);
    } else if (slot < 7) {
      std::snprintf(path, sizeof path, "Library/SMS/Attachments/%02zx/%02zu/%08zX/IMG_%05zu.jpeg",
                    i % 256, i % 16, i * 2654435761u % 0xFFFFFFFFu, i);
      b.addFile("MediaDomain", path, bytes);
    } else if (slot < 9) {
      const std::string domain =
          std::string(i % 2 ? "AppDomain-com.example.app" : "AppDomain-net.example.app") +
          std::to_string(i % 40);
      std::snprintf(path, sizeof path, "Documents/Media/%05zu.dat", i);
      b.addFile(domain, path, bytes);
    } else {
      std::snprintf(path, sizeof path, "Library/Media/447700%06zu@s.whatsapp.net/%05zu.jpg",
                    i % 300, i);
      b.addFile("AppDomain-net.whatsapp.WhatsApp", path, bytes);
    }
  }
  for (std::size_t i = 0; i < kAppNonMedia && written < entries; ++i, ++written) {
    std::snprintf(path, sizeof path, "Library/Caches/fsCachedData/%08zX-%04zX.plist",
                  i * 2654435761u % 0xFFFFFFFFu, i % 0xFFFF);
    b.addFile("AppDomain-com.example.app" + std::to_string(i % 40), path,
              samples::mediaBytes(MediaSample::kText, 600 + i % 900, 0));
  }
  for (std::size_t i = 0; i < kAttachmentNonMedia && written < entries; ++i, ++written) {
    std::snprintf(path, sizeof path, "Library/SMS/Attachments/%02zx/%02zu/C%07zu/contact.vcf",
                  i % 256, i % 16, i);
    b.addFile("MediaDomain", path, samples::mediaBytes(MediaSample::kText, 700, 0));
  }
  static const char* kDomains[] = {"HomeDomain", "MediaDomain", "SystemPreferencesDomain",
                                   "KeychainDomain", "AppDomainGroup-group.com.example.shared"};
  for (std::size_t i = 0; written < entries; ++i, ++written) {
    std::snprintf(path, sizeof path, "Library/Application Support/Data/%zu/Item %zu.plist", i % 400,
                  i);
    if (i % 10 == 3) {
      b.addDirectory(kDomains[i % 5], path);
    } else {
      b.addFile(kDomains[i % 5], path, "", samples::StoredAs::kNone);
    }
  }
  const int rc = b.finish();
  if (rc != 0) std::fprintf(stderr, "bench_scan: writing the backup failed: %d\n", rc);
  return rc == 0 ? 0 : 1;
}

// Resident memory now (anonymous and file-backed, the latter being mapped files such as the
// manifest database while SQLite reads it) and at its peak so far, in MB, from /proc.
std::string memoryNow() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return "";
  char line[256];
  long anon = 0, file = 0, peak = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    std::sscanf(line, "RssAnon: %ld", &anon);
    std::sscanf(line, "RssFile: %ld", &file);
    std::sscanf(line, "VmHWM: %ld", &peak);
  }
  std::fclose(f);
  char out[96];
  std::snprintf(out, sizeof out, "  anon %4ld MB  file %4ld MB  peak %4ld MB", anon / 1024,
                file / 1024, peak / 1024);
  return out;
}

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class StepClock : public qv::engine::ScanObserver {
 public:
  StepClock() : start_(std::chrono::steady_clock::now()), mark_(start_) {}
  void opened() override { lap("open (manifest)"); }
  void stepStarted(qv::engine::ScanStep) override { mark_ = std::chrono::steady_clock::now(); }
  void stepFinished(qv::engine::ScanStep step, int result) override {
    lap(qv::engine::scanStepName(step), result);
  }
  void finished(int) override { std::printf("  %-30s %7.3f s\n", "whole scan", since(start_)); }

 private:
  void lap(const char* name, int result = 0) {
    std::printf("  %-30s %7.3f s%s%s\n", name, since(mark_), memoryNow().c_str(),
                result == 0 ? "" : ("  (result " + std::to_string(result) + ")").c_str());
    mark_ = std::chrono::steady_clock::now();
  }
  std::chrono::steady_clock::time_point start_, mark_;
};

int time(const std::string& dir) {
  const std::string work = scratchPath("work");
  {
    qv::engine::EngineSetup setup;
    setup.workFolder = work;
    setup.findBackups = false;
    qv::engine::RecoveryEngine engine(setup);
    qv::backup::BackupInfo info;
    if (engine.readBackupFolder(&info, dir) != 0) return 1;
    engine.setCurrentBackup(info);
    auto source = qv::engine::createSource(qv::engine::SourceKind::kLocalBackup, &engine);
    qv::engine::ScanResults results;
    qv::engine::ScanControl control;
    StepClock clock;
    std::printf("step times (in process):\n");
    qv::engine::ScanSequence sequence(*source, qv::engine::allCategories(), results, control,
                                      clock);
    sequence.run(L"");
    std::printf("index: %zu entries\n", engine.index().size());
    for (int id = 0; id < qv::engine::kCategoryCount; ++id) {
      const auto category = static_cast<qv::engine::ItemCategory>(id);
      const auto s = qv::engine::summarize(results, category);
      std::printf("  %-22s %7zu items %7zu deleted\n", qv::engine::categoryName(category), s.items,
                  s.deleted);
    }
  }
  // The engine removed its temporary files when it went; what is left are empty folders.
  platform::removeFolder(platform::joinPath(work, qv::engine::kTemporaryFolderName));
  platform::removeFolder(work);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "make") {
    const std::size_t entries =
        args.size() > 3 ? std::strtoull(args[3].c_str(), nullptr, 10) : 300000;
    const std::size_t media = args.size() > 4 ? std::strtoull(args[4].c_str(), nullptr, 10) : 20000;
    return make(args[1], args[2], entries, media);
  }
  if (args.size() == 2 && args[0] == "time") return time(args[1]);
  std::fprintf(stderr,
               "usage: bench_scan make DIR PHONE_DBS [ENTRIES] [MEDIA]\n"
               "       bench_scan time DIR\n");
  return 2;
}
