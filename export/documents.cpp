#include "export/documents.h"

#include "app/formatters.h"
#include "export/markup.h"
#include "platform/file.h"
#include "platform/pending_file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::output {
namespace {

void cell(std::string& row, std::wstring_view value, LineBreaks breaks = LineBreaks::kKeep) {
  row += "<td>";
  appendHtml(row, value, breaks);
  row += "</td>";
}

std::string wrapRow(const std::string& cells) {
  return "\t<tr>" + cells + "</tr>\r\n";
}

bool isUnknownName(std::wstring_view name) {
  return name.empty() || name == L"Unknown";
}

// The sender as the page labels a received message.
std::wstring_view pageSender(const MessageView& m) {
  return isUnknownName(m.senderName) ? m.senderAddress : m.senderName;
}

// The sender or recipient as the text file names them.
std::wstring textWho(const MessageView& m) {
  if (isUnknownName(m.senderName)) return std::wstring(m.senderAddress);
  std::wstring who(m.senderName);
  who += L"(";
  who += m.senderAddress;
  who += L")";
  return who;
}

// "%10s: %s" + line end: the label right-aligned in 10 columns.
void labelLine(std::string& out, std::string_view label, std::wstring_view value) {
  if (label.size() < 10) out.append(10 - label.size(), ' ');
  out += label;
  out += ": ";
  out += crlfText(value);
  out += "\r\n";
}

int createParent(const std::string& path) {
  const std::string folder = parentFolder(path);
  return folder.empty() ? kOk : platform::createFolders(folder);
}

// Starts a text or CSV file (its folder made first) with the byte-order mark.
int startTextFile(const std::string& path, platform::PendingFile* out) {
  createParent(path);
  int rc = out->create(path);
  if (rc != kOk) return rc;
  return out->write(kUtf8Bom);
}

// Publishes a finished file, or discards it after a failure; the result.
int finishFile(platform::PendingFile* out, int rc, std::string* published) {
  if (rc != kOk) {
    out->discard();
    return rc;
  }
  return out->publish(published);
}

}  // namespace

PageReporter::~PageReporter() = default;

std::string parentFolder(const std::string& path) {
  const std::size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos) return {};
  if (sep == 0) return path.substr(0, 1);
  return path.substr(0, sep);
}

const wchar_t* callDirection(const db::CallRecord& call) {
  return call.incoming != 0 ? L"Incoming" : L"Outgoing";
}

std::wstring callDurationText(const db::CallRecord& call) {
  if (call.duration == 0) return call.incoming != 0 ? L"Missed" : L"Canceled";
  return app::formatDuration(call.duration);
}

std::string contactRow(const db::ContactRecord& c) {
  std::string cells;
  cell(cells, c.name);
  cell(cells, c.phone, LineBreaks::kBreakTag);
  cell(cells, c.email);
  cell(cells, c.address, LineBreaks::kBreakTag);
  cell(cells, c.url);
  cell(cells, c.social);
  cell(cells, c.company);
  return wrapRow(cells);
}

std::string callRow(const db::CallRecord& call) {
  std::string cells;
  cell(cells, call.name);
  cell(cells, call.number);
  cell(cells, call.date);
  cell(cells, callDirection(call));
  cell(cells, callDurationText(call));
  return wrapRow(cells);
}

std::string noteRow(const db::NoteRecord& note) {
  std::string cells;
  cell(cells, note.title);
  cell(cells, note.date);
  cell(cells, note.content, LineBreaks::kBreakTag);
  return wrapRow(cells);
}

int writeDocument(const std::string& path, const std::string& head, const std::string& body,
                  const std::string& tail) {
  std::string whole;
  whole.reserve(head.size() + body.size() + tail.size());
  whole += head;
  whole += body;
  whole += tail;
  return platform::writeWholeFile(path, whole.data(), whole.size());
}

std::size_t MessageList::size() const {
  if (messages_ != nullptr) return messages_->size();
  return chats_ != nullptr ? chats_->size() : 0;
}

MessageView MessageList::operator[](std::size_t i) const {
  if (messages_ != nullptr) {
    const db::MessageRecord& m = (*messages_)[i];
    return {m.deleted != 0, m.fromMe != 0, m.date, m.contactName, m.address, m.text};
  }
  const db::ChatRecord& m = (*chats_)[i];
  return {m.deleted != 0, m.fromMe != 0, m.date, m.senderName, m.senderNumber, m.text};
}

int writeConversationPage(const std::string& path, const std::string& head, const std::string& tail,
                          const MessageList& messages, PageReporter* reporter) {
  std::string published;
  auto finish = [&](int code) {
    if (reporter != nullptr) reporter->report(100, code, published.empty() ? path : published);
    return code;
  };
  createParent(path);
  platform::PendingFile out;
  int rc = out.create(path);
  if (rc == kOk) rc = out.write(head);
  if (rc != kOk) return finish(finishFile(&out, rc, &published));

  std::string body;
  const std::size_t count = messages.size();
  for (std::size_t i = 0; i < count && rc == kOk; ++i) {
    const MessageView m = messages[i];
    body.clear();
    body += "<div class=\"date\">Date: ";
    appendHtml(body, m.date);
    body += ' ';
    if (m.fromMe) {
      body += "Me";
    } else {
      appendHtml(body, pageSender(m));
    }
    body += ":</div>\r\n";
    if (m.fromMe) {
      body += m.deleted ? "<div class=\"del_send_msg\">" : "<div class=\"send_msg\">";
    } else {
      body += m.deleted ? "<div class=\"del_recv_msg\">" : "<div class=\"recv_msg\">";
    }
    appendHtml(body, m.text, LineBreaks::kBreakTag);
    body += "</div>\r\n";
    rc = out.write(body);
    if (rc == kOk && i + 1 < count && reporter != nullptr) {
      const int percent = static_cast<int>((i + 1) * 100 / count);
      rc = reporter->report(percent, kOk, path);
    }
  }
  if (rc == kOk) rc = out.write(tail);
  return finish(finishFile(&out, rc, &published));
}

int writeConversationText(const std::string& path, const MessageList& messages) {
  platform::PendingFile out;
  int rc = startTextFile(path, &out);
  std::string block;
  for (std::size_t i = 0; i < messages.size() && rc == kOk; ++i) {
    const MessageView m = messages[i];
    block.clear();
    labelLine(block, m.fromMe ? "To" : "From", textWho(m));
    labelLine(block, "Data", m.date);
    labelLine(block, "Content", m.text);
    block += "\r\n";
    rc = out.write(block);
  }
  std::string published;
  return finishFile(&out, rc, &published);
}

int writeChatCsv(const std::string& path, const MessageList& messages) {
  platform::PendingFile out;
  int rc = startTextFile(path, &out);
  std::string line = "Chats,Name/Phone,Date,Type,Content\r\n";
  if (rc == kOk) rc = out.write(line);
  for (std::size_t i = 0; i < messages.size() && rc == kOk; ++i) {
    const MessageView m = messages[i];
    line = csvField(m.senderName);
    line += ',';
    line += csvField(m.senderAddress);
    line += ',';
    line += csvField(m.date);
    line += m.fromMe ? ",Send," : ",Received,";
    line += csvField(m.text);
    line += "\r\n";
    rc = out.write(line);
  }
  std::string published;
  return finishFile(&out, rc, &published);
}

}  // namespace qv::output
