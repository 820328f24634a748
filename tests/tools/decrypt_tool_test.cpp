// The tool end to end in-process: generated encrypted backups of every era and plist form go
// through runTool and come back byte for byte; damaged backups and wrong passwords give their
// own exit status and leave no file behind that the reading program could take as complete.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "samples/encrypt_backup.h"
#include "tests/tools/decrypt_test_support.h"
#include "tools/decrypt/decrypt_backup.h"
#include "tools/decrypt/stored_file.h"
#include "tools/decrypt/tool_main.h"

namespace qv::decrypt {
namespace {

using samples::EmptyFileForm;
using samples::EncryptedBackupWriter;
using samples::EncryptedEra;
using samples::EncryptedPlistForm;
using samples::EncryptOptions;
using testing::CapturingConsole;
using testing::ScratchFolder;

struct PlainFile {
  std::string domain;
  std::string path;
  std::string content;
  std::uint32_t protectionClass;
};

// Sizes around the block and chunk edges: empty, under, at and over one block, and a file that
// spans two 4 MiB reading chunks.
std::vector<PlainFile> sampleFiles() {
  return {
      {"HomeDomain", "Library/SMS/sms.db", testing::patternBytes(5000, 1), 3},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG",
       testing::patternBytes((4u << 20) + 35, 2), 3},
      {"HomeDomain", "Library/Preferences/empty.plist", "", 3},
      {"HomeDomain", "Library/one-byte", "x", 1},
      {"HomeDomain", "Library/fifteen", testing::patternBytes(15, 3), 2},
      {"HomeDomain", "Library/sixteen", testing::patternBytes(16, 4), 4},
      {"HomeDomain", "Library/thirty-two", testing::patternBytes(32, 5), 4},
      {"AppDomain-com.example.notes", "Documents/caf\xC3\xA9 \xE2\x98\x95.txt", "bonjour", 3},
  };
}

struct Backup {
  std::string folder;
  std::vector<PlainFile> files;
  std::vector<std::string> ids;
};

Backup writeBackup(const ScratchFolder& scratch, const EncryptOptions& options,
                   std::vector<PlainFile> files = sampleFiles()) {
  Backup b;
  b.folder = scratch / "backup";
  b.files = std::move(files);
  EncryptedBackupWriter writer(b.folder, options);
  for (const PlainFile& f : b.files)
    b.ids.push_back(writer.addFile(f.domain, f.path, f.content, f.protectionClass));
  EXPECT_EQ(writer.finish(), 0);
  return b;
}

int runDecrypt(const std::string& backup, const std::string& out, const std::string& password,
               CapturingConsole* console) {
  return runTool({backup, out, password}, *console);
}

// The deciphered stored files in an output folder: its entries but the deciphered manifest.
std::vector<std::string> storedOutputs(const std::string& folder) {
  std::vector<std::string> names = testing::sortedEntries(folder);
  names.erase(std::remove(names.begin(), names.end(), kDecipheredManifestName), names.end());
  return names;
}

bool hasPartialFiles(const std::string& folder) {
  for (const std::string& name : testing::sortedEntries(folder)) {
    if (name.find(kPartialSuffix) != std::string::npos) return true;
  }
  return false;
}

std::int64_t rowsWithKey(const std::string& dbPath) {
  sqlite3* db = nullptr;
  std::int64_t n = -1;
  if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    // Folder rows have the flags 2; every other row of the fixture holds a file.
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Files WHERE flags <> 2", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      n = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return n;
}

struct Variant {
  const char* name;
  EncryptedEra era;
  EncryptedPlistForm form;
  bool padManifestDb;
  bool keyBehindUid;
  EmptyFileForm empty;
  std::int64_t keyedFileFlags = 1;
  bool nullKeysForFolders = false;
};

class DecryptRoundTrip : public ::testing::TestWithParam<Variant> {};

TEST_P(DecryptRoundTrip, EveryStoredFileComesBackByteForByte) {
  const Variant& v = GetParam();
  ScratchFolder scratch;
  EncryptOptions o;
  o.password = "round trip";
  o.era = v.era;
  o.plistForm = v.form;
  o.padManifestDb = v.padManifestDb;
  o.keyBehindUid = v.keyBehindUid;
  o.emptyFiles = v.empty;
  o.keyedFileFlags = v.keyedFileFlags;
  o.nullKeysForFolders = v.nullKeysForFolders;
  Backup b = writeBackup(scratch, o);
  std::string out = scratch / "out";

  const std::vector<std::string> backupBefore = testing::sortedEntries(b.folder);
  CapturingConsole console;
  ASSERT_EQ(runDecrypt(b.folder, out, o.password, &console), kExitOk)
      << ::testing::PrintToString(console.errLines);
  EXPECT_EQ(console.lastCount(), static_cast<std::int64_t>(b.files.size()));
  EXPECT_FALSE(console.saidWrongPassword());
  for (std::size_t i = 0; i < b.files.size(); ++i) {
    std::string path = platform::joinPath(out, b.ids[i]);
    ASSERT_TRUE(platform::isFile(path)) << b.files[i].path;
    EXPECT_TRUE(testing::readFileOrEmpty(path) == b.files[i].content) << b.files[i].path;
  }
  // Flat and nothing else: exactly one output per stored file, and the deciphered manifest.
  std::set<std::string> expected(b.ids.begin(), b.ids.end());
  if (v.era != EncryptedEra::kManifestMbdb) expected.insert(kDecipheredManifestName);
  std::vector<std::string> entries = testing::sortedEntries(out);
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), expected);

  std::string manifest = platform::joinPath(out, kDecipheredManifestName);
  if (v.era != EncryptedEra::kManifestMbdb) {
    EXPECT_EQ(rowsWithKey(manifest), static_cast<std::int64_t>(b.files.size()));
  }
  // The backup is only read: a read-only backup deciphers, and no file of one run lies in the
  // backup for another to take as its own.
  EXPECT_EQ(testing::sortedEntries(b.folder), backupBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Eras, DecryptRoundTrip,
    ::testing::Values(
        Variant{"ManifestDbBinary", EncryptedEra::kManifestDb, EncryptedPlistForm::kBinary, true,
                false, EmptyFileForm::kPaddingBlock},
        Variant{"ManifestDbXml", EncryptedEra::kManifestDb, EncryptedPlistForm::kXml, true, false,
                EmptyFileForm::kPaddingBlock},
        Variant{"ManifestDbUnpaddedKeyBehindUid", EncryptedEra::kManifestDb,
                EncryptedPlistForm::kBinary, false, true, EmptyFileForm::kZeroBytes},
        Variant{"ManifestDbEmptyFilesAbsent", EncryptedEra::kManifestDb, EncryptedPlistForm::kXml,
                true, false, EmptyFileForm::kAbsent},
        // Files whose rows carry other flags than 1 are still files; folders whose key is a
        // reference to $null have none.
        Variant{"ManifestDbFlags16NullFolderKeys", EncryptedEra::kManifestDb,
                EncryptedPlistForm::kBinary, true, true, EmptyFileForm::kPaddingBlock, 16, true},
        Variant{"ManifestDbFlags0", EncryptedEra::kManifestDb, EncryptedPlistForm::kBinary, true,
                false, EmptyFileForm::kPaddingBlock, 0, false},
        Variant{"PlainManifestDb", EncryptedEra::kPlainManifestDb, EncryptedPlistForm::kBinary,
                true, false, EmptyFileForm::kPaddingBlock},
        Variant{"MbdbBinary", EncryptedEra::kManifestMbdb, EncryptedPlistForm::kBinary, true, false,
                EmptyFileForm::kPaddingBlock},
        Variant{"MbdbXml", EncryptedEra::kManifestMbdb, EncryptedPlistForm::kXml, true, false,
                EmptyFileForm::kAbsent}),
    [](const ::testing::TestParamInfo<Variant>& p) { return std::string(p.param.name); });

TEST(DecryptTool, WrongPasswordSaysSoAndWritesNothing) {
  for (EncryptedEra era : {EncryptedEra::kManifestDb, EncryptedEra::kManifestMbdb}) {
    ScratchFolder scratch;
    EncryptOptions o;
    o.password = "secret";
    o.era = era;
    Backup b = writeBackup(scratch, o);
    std::vector<std::string> before = testing::sortedEntries(b.folder);
    CapturingConsole console;
    std::string out = scratch / "out";
    EXPECT_EQ(runDecrypt(b.folder, out, "Secret", &console), kExitWrongPassword);
    EXPECT_TRUE(console.saidWrongPassword());
    EXPECT_EQ(console.lastCount(), -1);
    EXPECT_FALSE(platform::pathExists(out));
    EXPECT_EQ(testing::sortedEntries(b.folder), before);
  }
}

TEST(DecryptTool, PasswordsAreTakenExactlyAsGiven) {
  const std::vector<std::string> passwords = {
      "correct horse battery staple",
      " leading and trailing ",
      "say \"hi\" twice \"\"",
      "back\\slash\\",
      "ends with quote and backslashes \\\\\"",
      "p\xC3\xA4ssw\xC3\xB6rd \xC3\xB1 \xE5\xAF\x86\xE7\xA0\x81 \xF0\x9F\x94\x91",
  };
  for (const std::string& password : passwords) {
    SCOPED_TRACE(password);
    ScratchFolder scratch;
    EncryptOptions o;
    o.password = password;
    Backup b = writeBackup(scratch, o, {{"HomeDomain", "Library/a", "alpha", 3}});
    CapturingConsole wrong;
    // The password as the unquoted command line would have cut it: the first word only.
    std::string firstWord = password.substr(0, password.find(' '));
    if (firstWord != password) {
      EXPECT_EQ(runDecrypt(b.folder, scratch / "out", firstWord, &wrong), kExitWrongPassword);
    }
    CapturingConsole right;
    ASSERT_EQ(runDecrypt(b.folder, scratch / "out", password, &right), kExitOk);
    EXPECT_EQ(testing::readFileOrEmpty(platform::joinPath(scratch / "out", b.ids[0])), "alpha");
  }
}

TEST(DecryptTool, CutShortAndMissingStoredFilesAreSkippedAndTheRestWritten) {
  for (EncryptedEra era : {EncryptedEra::kManifestDb, EncryptedEra::kManifestMbdb}) {
    ScratchFolder scratch;
    EncryptOptions o;
    o.era = era;
    EncryptedBackupWriter writer(scratch / "backup", o);
    std::string cutInBlock =
        writer.addFile("HomeDomain", "Library/cut-in-block", testing::patternBytes(100, 7));
    std::string cutAtBlock =
        writer.addFile("HomeDomain", "Library/cut-at-block", testing::patternBytes(100, 8));
    std::string missing =
        writer.addFile("HomeDomain", "Library/missing", testing::patternBytes(50, 9));
    std::string whole = writer.addFile("HomeDomain", "Library/whole", "still here");
    ASSERT_EQ(writer.finish(), 0);
    std::string bytes = testing::readFileOrEmpty(writer.storedPath(cutInBlock));
    ASSERT_EQ(bytes.size(), 112u);
    ASSERT_EQ(platform::writeWholeFile(writer.storedPath(cutInBlock), bytes.data(), 100), 0);
    bytes = testing::readFileOrEmpty(writer.storedPath(cutAtBlock));
    ASSERT_EQ(platform::writeWholeFile(writer.storedPath(cutAtBlock), bytes.data(), 96), 0);
    ASSERT_EQ(platform::removeFile(writer.storedPath(missing)), 0);

    CapturingConsole console;
    std::string out = scratch / "out";
    EXPECT_EQ(runDecrypt(writer.folder(), out, o.password, &console), kExitSomeSkipped);
    EXPECT_EQ(console.lastCount(), 1);
    EXPECT_EQ(storedOutputs(out), std::vector<std::string>{whole});
    EXPECT_EQ(testing::readFileOrEmpty(platform::joinPath(out, whole)), "still here");
    // Each skipped file is named by its id on standard error.
    for (const std::string& id : {cutInBlock, cutAtBlock, missing}) {
      bool named = false;
      for (const std::string& line : console.errLines)
        named = named || line.find(id) != std::string::npos;
      EXPECT_TRUE(named) << id;
    }
  }
}

// A read or write that fails half way through a stored file: the file is skipped, and neither
// its final name nor a temporary file is left for the reading program to pick up.
TEST(DecryptTool, AFailureHalfWayThroughAFileLeavesNothingUnderItsName) {
  using platform::NativeHandle;
  platform::OsCalls readFails = platform::realOsCalls();
  readFails.readAt = [](NativeHandle h, std::uint64_t off, void* buf, std::size_t n,
                        std::size_t* got) {
    if (off >= (4u << 20)) {  // only the large stored file is read this far
      *got = 0;
      return kErrReadFault;
    }
    return platform::realOsCalls().readAt(h, off, buf, n, got);
  };
  platform::OsCalls diskFull = platform::realOsCalls();
  diskFull.write = [](NativeHandle h, const void* buf, std::size_t n, std::size_t* put) {
    if (n >= (1u << 20)) {  // only chunks of the large file are this big
      *put = 0;
      return kErrDiskFull;
    }
    return platform::realOsCalls().write(h, buf, n, put);
  };
  for (const platform::OsCalls* calls : {&readFails, &diskFull}) {
    ScratchFolder scratch;
    EncryptOptions o;
    Backup b = writeBackup(
        scratch, o,
        {{"CameraRollDomain", "Media/big.MOV", testing::patternBytes((4u << 20) + 100, 1), 3},
         {"HomeDomain", "Library/small", "small", 3}});
    CapturingConsole console;
    std::string out = scratch / "out";
    {
      platform::ScopedOsCalls scope(*calls);
      EXPECT_EQ(runDecrypt(b.folder, out, o.password, &console), kExitSomeSkipped);
    }
    EXPECT_EQ(storedOutputs(out), std::vector<std::string>{b.ids[1]});
    EXPECT_FALSE(hasPartialFiles(out));
    EXPECT_EQ(console.lastCount(), 1);
  }
}

TEST(DecryptTool, ManifestKeyNamingAnAbsentClassStopsBeforeWritingAnything) {
  ScratchFolder scratch;
  EncryptOptions o;
  o.manifestKeyClass = 12;
  Backup b = writeBackup(scratch, o);
  CapturingConsole console;
  std::string out = scratch / "out";
  EXPECT_EQ(runDecrypt(b.folder, out, o.password, &console), kExitFailed);
  EXPECT_FALSE(console.saidWrongPassword());
  EXPECT_FALSE(platform::pathExists(out));
  ASSERT_FALSE(console.errLines.empty());
  EXPECT_NE(console.errLines[0].find("ManifestKey names protection class 12"), std::string::npos);
}

TEST(DecryptTool, DamagedOrForeignBackupsFailWithoutWrongPassword) {
  ScratchFolder scratch;
  EncryptOptions o;
  Backup b = writeBackup(scratch, o, {{"HomeDomain", "Library/a", "alpha", 3}});
  std::string plist = testing::readFileOrEmpty(platform::joinPath(b.folder, "Manifest.plist"));
  struct Damage {
    const char* name;
    std::string manifestPlist;
  } damages[] = {
      {"truncated binary plist", plist.substr(0, plist.size() - 40)},
      {"not a plist", "hello"},
      {"no keybag", "<plist><dict><key>IsEncrypted</key><true/></dict></plist>"},
      {"not encrypted", "<plist><dict><key>IsEncrypted</key><false/></dict></plist>"},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    ASSERT_EQ(platform::writeWholeFile(platform::joinPath(b.folder, "Manifest.plist"),
                                       d.manifestPlist.data(), d.manifestPlist.size()),
              0);
    CapturingConsole console;
    EXPECT_EQ(runDecrypt(b.folder, scratch / "out", o.password, &console), kExitFailed);
    EXPECT_FALSE(console.saidWrongPassword());
    EXPECT_FALSE(platform::pathExists(scratch / "out"));
  }
  CapturingConsole console;
  EXPECT_EQ(runDecrypt(scratch / "no-such-backup", scratch / "out", "x", &console), kExitFailed);
}

// Folder names with spaces, non-ASCII letters and the characters that mean something in an
// SQLite URI ('#', '%', '&') reach the files and the deciphered manifest intact.
TEST(DecryptTool, FolderNamesWithSpacesAndSymbols) {
  ScratchFolder scratch;
  EncryptOptions o;
  std::string backup = scratch /
                       "B\xC3\xA4"
                       "ckup #1 100% & \xE5\xA4\x87\xE4\xBB\xBD";
  std::string out = scratch / "Ausgabe \xC3\xA9t\xC3\xA9 #2";
  EncryptedBackupWriter writer(backup, o);
  std::string id = writer.addFile("HomeDomain", "Library/a", "alpha");
  ASSERT_EQ(writer.finish(), 0);
  CapturingConsole console;
  ASSERT_EQ(runDecrypt(backup, out, o.password, &console), kExitOk)
      << ::testing::PrintToString(console.errLines);
  EXPECT_EQ(testing::readFileOrEmpty(platform::joinPath(out, id)), "alpha");
  EXPECT_TRUE(platform::isFile(platform::joinPath(out, kDecipheredManifestName)));
}

TEST(DecryptTool, CommandLineTakesTwoOrThreeArguments) {
  ScratchFolder scratch;
  EncryptOptions o;
  o.password = "two words";
  Backup b = writeBackup(scratch, o, {{"HomeDomain", "Library/a", "alpha", 3}});
  CapturingConsole console;
  // What an unquoted password with a space turns into: four arguments.
  EXPECT_EQ(runTool({b.folder, scratch / "out", "two", "words"}, console), kExitUsage);
  EXPECT_EQ(runTool({b.folder}, console), kExitUsage);
  // Two arguments and nothing on standard input.
  EXPECT_EQ(runTool({b.folder, scratch / "out"}, console), kExitUsage);
  EXPECT_TRUE(console.outLines.empty());
  EXPECT_FALSE(platform::pathExists(scratch / "out"));
}

// The two-argument form takes the first line of standard input as the password, exactly, and
// refuses what no password can be before anything is written.
TEST(DecryptTool, PasswordOnStandardInput) {
  ScratchFolder scratch;
  EncryptOptions o;
  o.password = " spaced \"quoted\" \\ p\xC3\xA4ss ";
  Backup b = writeBackup(scratch, o, {{"HomeDomain", "Library/a", "alpha", 3}});
  struct Case {
    const char* name;
    std::string input;
    int status;
  } cases[] = {
      {"the password", o.password, kExitOk},
      {"another password", o.password + "x", kExitWrongPassword},
      {"a NUL byte", std::string("two words", 3) + std::string(1, '\0') + "words", kExitUsage},
      {"a password past the limit", std::string(kMaxPasswordBytes + 1, 'p'), kExitUsage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = scratch / c.name;
    CapturingConsole console;
    console.hasInput = true;
    console.input = c.input;
    EXPECT_EQ(runTool({b.folder, out}, console), c.status);
    EXPECT_EQ(platform::pathExists(out), c.status == kExitOk);
    if (c.status == kExitOk) {
      EXPECT_EQ(testing::readFileOrEmpty(platform::joinPath(out, b.ids[0])), "alpha");
    }
    if (c.status == kExitUsage) {
      EXPECT_TRUE(console.outLines.empty());
      EXPECT_FALSE(console.errLines.empty());
    }
  }
}

TEST(DecryptTool, ProgressCountsRiseToTheNumberOfFilesWritten) {
  ScratchFolder scratch;
  EncryptOptions o;
  o.era = EncryptedEra::kManifestMbdb;
  std::vector<PlainFile> files;
  for (int i = 0; i < 300; ++i)
    files.push_back({"HomeDomain", "Library/f" + std::to_string(i), std::to_string(i), 3});
  Backup b = writeBackup(scratch, o, files);
  CapturingConsole console;
  ASSERT_EQ(runDecrypt(b.folder, scratch / "out", o.password, &console), kExitOk);
  ASSERT_FALSE(console.outLines.empty());
  // The first file is reported at once; every line is a count, and counts never go back.
  EXPECT_EQ(console.outLines.front(), "Count: 1");
  std::int64_t previous = 0;
  for (const std::string& line : console.outLines) {
    ASSERT_EQ(line.rfind("Count: ", 0), 0u) << line;
    std::int64_t n = std::stoll(line.substr(7));
    EXPECT_GT(n, previous);
    previous = n;
  }
  EXPECT_EQ(previous, 300);
}

TEST(DecryptTool, ASecondRunReplacesEarlierOutput) {
  ScratchFolder scratch;
  EncryptOptions o;
  Backup b = writeBackup(scratch, o, {{"HomeDomain", "Library/a", "alpha", 3}});
  std::string out = scratch / "out";
  ASSERT_EQ(platform::createFolders(out), 0);
  std::string stale = "an older, longer copy of the same file";
  ASSERT_EQ(platform::writeWholeFile(platform::joinPath(out, b.ids[0]), stale.data(), stale.size()),
            0);
  CapturingConsole console;
  ASSERT_EQ(runDecrypt(b.folder, out, o.password, &console), kExitOk);
  ASSERT_EQ(runDecrypt(b.folder, out, o.password, &console), kExitOk);
  EXPECT_EQ(testing::readFileOrEmpty(platform::joinPath(out, b.ids[0])), "alpha");
  EXPECT_FALSE(hasPartialFiles(out));
}

}  // namespace
}  // namespace qv::decrypt
