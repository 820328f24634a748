#include "app/settings.h"

#include "app/ini_file.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::app {
namespace {

constexpr wchar_t kDefaultLanguage[] = L"English";

// Cuts at n code units without leaving half of a surrogate pair behind.
std::wstring cutText(std::wstring_view text, std::size_t n) {
  if (text.size() <= n) return std::wstring(text);
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return std::wstring(text.substr(0, n));
}

}  // namespace

bool isUsableLanguageName(std::wstring_view name) {
  if (name.empty() || name.size() > kMaxLanguageName) return false;
  if (name.front() == L' ' || name.front() == L'\t' || name.back() == L' ' ||
      name.back() == L'\t') {
    return false;
  }
  for (wchar_t c : name) {
    if (c < 0x20 || c == 0x7F || c == L'/' || c == L'\\' || c == L':') return false;
  }
  return true;
}

Settings& Settings::instance() {
  static Settings settings;
  return settings;
}

Settings& Settings::get() {
  Settings& s = instance();
  std::lock_guard<std::mutex> lock(s.mutex_);
  if (!s.loaded_) {
    std::string folder;
    // Without a program folder there is nothing to read: English, empty tables.
    if (platform::programFolder(&folder) != kOk) folder.clear();
    s.loadLocked(folder);
  }
  return s;
}

Settings& Settings::loadFrom(const std::string& appFolder) {
  Settings& s = instance();
  std::lock_guard<std::mutex> lock(s.mutex_);
  s.loadLocked(appFolder);
  return s;
}

Settings::Settings(const std::string& appFolder) {
  std::lock_guard<std::mutex> lock(mutex_);
  loadLocked(appFolder);
}

void Settings::loadLocked(const std::string& appFolder) {
  loaded_ = true;
  appFolder_ = appFolder;
  settingsPath_ = platform::joinPath(appFolder, "config.ini");
  languagesFolder_ = platform::joinPath(appFolder, "Languages");
  languagesFolder_.push_back(platform::kSep);
  currentLanguage_ = kDefaultLanguage;
  languages_.clear();
  // Emptied, not erased: maps handed out earlier must stay valid objects.
  for (auto& table : tables_) table.second.clear();

  if (appFolder.empty()) {
    settingsResult_ = languageResult_ = kErrFileNotFound;
    return;
  }

  IniDocument config;
  settingsResult_ = readIniFile(settingsPath_, &config);
  if (const IniSection* s = config.section(L"DefaultLanguage", NameMatch::kIgnoreAsciiCase)) {
    if (const std::wstring* name = s->find(L"Default", NameMatch::kIgnoreAsciiCase)) {
      const std::wstring cut = cutText(*name, kMaxLanguageName);
      // An empty value, or one that would reach outside the languages folder, keeps English.
      if (isUsableLanguageName(cut)) currentLanguage_ = cut;
    }
  }
  if (const IniSection* s = config.section(L"Languages", NameMatch::kIgnoreAsciiCase)) {
    for (const IniEntry& e : s->entries) languages_.emplace_back(e.key, e.text);
  }

  IniDocument language;
  languageResult_ =
      readIniFile(languagesFolder_ + platform::toUtf8(currentLanguage_) + ".ini", &language);
  for (const IniSection& s : language.sections) {
    LanguageSection& table = tables_[s.name];
    // emplace keeps an existing key: the first occurrence in the file wins.
    for (const IniEntry& e : s.entries) table.emplace(e.key, e.text);
  }
}

std::string Settings::appFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return appFolder_;
}

std::string Settings::settingsPath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settingsPath_;
}

std::string Settings::languagesFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return languagesFolder_;
}

std::wstring Settings::currentLanguage() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return currentLanguage_;
}

LanguageList Settings::languages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return languages_;
}

int Settings::settingsFileResult() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settingsResult_;
}

int Settings::languageFileResult() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return languageResult_;
}

LanguageSection& Settings::section(std::wstring_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = tables_.find(name);
  if (it == tables_.end()) it = tables_.emplace(std::wstring(name), LanguageSection()).first;
  return it->second;
}

std::wstring Settings::text(LanguageSection& section, std::wstring_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  return section.try_emplace(std::wstring(key)).first->second;
}

std::wstring Settings::message(std::wstring_view id) {
  return text(section(L"Messages"), id);
}

int Settings::setLanguage(std::wstring_view name) {
  if (!isUsableLanguageName(name)) return kInvalid;
  std::lock_guard<std::mutex> lock(mutex_);
  if (appFolder_.empty()) return kErrPathNotFound;  // never write beside the working folder
  std::string bytes;
  int rc = platform::readWholeFile(settingsPath_, kMaxIniFileBytes, &bytes);
  if (rc == kErrFileNotFound) {
    bytes.clear();  // written from scratch
  } else if (rc != kOk) {
    return rc;
  }
  const std::string updated = setIniValue(bytes, L"DefaultLanguage", L"Default", name);
  rc = platform::writeWholeFile(settingsPath_, updated.data(), updated.size());
  if (rc != kOk) return rc;
  loadLocked(appFolder_);
  return kOk;
}

}  // namespace qv::app
