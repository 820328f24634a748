#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::app {
namespace {

using fixtures::TempFolder;
using platform::joinPath;

void writeFile(const std::string& path, const std::string& bytes) {
  ASSERT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), kOk);
}

std::string readFile(const std::string& path) {
  std::string out;
  EXPECT_EQ(platform::readWholeFile(path, 1 << 20, &out), kOk);
  return out;
}

// An application folder with config.ini and two language files.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::createFolders(languages()), kOk);
    writeFile(config(),
              "; kept as it is\r\n[Languages]\r\nEnglish=English\r\nGerman=Deutsch\r\n"
              "plain line\r\n\r\n[DefaultLanguage]\r\nDefault=English\r\n");
    writeFile(joinPath(languages(), "English.ini"),
              "[Messages]\r\nMSG0403=Information\r\nMSG0403=not this\r\nMSG0509=Pick a folder\r\n"
              "[MainWnd]\r\nBtnScanPause=Pause\r\n");
    writeFile(joinPath(languages(), "German.ini"),
              "\xEF\xBB\xBF[Messages]\nMSG0403=Hinweis\n[PageScan]\nBtnHome=Start\n");
  }
  std::string config() const { return tmp.file("config.ini"); }
  std::string languages() const { return tmp.file("Languages"); }

  TempFolder tmp;
};

TEST_F(SettingsTest, LoadsTheLanguageListAndTheTablesOfTheCurrentLanguage) {
  Settings s(tmp.path());
  EXPECT_EQ(s.settingsFileResult(), kOk);
  EXPECT_EQ(s.languageFileResult(), kOk);
  EXPECT_EQ(s.settingsPath(), joinPath(tmp.path(), "config.ini"));
  EXPECT_EQ(s.languagesFolder(), joinPath(tmp.path(), "Languages") + platform::kSep);
  EXPECT_EQ(s.currentLanguage(), L"English");
  const LanguageList expected = {
      {L"English", L"English"}, {L"German", L"Deutsch"}, {L"plain line", L"plain line"}};
  EXPECT_EQ(s.languages(), expected);
  EXPECT_EQ(s.message(L"MSG0403"), L"Information");  // first occurrence of the key
  EXPECT_EQ(s.text(s.section(L"MainWnd"), L"BtnScanPause"), L"Pause");
}

TEST_F(SettingsTest, MissingSectionsAndKeysAreAddedEmpty) {
  Settings s(tmp.path());
  LanguageSection& messages = s.section(L"Messages");
  EXPECT_EQ(messages.count(L"MSG0508"), 0u);
  EXPECT_EQ(s.text(messages, L"MSG0508"), L"");
  ASSERT_EQ(messages.count(L"MSG0508"), 1u);
  EXPECT_EQ(messages.at(L"MSG0508"), L"");

  LanguageSection& absent = s.section(L"NoSuchWnd");
  EXPECT_TRUE(absent.empty());
  EXPECT_EQ(&s.section(L"NoSuchWnd"), &absent);  // the same map on the next call
  EXPECT_EQ(s.text(absent, L"Btn"), L"");
  // Names are compared exactly.
  EXPECT_EQ(s.message(L"msg0403"), L"");
}

TEST_F(SettingsTest, SetLanguageRewritesOnlyTheDefaultLineAndRefillsTheTablesInPlace) {
  Settings s(tmp.path());
  const std::string before = readFile(config());
  LanguageSection& messages = s.section(L"Messages");
  LanguageSection& main = s.section(L"MainWnd");
  ASSERT_EQ(s.setLanguage(L"German"), kOk);

  const std::string after = readFile(config());
  const std::size_t at = before.find("Default=English");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(after, before.substr(0, at) + "Default=German" + before.substr(at + 15));

  EXPECT_EQ(s.currentLanguage(), L"German");
  // Maps handed out before the change are still the live ones, now with the new texts.
  EXPECT_EQ(&s.section(L"Messages"), &messages);
  EXPECT_EQ(messages.at(L"MSG0403"), L"Hinweis");
  EXPECT_EQ(messages.count(L"MSG0509"), 0u);
  EXPECT_TRUE(main.empty());
  EXPECT_EQ(s.text(s.section(L"PageScan"), L"BtnHome"), L"Start");

  // A fresh object reads the same choice back.
  EXPECT_EQ(Settings(tmp.path()).currentLanguage(), L"German");
}

TEST_F(SettingsTest, SetLanguageRefusesNamesThatCannotBeAPlainFileName) {
  Settings s(tmp.path());
  const std::string before = readFile(config());
  for (const wchar_t* bad :
       {L"", L"../English", L"a\\b", L"C:English", L"two\r\nlines", L" padded", L"tab\t"}) {
    EXPECT_EQ(s.setLanguage(bad), kInvalid) << platform::toUtf8(bad);
  }
  EXPECT_EQ(s.setLanguage(std::wstring(64, L'x')), kInvalid);
  EXPECT_EQ(readFile(config()), before);
  EXPECT_EQ(s.currentLanguage(), L"English");
}

TEST_F(SettingsTest, FailedWriteLeavesFileAndTablesAsTheyWere) {
  Settings s(tmp.path());
  const std::string before = readFile(config());
  platform::OsCalls calls = platform::realOsCalls();
  calls.write = [](platform::NativeHandle, const void*, std::size_t, std::size_t* put) {
    *put = 0;
    return kErrDiskFull;
  };
  {
    platform::ScopedOsCalls scope(calls);
    EXPECT_EQ(s.setLanguage(L"German"), kErrDiskFull);
  }
  EXPECT_EQ(readFile(config()), before);
  EXPECT_EQ(s.currentLanguage(), L"English");
  EXPECT_EQ(s.message(L"MSG0403"), L"Information");
}

TEST_F(SettingsTest, UnusableDefaultValuesFallBackToEnglish) {
  for (const char* value : {"", "../../etc/English", "sub/English"}) {
    writeFile(config(), std::string("[DefaultLanguage]\nDefault=") + value + "\n");
    Settings s(tmp.path());
    EXPECT_EQ(s.currentLanguage(), L"English") << value;
    EXPECT_EQ(s.message(L"MSG0403"), L"Information");
  }
  // Names are read up to 63 characters; case of section and key names does not matter.
  const std::string name(63, 'n');
  writeFile(config(), "[defaultlanguage]\ndefault=" + name + "tail\n");
  writeFile(joinPath(languages(), name + ".ini"), "[Messages]\nMSG0401=long\n");
  Settings s(tmp.path());
  EXPECT_EQ(s.currentLanguage(), std::wstring(63, L'n'));
  EXPECT_EQ(s.message(L"MSG0401"), L"long");
}

TEST_F(SettingsTest, MissingFilesGiveEnglishAndEmptyTables) {
  ASSERT_EQ(platform::removeFile(joinPath(languages(), "English.ini")), kOk);
  {
    Settings s(tmp.path());
    EXPECT_EQ(s.languageFileResult(), kErrFileNotFound);
    EXPECT_EQ(s.message(L"MSG0403"), L"");
  }
  ASSERT_EQ(platform::removeFile(config()), kOk);
  Settings s(tmp.path());
  EXPECT_EQ(s.settingsFileResult(), kErrFileNotFound);
  EXPECT_EQ(s.currentLanguage(), L"English");
  EXPECT_TRUE(s.languages().empty());
  // Setting a language creates the file.
  ASSERT_EQ(s.setLanguage(L"German"), kOk);
  EXPECT_EQ(readFile(config()), "[DefaultLanguage]\r\nDefault=German\r\n");
  EXPECT_EQ(s.message(L"MSG0403"), L"Hinweis");
}

TEST(SettingsSingletonTest, LoadsFromTheFolderItIsPointedAt) {
  Settings& s = Settings::loadFrom(QV_SOURCE_DIR);
  EXPECT_EQ(&Settings::get(), &s);
  EXPECT_EQ(s.settingsFileResult(), kOk);
  EXPECT_EQ(s.languageFileResult(), kOk);
  EXPECT_FALSE(s.message(L"MSG0508").empty());
}

}  // namespace
}  // namespace qv::app
