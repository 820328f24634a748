#include "export/print_page.h"

#include "engine/items.h"
#include "export/doc_template.h"
#include "export/documents.h"
#include "export/markup.h"
#include "platform/file.h"
#include "platform/result.h"

namespace qv::output {
namespace {

using engine::ItemCategory;

void field(std::string& out, const char* label, std::wstring_view value,
           LineBreaks breaks = LineBreaks::kKeep) {
  out += "<p><span>";
  out += label;
  out += "</span>";
  appendHtml(out, value, breaks);
  out += "</p>\r\n";
}

bool isUnknownName(std::wstring_view name) {
  return name.empty() || name == L"Unknown";
}

class Builder {
 public:
  Builder(const PrintRequest& request, const CStatisticsObj& statistics, std::string* body)
      : request_(request), statistics_(statistics), body_(*body) {}

  bool cancelled() const { return request_.cancel != nullptr && request_.cancel->load() != 0; }

  // Whether list row index of the category is printed.
  bool takes(std::size_t index, bool rowDeleted) const {
    const StatKey key = statistics_.itemOf(request_.category, index);
    if (key == kNoRecord || !statistics_.record(key).checked) return false;
    return !request_.deletedOnly || rowDeleted;
  }

  int messages(const std::vector<db::MessageRecord>& rows, const db::ConversationMap& map) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!takes(i, rows[i].deleted != 0)) continue;
      auto it = map.find(rows[i].handleId);
      if (it == map.end()) continue;
      for (const db::MessageRecord& m : it->second) {
        if (cancelled()) return kCancelled;
        std::wstring who = m.address;
        if (!isUnknownName(m.contactName)) who = m.contactName + L"(" + m.address + L")";
        body_ += "<div>\r\n";
        field(body_, m.fromMe != 0 ? "To:" : "From:", who);
        field(body_, "Date:", m.date);
        field(body_, "Content:", m.text, LineBreaks::kBreakTag);
        body_ += "</div>\r\n";
      }
    }
    return kOk;
  }

  int contacts(const std::vector<db::ContactRecord>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!takes(i, rows[i].deleted != 0)) continue;
      if (cancelled()) return kCancelled;
      const db::ContactRecord& c = rows[i];
      body_ += "<div>\r\n";
      field(body_, "Name:", c.name);
      field(body_, "Phone Number:", c.phone);
      field(body_, "Company:", c.company);
      field(body_, "Email:", c.email);
      field(body_, "URL:", c.url);
      body_ += "</div>\r\n";
    }
    return kOk;
  }

  int calls(const std::vector<db::CallRecord>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!takes(i, rows[i].deleted != 0)) continue;
      if (cancelled()) return kCancelled;
      const db::CallRecord& c = rows[i];
      body_ += "<div>\r\n";
      field(body_, "Name:", c.name);
      field(body_, "Phone Number:", c.number);
      field(body_, "Date:", c.date);
      field(body_, "Type:", callDirection(c));
      field(body_, "Duration:", callDurationText(c));
      body_ += "</div>\r\n";
    }
    return kOk;
  }

  int notes(const std::vector<db::NoteRecord>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!takes(i, rows[i].deleted != 0)) continue;
      if (cancelled()) return kCancelled;
      const db::NoteRecord& n = rows[i];
      body_ += "<div>\r\n";
      field(body_, "Title:", n.title);
      field(body_, "Date:", n.date);
      field(body_, "Notes:", n.content, LineBreaks::kBreakTag);
      body_ += "</div>\r\n";
    }
    return kOk;
  }

  int chats(const std::vector<db::ChatRecord>& rows, const db::WhatsAppChatMap& map) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!takes(i, rows[i].deleted != 0)) continue;
      const db::ChatRecord& row = rows[i];
      body_ += "<div>\r\n";
      field(body_, "Chats:", row.partnerName);
      field(body_, "Name:", row.memberNames.empty() ? row.senderName : row.memberNames);
      field(body_,
            "Phone Number:", row.memberNumbers.empty() ? row.senderNumber : row.memberNumbers);
      body_ += "<p><span>Content:</span></p>\r\n";
      auto it = map.find(row.conversationId);
      if (it != map.end()) {
        for (const db::ChatRecord& m : it->second) {
          if (cancelled()) {
            body_ += "</div>\r\n";
            return kCancelled;
          }
          body_ += "<p>";
          if (m.fromMe != 0) {
            body_ += "Me";
          } else {
            appendHtml(body_, m.senderName);
          }
          body_ += " (";
          appendHtml(body_, m.date);
          body_ += "): ";
          appendHtml(body_, m.text, LineBreaks::kBreakTag);
          body_ += "</p>";
        }
      }
      body_ += "</div>\r\n";
    }
    return kOk;
  }

 private:
  const PrintRequest& request_;
  const CStatisticsObj& statistics_;
  std::string& body_;
};

template <typename T>
bool have(const T* p) {
  return p != nullptr;
}

}  // namespace

int buildPrintBody(const PrintRequest& request, const PrintSources& sources,
                   const CStatisticsObj& statistics, std::string* body) {
  std::unique_lock<std::mutex> held;
  if (request.lock != nullptr) held = std::unique_lock<std::mutex>(*request.lock);
  Builder b(request, statistics, body);
  ItemCategory category;
  if (!engine::categoryOfNumber(request.category, &category)) return kOk;
  switch (category) {
    case ItemCategory::kMessages:
      if (have(sources.messageRows) && have(sources.conversations))
        return b.messages(*sources.messageRows, *sources.conversations);
      break;
    case ItemCategory::kContacts:
      if (have(sources.contacts)) return b.contacts(*sources.contacts);
      break;
    case ItemCategory::kCallHistory:
      if (have(sources.calls)) return b.calls(*sources.calls);
      break;
    case ItemCategory::kNotes:
      if (have(sources.notes)) return b.notes(*sources.notes);
      break;
    case ItemCategory::kWhatsApp:
      if (have(sources.chatRows) && have(sources.chats))
        return b.chats(*sources.chatRows, *sources.chats);
      break;
    default:
      break;
  }
  return kOk;
}

int loadPrintTemplate(const std::string& path, std::string* head, std::string* tail) {
  head->clear();
  tail->clear();
  std::string text;
  const int rc = platform::readWholeFile(path, kMaxTemplateBytes, &text);
  if (rc != kOk) return rc;
  return splitTemplate(text, head, tail) ? kOk : kInvalid;
}

int writePrintPage(const std::string& path, const std::string& head, const std::string& body,
                   const std::string& tail) {
  const std::string folder = parentFolder(path);
  if (!folder.empty()) platform::createFolders(folder);
  return writeDocument(path, head, body, tail);
}

}  // namespace qv::output
