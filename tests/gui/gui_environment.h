// What every GUI test process sets up once: COM and OLE (rich edit), GDI+ and the UI thread,
// the skin from the executable's resource 101, the program's control factory, and the language
// texts of the shipped files.
#pragma once

#include <map>
#include <string>

namespace qv::gui_test {

using Section = std::map<std::wstring, std::wstring>;

// A section of a shipped language file ("English", "SimplifiedChinese"); empty when missing.
Section languageSection(const std::string& language, const std::wstring& section);
// "100" at 96 DPI, "150" at 144 ...: the suffix of screenshot names.
std::string dpiPercent(int dpi);

// Points the process-wide settings at a copy of the shipped config.ini and language files in the
// build tree, with the given language as the current one (the copy may be rewritten freely).
void useLanguage(const std::string& language);
// The folder of that copy.
std::string settingsCopyFolder(const std::string& language);

}  // namespace qv::gui_test
