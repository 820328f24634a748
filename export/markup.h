// Text the program puts into HTML, CSV and plain-text documents.
//
// Every value in these documents comes from the backup, that is from whoever sent a message or
// named a contact, so it is data, never markup: HTML gets "&", "<", ">" and both quotes as
// character references, and a CSV field that holds a comma, a quote or a line break is quoted
// as RFC 4180 says. Line ends inside values are written the way each format shows them.
#pragma once

#include <string>
#include <string_view>

namespace qv::output {

enum class LineBreaks {
  kKeep,      // line ends stay as they are (an e-mail cell: the browser shows a space)
  kBreakTag,  // each line end (CR LF, LF or CR) becomes "<br />"
};

// Appends the UTF-8 form of text with the five HTML specials replaced by references.
void appendHtml(std::string& out, std::wstring_view text, LineBreaks breaks = LineBreaks::kKeep);
std::string html(std::wstring_view text, LineBreaks breaks = LineBreaks::kKeep);
// The same for text that is UTF-8 already.
std::string htmlUtf8(std::string_view utf8, LineBreaks breaks = LineBreaks::kKeep);

// Text for the text and CSV files: UTF-8, every line end (CR LF, LF or CR) as CR LF.
std::string crlfText(std::wstring_view text);

// One CSV field: crlfText(text), in double quotes with inner quotes doubled when it holds a
// comma, a quote, a CR or an LF; as it is otherwise. A value that starts with "=", "+", "-",
// "@" or a tab gets "'" in front: a spreadsheet would take it for a formula and run it
// ("=HYPERLINK(...)" in a message turns into a live link, "=cmd|..." into a command).
std::string csvField(std::wstring_view text);

// The UTF-8 byte-order mark that starts every text and CSV file.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace qv::output
