// The HTML templates of the documents, files beside the program ("template" folder):
//   CallHistory.html  Notes.html  contacts.html  Sms.html  WhatsApp.html  Print.html
// A template is UTF-8 text holding "{|content|}" once: the text before it is the head, the text
// after it the tail, and the rows or message blocks stand in its place. In the head, every
// "{|title|}" becomes the document's title prefix + the device name, and in the message and
// WhatsApp heads every "{|person|}" becomes the conversation's person line, per conversation.
// Everything the program puts in is HTML-escaped. A "{|title|}" after "{|content|}" is left as
// it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::output {

enum class DocumentKind { kCallHistory, kNotes, kContacts, kMessages, kWhatsApp };
constexpr int kDocumentKindCount = 5;

// "CallHistory.html", "Notes.html", "contacts.html", "Sms.html", "WhatsApp.html".
const char* templateFileName(DocumentKind kind);
// "iPhone's Call History of ", ... (the device name follows).
const char* titlePrefix(DocumentKind kind);
constexpr const char* kPrintTemplateName = "Print.html";
// The folder of the templates under an application folder.
std::string templateFolder(const std::string& appFolder);

// Largest template read; a bigger file is refused.
constexpr std::uint64_t kMaxTemplateBytes = 16u << 20;

struct DocumentTemplate {
  std::string text;  // the whole file
  std::string head;  // before "{|content|}", titles filled in
  std::string tail;  // after it
};

// Splits text at its first "{|content|}"; false (head and tail empty) when it has none.
bool splitTemplate(const std::string& text, std::string* head, std::string* tail);

// Reads the template file and fills the slot, the title being titlePrefix(kind) + deviceName
// (UTF-8). 0; the system's code when the file cannot be read; 87 when it holds no
// "{|content|}" (such a file is damaged, and the job must not write documents without their
// rows' place).
int loadDocumentTemplate(const std::string& path, DocumentKind kind, std::string_view deviceName,
                         DocumentTemplate* out);

// Every "{|person|}" of a conversation head replaced by "Name: " + name + ", Phone: " + phone.
std::string fillPerson(const std::string& head, std::wstring_view name, std::wstring_view phone);

// Every occurrence of what in text replaced by with, scanning on after each replacement.
std::string replaceAll(std::string text, std::string_view what, std::string_view with);

}  // namespace qv::output
