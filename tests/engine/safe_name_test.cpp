// The one safe-name rule: every name from the backup that becomes a file or folder name, as the
// media walks make item names and as the export makes every component of the output tree.
#include <gtest/gtest.h>

#include <string>

#include "engine/safe_name.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

struct Case {
  const wchar_t* name;
  const wchar_t* safe;
};

TEST(SafeFileName, OneTableForEveryNameFromTheBackup) {
  const Case cases[] = {
      // Ordinary names stay exactly as they are, letters of every script included.
      {L"IMG_0001.JPG", L"IMG_0001.JPG"},
      {L"Résumé 山田.heic", L"Résumé 山田.heic"},
      {L"Anna Müller(+49 30 1234)", L"Anna Müller(+49 30 1234)"},
      {L".profile", L".profile"},
      {L" leading blank", L" leading blank"},
      {L"Dr. Who-20240101120000", L"Dr. Who-20240101120000"},
      // Separators, drive colons and the characters no Windows name may hold.
      {L"../../etc/passwd", L".._.._etc_passwd"},
      {L"..\\..\\Windows\\win.ini", L".._.._Windows_win.ini"},
      {L"C:evil", L"C_evil"},
      {L"file.txt:stream", L"file.txt_stream"},
      {L"a*b?c\"d<e>f|g", L"a_b_c_d_e_f_g"},
      {L"<script>alert(1)</script>", L"_script_alert(1)__script_"},
      // Control characters, DEL among them (the export's rule let DEL pass: stricter wins).
      {L"tab\there\nnew\x01", L"tab_here_new_"},
      {L"del\x7F", L"del_"},
      {L"c1\x85\x9B", L"c1__"},
      // Marks that reorder how a name is shown are removed: this one would show as
      // "photoexe.jpg".
      {L"photo\u202Egpj.exe", L"photogpj.exe"},
      {L"\u2066a\u2069\u200F\u061C", L"a"},
      {L"\u202E", L"_"},
      {L"x.\u200E", L"x_"},
      // Each trailing dot or blank becomes "_" rather than being dropped (the export's rule
      // dropped them, so "x." and "x" were one name and ".." became "_").
      {L".", L"_"},
      {L"..", L"__"},
      {L"...", L"___"},
      {L"  ", L"__"},
      {L"name. . ", L"name____"},
      {L"Inc.", L"Inc_"},
      {L"", L"_"},
      // Reserved device names, in any case, with or without an extension.
      {L"CON", L"_CON"},
      {L"nul.txt", L"_nul.txt"},
      {L"aux.tar.gz", L"_aux.tar.gz"},
      {L"nul .txt", L"_nul .txt"},
      {L"LPT9.log", L"_LPT9.log"},
      {L"CONIN$", L"_CONIN$"},
      {L"conout$.x", L"_conout$.x"},
      {L"COM\u00B9", L"_COM\u00B9"},
      {L"LPT\u00B2.txt", L"_LPT\u00B2.txt"},
      // COM0 and LPT0 are reserved too (the item names' rule let them pass: stricter wins).
      {L"COM0.log", L"_COM0.log"},
      {L"lpt0", L"_lpt0"},
      // Names that only look like devices.
      {L"CONSOLE.JPG", L"CONSOLE.JPG"},
      {L"COM10", L"COM10"},
      {L"COMA", L"COMA"},
      {L"LPT", L"LPT"},
      {L"xCON", L"xCON"},
      {L"nullable.txt", L"nullable.txt"},
      // A trailing blank is replaced before the device test, so "PRN " is no device.
      {L"PRN ", L"PRN_"},
  };
  for (const Case& c : cases) {
    const std::wstring safe = safeFileName(c.name);
    EXPECT_EQ(safe, c.safe) << platform::toUtf8(c.name);
    EXPECT_EQ(safeFileName(safe), safe) << "not stable: " << platform::toUtf8(safe);
    EXPECT_FALSE(isReservedDeviceName(safe)) << platform::toUtf8(safe);
  }
}

TEST(SafeFileName, DeviceNamesAreFoundByTheirStem) {
  for (const wchar_t* name : {L"CON", L"con", L"Nul.txt", L"com9.log", L"com1 .log", L"LPT\u00B3"})
    EXPECT_TRUE(isReservedDeviceName(name)) << platform::toUtf8(name);
  for (const wchar_t* name : {L"CONSOLE", L"COMA", L"xCON", L"COM", L"COM12", L".con", L""})
    EXPECT_FALSE(isReservedDeviceName(name)) << platform::toUtf8(name);
}

}  // namespace
}  // namespace qv::engine
