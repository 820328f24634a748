// The language files shipped at the top of the source tree.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/ini_file.h"
#include "app/message_format.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::app {
namespace {

using platform::joinPath;

// Every message id the program shows.
const wchar_t* const kMessageIds[] = {
    L"MSG0301", L"MSG0302", L"MSG0401", L"MSG0402", L"MSG0403", L"MSG0404", L"MSG0405",
    L"MSG0501", L"MSG0502", L"MSG0503", L"MSG0504", L"MSG0506", L"MSG0507", L"MSG0508",
    L"MSG0509", L"MSG0510", L"MSG0511", L"MSG0512", L"MSG0513", L"MSG0901", L"MSG0902",
    L"MSG0903", L"MSG1101", L"MSG1102", L"MSG1103", L"MSG1104", L"MSG1207"};

// The windows that apply a section, with controls each of them must find a text for.
const struct {
  const wchar_t* section;
  std::set<std::wstring> controls;
} kWindows[] = {
    {L"MainWnd",
     {L"LblProductName", L"OptStep1", L"OptStep2", L"OptStep3", L"BtnScanPause", L"BtnScanStop",
      L"LblScanType", L"LblRemark", L"LblWaitDesc"}},
    {L"PageItunesBackup",
     {L"BackupListHeader1", L"BackupListHeader2", L"BackupListHeader3", L"BtnSelDir", L"BtnNext1",
      L"ItunesBackupDesc1", L"ItunesBackupDesc2", L"ItunesBackupDesc3"}},
    {L"PageSpecifyFile",
     {L"OptCameraRoll", L"OptPhotoStream", L"OptAppPhotos", L"OptAppVideos", L"OptMessages",
      L"OptMessageAtts", L"OptContacts", L"OptCallHistory", L"OptNotes", L"WhatsApp",
      L"OptWhatsAppAtts", L"OptReminder", L"OptCalendar", L"SafariBookmark", L"ChkSelAll",
      L"BtnNext2"}},
    {L"PageScan",
     {L"PageScanDesc1", L"PageScanDesc2", L"PageScanDesc3", L"PageScanDesc4", L"BtnPrint",
      L"LblFilterCount", L"BtnBackAppDir", L"BtnHome", L"BtnRecovery"}},
    {L"MessageBox", {L"title", L"okbtn", L"cancelbtn"}},
    {L"DecryptionWnd",
     {L"Title", L"Description", L"LblPassword", L"BtnTips", L"BtnRestoreLink", L"BtnOK",
      L"BtnCancel"}},
    {L"MenuWnd",
     {L"item_help", L"item_language", L"item_faq", L"item_about", L"item_support", L"item_exit"}},
    {L"PreviewProcessWnd", {L"LblFileName", L"BtnCancel"}},
    {L"PrintWnd", {L"title"}},
    {L"RecoverProcessWnd",
     {L"OpenBtn", L"FinishBtn", L"CancelBtn", L"DetailBtn", L"BtnUrlIOSMobileRecovery"}},
};

std::string sourceFile(const std::string& relative) {
  return joinPath(QV_SOURCE_DIR, relative);
}

IniDocument readShipped(const std::string& relative) {
  IniDocument doc;
  EXPECT_EQ(readIniFile(sourceFile(relative), &doc), kOk) << relative;
  return doc;
}

std::set<std::wstring> keysOf(const IniSection& s) {
  std::set<std::wstring> keys;
  for (const IniEntry& e : s.entries) {
    EXPECT_TRUE(keys.insert(e.key).second) << "repeated key " << platform::toUtf8(e.key);
  }
  return keys;
}

void checkLanguage(const IniDocument& doc) {
  const IniSection* messages = doc.section(L"Messages");
  ASSERT_NE(messages, nullptr);
  for (const wchar_t* id : kMessageIds) {
    const std::wstring* text = messages->find(id);
    ASSERT_NE(text, nullptr) << platform::toUtf8(id);
    EXPECT_FALSE(text->empty()) << platform::toUtf8(id);
  }
  // The program passes (size, count, size, count) and four counts; every other message text is
  // used whole, or as the "%s" of a pattern, and must hold no conversion of its own.
  for (const IniEntry& e : messages->entries) {
    const std::string kinds = conversionKinds(e.text);
    if (e.key == L"MSG0513")
      EXPECT_EQ(kinds, "sdsd");
    else if (e.key == L"MSG1102")
      EXPECT_EQ(kinds, "dddd");
    else
      EXPECT_EQ(kinds, "") << platform::toUtf8(e.key);
  }
  for (const auto& window : kWindows) {
    const IniSection* s = doc.section(window.section);
    ASSERT_NE(s, nullptr) << platform::toUtf8(window.section);
    const std::set<std::wstring> keys = keysOf(*s);
    for (const std::wstring& control : window.controls) {
      EXPECT_EQ(keys.count(control), 1u)
          << platform::toUtf8(window.section) << " " << platform::toUtf8(control);
    }
  }
}

TEST(LanguageFilesTest, ConfigListsLanguagesThatShipAndDefaultsToOneOfThem) {
  const IniDocument config = readShipped("config.ini");
  const IniSection* list = config.section(L"Languages");
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->entries.size(), 2u);
  for (const IniEntry& e : list->entries) {
    EXPECT_FALSE(e.text.empty());
    readShipped("Languages/" + platform::toUtf8(e.key) + ".ini");
  }
  const IniSection* choice = config.section(L"DefaultLanguage");
  ASSERT_NE(choice, nullptr);
  ASSERT_NE(choice->find(L"Default"), nullptr);
  EXPECT_NE(list->find(*choice->find(L"Default")), nullptr);
}

TEST(LanguageFilesTest, EnglishHasEveryMessageAndControlText) {
  const IniDocument english = readShipped("Languages/English.ini");
  checkLanguage(english);
  EXPECT_EQ(english.encoding, TextEncoding::kUtf8);
}

TEST(LanguageFilesTest, EveryOtherLanguageHasTheSameSectionsAndKeysAsEnglish) {
  const IniDocument english = readShipped("Languages/English.ini");
  const IniDocument config = readShipped("config.ini");
  const IniSection* list = config.section(L"Languages");
  ASSERT_NE(list, nullptr);
  bool sawUtf16 = false;
  for (const IniEntry& e : list->entries) {
    if (e.key == L"English") continue;
    SCOPED_TRACE(platform::toUtf8(e.key));
    const IniDocument doc = readShipped("Languages/" + platform::toUtf8(e.key) + ".ini");
    sawUtf16 = sawUtf16 || doc.encoding == TextEncoding::kUtf16Le;
    checkLanguage(doc);
    ASSERT_EQ(doc.sections.size(), english.sections.size());
    for (const IniSection& s : english.sections) {
      const IniSection* other = doc.section(s.name);
      ASSERT_NE(other, nullptr) << platform::toUtf8(s.name);
      EXPECT_EQ(keysOf(*other), keysOf(s)) << platform::toUtf8(s.name);
    }
  }
  EXPECT_TRUE(sawUtf16) << "one shipped language exercises the UTF-16LE reader";
}

}  // namespace
}  // namespace qv::app
