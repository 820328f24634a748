#include "tools/decrypt/xml_plist.h"

#include <cstdlib>
#include <string>

#include "backup/binary_plist.h"
#include "platform/corrupt_input.h"
#include "platform/text.h"

namespace qv::decrypt {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Tag {
  std::string_view name;
  bool closing = false;      // </name>
  bool selfClosing = false;  // <name/>
};

class XmlPlistReader {
 public:
  explicit XmlPlistReader(std::string_view text) : s_(text) {}

  int read(plist::PlistValue* out) {
    Tag tag;
    if (!nextTag(&tag)) return corrupt("xml plist: no element");
    if (tag.name == "plist" && !tag.closing) {
      if (tag.selfClosing) return corrupt("xml plist: empty plist element");
      Tag valueTag;
      if (!nextTag(&valueTag)) return corrupt("xml plist: plist holds no value");
      int rc = readValue(valueTag, 0, out);
      if (rc != kOk) return rc;
      Tag end;
      if (!nextTag(&end) || !end.closing || end.name != "plist")
        return corrupt("xml plist: plist not closed");
      return kOk;
    }
    return readValue(tag, 0, out);  // a bare value without the plist wrapper
  }

 private:
  // Skips text, comments, processing instructions and declarations up to the next element tag.
  bool nextTag(Tag* tag) {
    *tag = Tag();
    while (pos_ < s_.size()) {
      if (isSpace(s_[pos_])) {
        ++pos_;
        continue;
      }
      if (s_[pos_] != '<') return false;  // stray text between elements
      if (startsWith("<?")) {
        if (!skipPast("?>")) return false;
      } else if (startsWith("<!--")) {
        if (!skipPast("-->")) return false;
      } else if (startsWith("<!")) {
        if (!skipPast(">")) return false;
      } else {
        return readTag(tag);
      }
    }
    return false;
  }

  bool startsWith(std::string_view p) const { return s_.substr(pos_, p.size()) == p; }

  bool skipPast(std::string_view end) {
    std::size_t at = s_.find(end, pos_);
    if (at == std::string_view::npos) return false;
    pos_ = at + end.size();
    return true;
  }

  // At '<': reads the name, skips attributes (quoted values may hold '>'), notes '/' forms.
  bool readTag(Tag* tag) {
    ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '/') {
      tag->closing = true;
      ++pos_;
    }
    std::size_t start = pos_;
    while (pos_ < s_.size() && !isSpace(s_[pos_]) && s_[pos_] != '>' && s_[pos_] != '/') ++pos_;
    tag->name = s_.substr(start, pos_ - start);
    char quote = 0;
    for (; pos_ < s_.size(); ++pos_) {
      char c = s_[pos_];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        tag->selfClosing = pos_ > start && s_[pos_ - 1] == '/';
        ++pos_;
        return !tag->name.empty();
      }
    }
    return false;
  }

  // Character data up to the next '<' that is not a CDATA section, entities decoded.
  int readText(std::string* out) {
    out->clear();
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '<') {
        if (!startsWith("<![CDATA[")) return kOk;
        std::size_t end = s_.find("]]>", pos_ + 9);
        if (end == std::string_view::npos) return corrupt("xml plist: CDATA not closed");
        out->append(s_.substr(pos_ + 9, end - pos_ - 9));
        pos_ = end + 3;
      } else if (c == '&') {
        std::size_t semi = s_.find(';', pos_);
        // An entity name is short; a lone '&' is an error in XML.
        if (semi == std::string_view::npos || semi - pos_ > 12)
          return corrupt("xml plist: bad entity");
        if (!appendEntity(s_.substr(pos_ + 1, semi - pos_ - 1), out))
          return corrupt("xml plist: unknown entity");
        pos_ = semi + 1;
      } else {
        out->push_back(c);
        ++pos_;
      }
    }
    return corrupt("xml plist: text runs to the end");
  }

  static bool appendEntity(std::string_view name, std::string* out) {
    if (name == "amp") return out->push_back('&'), true;
    if (name == "lt") return out->push_back('<'), true;
    if (name == "gt") return out->push_back('>'), true;
    if (name == "quot") return out->push_back('"'), true;
    if (name == "apos") return out->push_back('\''), true;
    if (name.size() < 2 || name[0] != '#') return false;
    bool hex = name[1] == 'x' || name[1] == 'X';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    std::uint32_t cp = 0;
    for (char d : digits) {
      int v = (d >= '0' && d <= '9')          ? d - '0'
              : hex && (d >= 'a' && d <= 'f') ? d - 'a' + 10
              : hex && (d >= 'A' && d <= 'F') ? d - 'A' + 10
                                              : -1;
      if (v < 0) return false;
      cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
      if (cp > 0x10FFFF) return false;
    }
    platform::appendUtf8(*out, cp);
    return true;
  }

  // Text of a simple element whose open tag was just read, with its closing tag consumed.
  int readSimple(const Tag& open, std::string* text) {
    text->clear();
    if (open.selfClosing) return kOk;
    int rc = readText(text);
    if (rc != kOk) return rc;
    Tag end;
    if (!readTagHere(&end) || !end.closing || end.name != open.name)
      return corrupt("xml plist: element not closed by its name");
    return kOk;
  }

  bool readTagHere(Tag* tag) {
    *tag = Tag();
    if (pos_ >= s_.size() || s_[pos_] != '<') return false;
    return readTag(tag);
  }

  int readValue(const Tag& tag, int depth, plist::PlistValue* out) {
    *out = plist::PlistValue();
    if (depth > plist::kPlistMaxDepth) return corrupt("xml plist: nested too deeply");
    if (++valuesBuilt_ > plist::kPlistMaxValues) return corrupt("xml plist: too many values");
    if (tag.closing) return corrupt("xml plist: closing tag where a value belongs");
    std::string_view n = tag.name;
    if (n == "dict" || n == "array") return readContainer(tag, depth, out);
    if (n == "true" || n == "false") {
      out->kind = plist::PlistKind::kBool;
      out->boolean = n == "true";
      std::string ignored;
      return readSimple(tag, &ignored);
    }
    std::string text;
    int rc = readSimple(tag, &text);
    if (rc != kOk) return rc;
    if (n == "string") {
      out->kind = plist::PlistKind::kString;
      out->bytes = std::move(text);
    } else if (n == "date") {
      out->kind = plist::PlistKind::kDate;
      out->bytes = std::move(text);
    } else if (n == "integer") {
      out->kind = plist::PlistKind::kInteger;
      if (!parseInteger(text, &out->integer)) return corrupt("xml plist: bad integer");
    } else if (n == "real") {
      out->kind = plist::PlistKind::kReal;
      out->real = std::strtod(text.c_str(), nullptr);
    } else if (n == "data") {
      out->kind = plist::PlistKind::kData;
      if (!decodeBase64(text, &out->bytes)) return corrupt("xml plist: bad base64");
    } else {
      return corrupt("xml plist: unknown element");
    }
    return kOk;
  }

  int readContainer(const Tag& open, int depth, plist::PlistValue* out) {
    bool isDict = open.name == "dict";
    out->kind = isDict ? plist::PlistKind::kDict : plist::PlistKind::kArray;
    if (open.selfClosing) return kOk;
    for (;;) {
      Tag tag;
      if (!nextTag(&tag)) return corrupt("xml plist: container not closed");
      if (tag.closing) {
        if (tag.name != open.name) return corrupt("xml plist: container closed by another name");
        return kOk;
      }
      if (isDict) {
        // A dict alternates <key> and a value.
        if (tag.name != "key") return corrupt("xml plist: dict entry without key");
        std::string key;
        int rc = readSimple(tag, &key);
        if (rc != kOk) return rc;
        if (!nextTag(&tag)) return corrupt("xml plist: key without value");
        out->keys.push_back(std::move(key));
      }
      out->items.emplace_back();
      int rc = readValue(tag, depth + 1, &out->items.back());
      if (rc != kOk) return rc;
    }
  }

  static bool parseInteger(std::string_view t, std::int64_t* out) {
    while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
    while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
    bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.remove_prefix(1);
    if (t.empty()) return false;
    std::uint64_t v = 0;
    for (char d : t) {
      if (d < '0' || d > '9') return false;
      unsigned digit = static_cast<unsigned>(d - '0');
      if (v > (UINT64_MAX - digit) / 10) return false;
      v = v * 10 + digit;
    }
    // Unsigned values up to 2^64-1 are kept as their bit pattern, as the binary form does.
    *out = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    return !negative || v <= static_cast<std::uint64_t>(INT64_MAX) + 1;
  }

  static bool decodeBase64(std::string_view t, std::string* out) {
    out->clear();
    std::uint32_t acc = 0;
    int bits = 0;
    bool ended = false;
    for (char c : t) {
      if (isSpace(c)) continue;
      int v;
      if (c >= 'A' && c <= 'Z')
        v = c - 'A';
      else if (c >= 'a' && c <= 'z')
        v = c - 'a' + 26;
      else if (c >= '0' && c <= '9')
        v = c - '0' + 52;
      else if (c == '+')
        v = 62;
      else if (c == '/')
        v = 63;
      else if (c == '=') {
        ended = true;
        continue;
      } else
        return false;
      if (ended) return false;  // data after the padding
      acc = (acc << 6) | static_cast<std::uint32_t>(v);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        out->push_back(static_cast<char>((acc >> bits) & 0xFF));
      }
    }
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::size_t valuesBuilt_ = 0;
};

}  // namespace

int readXmlPlist(std::string_view text, plist::PlistValue* out) {
  *out = plist::PlistValue();
  XmlPlistReader reader(text);
  int rc = reader.read(out);
  if (rc != kOk) *out = plist::PlistValue();
  return rc;
}

int readAnyPlist(std::string_view bytes, plist::PlistValue* out) {
  if (plist::looksLikeBinaryPlist(bytes)) return plist::readBinaryPlist(bytes, out);
  // A UTF-8 byte-order mark may precede the XML declaration.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return readXmlPlist(bytes, out);
}

}  // namespace qv::decrypt
