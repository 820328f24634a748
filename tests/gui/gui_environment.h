// What every GUI test process sets up once: COM and OLE (rich edit), GDI+ and the UI thread,
// the skin from the executable's resource 101, and the language texts of the shipped files.
#pragma once

#include <map>
#include <string>

namespace qv::gui_test {

using Section = std::map<std::wstring, std::wstring>;

// A section of a shipped language file ("English", "SimplifiedChinese"); empty when missing.
Section languageSection(const std::string& language, const std::wstring& section);
// "100" at 96 DPI, "150" at 144 ...: the suffix of screenshot names.
std::string dpiPercent(int dpi);

}  // namespace qv::gui_test
