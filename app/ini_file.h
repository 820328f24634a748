// INI-style text files: the settings file and the language files.
//
// File layout, as read here:
//   optional byte-order mark   EF BB BF (UTF-8), FF FE (UTF-16LE) or FE FF (UTF-16BE);
//                              without one the bytes are UTF-8 (malformed bytes become U+FFFD)
//   lines                      ended by CR LF, LF or a lone CR; the last line may lack an end
//   "[name]"                   starts a section; spaces around the name are dropped
//   "key=text"                 an entry of the current section, split at the FIRST "=";
//                              spaces and tabs around key and text are dropped
//   "text without equals"      an entry whose key and text are both the whole (trimmed) line
//   ";..." and blank lines     ignored, as are entries before the first section
// A section that appears twice is one section: the entries of its later block follow those of
// the earlier one, so that in a look-up the first occurrence of a key still wins.
//
// Editing (setIniValue) works on the raw bytes line by line: only the line that holds the key
// changes (or one line is added), every other byte of the file stays as it was, in the file's own
// encoding and line-end style.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::app {

enum class TextEncoding { kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

// How section and key names are compared. The language tables compare names exactly; the
// settings file follows the system's profile files, whose names ignore ASCII case.
enum class NameMatch { kExact, kIgnoreAsciiCase };

struct IniEntry {
  std::wstring key;
  std::wstring text;
};

struct IniSection {
  std::wstring name;
  std::vector<IniEntry> entries;  // file order, repeated keys kept

  // The text of the first entry with this key, or null.
  const std::wstring* find(std::wstring_view key, NameMatch match = NameMatch::kExact) const;
};

struct IniDocument {
  TextEncoding encoding = TextEncoding::kUtf8;
  std::vector<IniSection> sections;  // order of first appearance, names unique (exactly)

  const IniSection* section(std::wstring_view name, NameMatch match = NameMatch::kExact) const;
};

// Largest settings or language file read; anything bigger is refused rather than loaded.
constexpr std::uint64_t kMaxIniFileBytes = 4u << 20;

TextEncoding detectEncoding(std::string_view bytes);
// The whole text of the file's bytes, without its byte-order mark.
std::wstring decodeText(std::string_view bytes);

IniDocument parseIni(std::string_view bytes);
// Reads and parses a file; the read's result code (2 for a missing file). *out is cleared first.
int readIniFile(const std::string& path, IniDocument* out);

bool namesEqual(std::wstring_view a, std::wstring_view b, NameMatch match);

// Sets key=value in the section of the file's bytes (names compared without ASCII case):
// replaces the first line of that key in the first block of the section, or adds the line after
// the section's last entry, or adds the section at the end. An empty input gives a new UTF-8
// file with CR LF line ends. The output is in the input's encoding.
std::string setIniValue(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value);

}  // namespace qv::app
