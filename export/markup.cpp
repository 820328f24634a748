#include "export/markup.h"

#include "platform/text.h"

namespace qv::output {

std::string htmlUtf8(std::string_view utf8, LineBreaks breaks) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 8);
  // Multi-byte UTF-8 sequences never hold an ASCII byte, so a byte walk is safe.
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\r':
      case '\n':
        if (breaks == LineBreaks::kBreakTag) {
          if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
          out += "<br />";
        } else {
          out += c;
        }
        break;
      default:
        out += c;
    }
  }
  return out;
}

void appendHtml(std::string& out, std::wstring_view text, LineBreaks breaks) {
  out += htmlUtf8(platform::toUtf8(text), breaks);
}

std::string html(std::wstring_view text, LineBreaks breaks) {
  return htmlUtf8(platform::toUtf8(text), breaks);
}

std::string crlfText(std::wstring_view text) {
  const std::string utf8 = platform::toUtf8(text);
  std::string out;
  out.reserve(utf8.size() + 8);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string csvField(std::wstring_view text) {
  std::string value = crlfText(text);
  if (!value.empty() && std::string_view("=+-@\t").find(value.front()) != std::string_view::npos)
    value.insert(value.begin(), '\'');
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace qv::output
