// The settings file and the language tables.
//
// "config.ini" in the application folder names the language in use (section "DefaultLanguage",
// key "Default") and lists the installed languages (section "Languages", lines name=display
// text). The language file "Languages/<name>.ini" holds one section per window, keyed by control
// name, and the section "Messages", keyed by message id ("MSG0301" ...). Every window reads its
// texts from here, so a language is changed by replacing its file alone.
//
// Look-ups never fail: a section or key the file lacks is added empty and the empty text is
// returned, so a missing message shows as an empty string. Section maps handed out stay valid
// for the life of the settings object; a reload (setLanguage) empties and refills them in place,
// so holders should fetch their texts again afterwards.
//
// The object is meant to be used from the UI thread; its own state is guarded by a lock, but a
// section map handed out is the caller's to read on one thread at a time.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::app {

using LanguageSection = std::map<std::wstring, std::wstring>;
using LanguageList = std::vector<std::pair<std::wstring, std::wstring>>;  // (name, display text)

// Longest language name read from "config.ini" and accepted by setLanguage.
constexpr std::size_t kMaxLanguageName = 63;

// A name that can be written as "Default" and read back unchanged, and that stays a plain file
// name inside the languages folder: 1 to 63 characters, no path separator or drive colon, no
// control character, no blank at either end.
bool isUsableLanguageName(std::wstring_view name);

class Settings {
 public:
  // The process-wide settings, loaded from the program's folder on the first call.
  static Settings& get();
  // Points the process-wide settings at another application folder and loads them from there
  // (the CLI and tests use the files shipped at the top of the source tree).
  static Settings& loadFrom(const std::string& appFolder);

  // Settings of their own over an application folder, loaded at once.
  explicit Settings(const std::string& appFolder);
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  std::string appFolder() const;
  std::string settingsPath() const;     // application folder + "config.ini"
  std::string languagesFolder() const;  // application folder + "Languages" + separator
  std::wstring currentLanguage() const;
  LanguageList languages() const;
  // What reading the two files gave: 0, or the read's code (2 for a missing file).
  int settingsFileResult() const;
  int languageFileResult() const;

  // The key-to-text map of a section; created empty when the language file lacks it.
  LanguageSection& section(std::wstring_view name);
  // The text of a key; a key the section lacks is added with an empty text.
  std::wstring text(LanguageSection& section, std::wstring_view key);
  // text(section(L"Messages"), id).
  std::wstring message(std::wstring_view id);

  // Writes the name as "Default" into "config.ini" (nothing else in the file changes), then reads
  // the settings and the language file again. 87 for a name isUsableLanguageName refuses; the
  // code of a failed read or write of "config.ini" (the tables then stay as they were).
  int setLanguage(std::wstring_view name);

 private:
  Settings() = default;  // the process-wide object, loaded by get() or loadFrom()
  static Settings& instance();
  void loadLocked(const std::string& appFolder);

  mutable std::mutex mutex_;
  bool loaded_ = false;
  std::string appFolder_;
  std::string settingsPath_;
  std::string languagesFolder_;
  std::wstring currentLanguage_;
  LanguageList languages_;
  std::map<std::wstring, LanguageSection, std::less<>> tables_;
  int settingsResult_ = 0;
  int languageResult_ = 0;
};

}  // namespace qv::app
