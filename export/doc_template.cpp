#include "export/doc_template.h"

#include "export/markup.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"

namespace qv::output {
namespace {

constexpr std::string_view kContent = "{|content|}";
constexpr std::string_view kTitle = "{|title|}";
constexpr std::string_view kPerson = "{|person|}";

}  // namespace

const char* templateFileName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kCallHistory:
      return "CallHistory.html";
    case DocumentKind::kNotes:
      return "Notes.html";
    case DocumentKind::kContacts:
      return "contacts.html";
    case DocumentKind::kMessages:
      return "Sms.html";
    case DocumentKind::kWhatsApp:
      return "WhatsApp.html";
  }
  return "";
}

const char* titlePrefix(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kCallHistory:
      return "iPhone's Call History of ";
    case DocumentKind::kNotes:
      return "iPhone's Notes of ";
    case DocumentKind::kContacts:
      return "iPhone's Contacts of ";
    case DocumentKind::kMessages:
      return "iPhone's Messages of ";
    case DocumentKind::kWhatsApp:
      return "iPhone's WhatsApp Messages of ";
  }
  return "";
}

std::string templateFolder(const std::string& appFolder) {
  return platform::joinPath(appFolder, "template");
}

std::string replaceAll(std::string text, std::string_view what, std::string_view with) {
  if (what.empty()) return text;
  std::size_t at = 0;
  while ((at = text.find(what, at)) != std::string::npos) {
    text.replace(at, what.size(), with);
    at += with.size();
  }
  return text;
}

bool splitTemplate(const std::string& text, std::string* head, std::string* tail) {
  head->clear();
  tail->clear();
  const std::size_t at = text.find(kContent);
  if (at == std::string::npos) return false;
  *head = text.substr(0, at);
  *tail = text.substr(at + kContent.size());
  return true;
}

int loadDocumentTemplate(const std::string& path, DocumentKind kind, std::string_view deviceName,
                         DocumentTemplate* out) {
  *out = DocumentTemplate();
  const int rc = platform::readWholeFile(path, kMaxTemplateBytes, &out->text);
  if (rc != kOk) return rc;
  std::string head;
  if (!splitTemplate(out->text, &head, &out->tail)) return kInvalid;
  const std::string title = htmlUtf8(std::string(titlePrefix(kind)) + std::string(deviceName));
  out->head = replaceAll(std::move(head), kTitle, title);
  return kOk;
}

std::string fillPerson(const std::string& head, std::wstring_view name, std::wstring_view phone) {
  std::wstring line = L"Name: ";
  line += name;
  line += L", Phone: ";
  line += phone;
  return replaceAll(head, kPerson, html(line));
}

}  // namespace qv::output
