// Text from a backup or a database shown on a terminal. Whoever made the backup chose its
// display name, serial number and every database value; written raw, an escape sequence among
// them moves the cursor, recolours, retitles the window or hides the lines before it, and a
// bidi mark reorders what the user reads. Text output shows such characters as escapes
// instead: line feed, carriage return and tab as \n \r \t, other control characters (C0, DEL,
// C1) as \xNN or \u00NN, the bidi marks (platform/text.h) as \uNNNN, and bytes that are not
// UTF-8 as \xNN. Everything else passes unchanged. (JSON output escapes by JSON's own rules.)
#pragma once

#include <string>
#include <string_view>

namespace qv::cli {

std::string terminalText(std::string_view utf8);

}  // namespace qv::cli
