#include "export/documents.h"

#include "app/formatters.h"
#include "export/markup.h"
#include "platform/file.h"
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

// Opens a text or CSV file for writing (its folder made first) and writes the byte-order mark.
int openTextFile(const std::string& path, platform::File* out) {
  createParent(path);
  int rc = out->openWrite(path);
  if (rc != kOk) return rc;
  return out->write(kUtf8Bom.data(), kUtf8Bom.size());
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

std::vector<MessageView> messageViews(const std::vector<db::MessageRecord>& messages) {
  std::vector<MessageView> views;
  views.reserve(messages.size());
  for (const db::MessageRecord& m : messages) {
    views.push_back({m.deleted != 0, m.fromMe != 0, m.date, m.contactName, m.address, m.text});
  }
  return views;
}

std::vector<MessageView> chatViews(const std::vector<db::ChatRecord>& messages) {
  std::vector<MessageView> views;
  views.reserve(messages.size());
  for (const db::ChatRecord& m : messages) {
    views.push_back({m.deleted != 0, m.fromMe != 0, m.date, m.senderName, m.senderNumber, m.text});
  }
  return views;
}

int writeConversationPage(const std::string& path, const std::string& head, const std::string& tail,
                          const std::vector<MessageView>& messages, PageReporter* reporter) {
  auto finish = [&](int code) {
    return reporter != nullptr ? (reporter->report(100, code, path), code) : code;
  };
  createParent(path);
  platform::File out;
  int rc = out.openWrite(path);
  if (rc != kOk) return finish(rc);

  std::string body;
  int stopped = kOk;
  const std::size_t count = messages.size();
  for (std::size_t i = 0; i < count; ++i) {
    const MessageView& m = messages[i];
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
    if (i + 1 < count && reporter != nullptr) {
      const int percent = static_cast<int>((i + 1) * 100 / count);
      stopped = reporter->report(percent, kOk, path);
      if (stopped != kOk) break;
    }
  }

  rc = out.write(head.data(), head.size());
  if (rc == kOk) rc = out.write(body.data(), body.size());
  if (rc == kOk) rc = out.write(tail.data(), tail.size());
  const int closed = out.close();
  if (rc == kOk) rc = closed;
  if (count == 0 && rc == kOk) return kOk;
  return finish(rc != kOk ? rc : stopped);
}

int writeConversationText(const std::string& path, const std::vector<MessageView>& messages) {
  platform::File out;
  int rc = openTextFile(path, &out);
  if (rc != kOk) return rc;
  std::string block;
  for (const MessageView& m : messages) {
    block.clear();
    labelLine(block, m.fromMe ? "To" : "From", textWho(m));
    labelLine(block, "Data", m.date);
    labelLine(block, "Content", m.text);
    block += "\r\n";
    // One write per message, so that a file cut short by a failure ends between messages.
    rc = out.write(block.data(), block.size());
    if (rc != kOk) return rc;
  }
  return out.close();
}

int writeChatCsv(const std::string& path, const std::vector<MessageView>& messages) {
  platform::File out;
  int rc = openTextFile(path, &out);
  if (rc != kOk) return rc;
  std::string line = "Chats,Name/Phone,Date,Type,Content\r\n";
  rc = out.write(line.data(), line.size());
  if (rc != kOk) return rc;
  for (const MessageView& m : messages) {
    line = csvField(m.senderName);
    line += ',';
    line += csvField(m.senderAddress);
    line += ',';
    line += csvField(m.date);
    line += m.fromMe ? ",Send," : ",Received,";
    line += csvField(m.text);
    line += "\r\n";
    rc = out.write(line.data(), line.size());
    if (rc != kOk) return rc;
  }
  return out.close();
}

}  // namespace qv::output
