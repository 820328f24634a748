// Names in the output tree.
//
// Every folder and file the recovery job writes lies under the output root the user picked:
//   Camera Roll/NAME                 Message/PERSON-STAMP/BASE.txt, BASE.html
//   Photo Stream/NAME                Message/sms.csv
//   App Photos/APP/NAME              Message Attachments/NAME
//   App Video/APP/NAME               Contacts/STAMP/Contacts.csv, Contacts.html
//   CallHistory/CallHistory_STAMP.html   Notes/Notes_STAMP.html
//   WhatsApp Message/TITLE-STAMP/TITLE.txt, .csv, .html
//   WhatsApp Attachments/NAME
// NAME, APP, PERSON, BASE and TITLE come from the backup: file names from manifest keys, app
// names from domains, contact names, addresses and chat titles, that is from whoever made the
// backup. A component built from them passes through safeComponent: the part taken from the
// backup is cut to kMaxNameBytes of UTF-8 at a character boundary, keeping a short extension,
// and the whole component then follows the one safe-name rule of engine/safe_name.h, so that no
// name can leave the root, name a device or be refused by the system. A name that needs none of
// this is returned exactly as it was. isInsideRoot is the last check before anything is written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "db/records.h"
#include "engine/items.h"

namespace qv::output {

// Longest part of a name that comes from the backup, in UTF-8 bytes. With the job stamp, a
// "(n)" of the unique-path rule and an extension, a component stays under the 255 that every
// common file system allows.
constexpr std::size_t kMaxNameBytes = 200;

// The component made of a name from the backup followed by a suffix the program adds ("-" +
// stamp, ".txt"). Only the name is cut to maxBytes; the safe-name rule applies to the whole.
std::wstring safeComponent(std::wstring_view name, std::wstring_view suffix = {},
                           std::size_t maxBytes = kMaxNameBytes);

// Whether path lies strictly inside root: it starts with root and a separator, and the rest
// has no empty, "." or ".." component and no drive colon. Lexical only; both separators count.
bool isInsideRoot(std::string_view root, std::string_view path);

// The job stamp: "%04d%02d%02d%02d%02d%02d" of the local start time.
std::string jobStamp(int year, int month, int day, int hour, int minute, int second);

// Messages: the contact name of the conversation's list row, or "Unknown" when it is empty.
std::wstring conversationPerson(const db::MessageRecord& row);
// person + "(" + address + ")", or the person alone when the address is empty.
std::wstring conversationBase(const db::MessageRecord& row);
// WhatsApp: member names + "(" + member numbers + ")", the member numbers alone when the names
// are empty, the partner name when the names hold a comma; "Unknown" when that is empty.
std::wstring chatTitle(const db::ChatRecord& row);

// The folders of the tree under the root; empty for a category that writes nothing.
const char* categoryFolderName(engine::ItemCategory category);

}  // namespace qv::output
