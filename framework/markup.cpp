#include "framework/markup.h"

#include <cstdint>

#include "platform/ascii.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::framework {

const std::wstring* MarkupElement::attribute(std::string_view n) const {
  for (const MarkupAttribute& a : attributes) {
    if (platform::equalsNoCase(a.name, n)) return &a.value;
  }
  return nullptr;
}

std::string markupToUtf8(std::string_view bytes) {
  auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  if (starts("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  bool le = starts("\xFF\xFE");
  bool be = starts("\xFE\xFF");
  if (!le && !be) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  std::size_t n = (bytes.size() - 2) / 2;
  auto unit = [&](std::size_t i) -> std::uint16_t {
    auto lo = static_cast<std::uint8_t>(bytes[2 + i * 2 + (le ? 0 : 1)]);
    auto hi = static_cast<std::uint8_t>(bytes[2 + i * 2 + (le ? 1 : 0)]);
    return static_cast<std::uint16_t>(lo | (hi << 8));
  };
  for (std::size_t i = 0; i < n; ++i) {
    std::uint16_t u = unit(i);
    char32_t cp = u;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      cp = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      cp = 0xFFFD;  // unpaired surrogate
    }
    platform::appendUtf8(out, cp);
  }
  return out;
}

namespace {

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':';
}
bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Reader {
 public:
  Reader(std::string_view text, const MarkupLimits& limits) : s_(text), limits_(limits) {}

  int document(MarkupElement* root, MarkupError* error) {
    bool haveRoot = false;
    while (ok_) {
      skipSpace();
      if (pos_ >= s_.size()) break;
      if (!startsWith("<")) {
        fail("text outside the root element");
        break;
      }
      if (startsWith("<?")) {
        skipPast("?>", "declaration without \"?>\"");
      } else if (startsWith("<!--")) {
        skipPast("-->", "comment without \"-->\"");
      } else if (startsWith("<!")) {
        skipPast(">", "declaration without \">\"");
      } else if (haveRoot) {
        fail("a second root element");
      } else {
        element(root, 1);
        haveRoot = true;
      }
    }
    if (ok_ && !haveRoot) fail("no root element");
    if (!ok_) {
      *root = MarkupElement{};
      if (error) *error = error_;
      return kInvalid;
    }
    return kOk;
  }

 private:
  bool startsWith(std::string_view t) const { return s_.substr(pos_, t.size()) == t; }
  void advance(std::size_t n) {
    for (std::size_t i = 0; i < n && pos_ < s_.size(); ++i, ++pos_) {
      if (s_[pos_] == '\n') ++line_;
    }
  }
  void skipSpace() {
    while (pos_ < s_.size() && isSpace(s_[pos_])) advance(1);
  }
  void skipPast(std::string_view end, const char* what) {
    std::size_t at = s_.find(end, pos_);
    if (at == std::string_view::npos) return fail(what);
    advance(at + end.size() - pos_);
  }
  void fail(const std::string& what) {
    if (!ok_) return;
    ok_ = false;
    error_.line = line_;
    error_.what = what;
  }

  std::string name() {
    std::size_t start = pos_;
    while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
    if (pos_ == start) fail("a name was expected");
    return std::string(s_.substr(start, pos_ - start));
  }

  // One element starting at "<"; depth counts from 1 at the root.
  void element(MarkupElement* e, int depth) {
    if (depth > limits_.maxDepth) return fail("elements nested too deeply");
    if (++elements_ > limits_.maxElements) return fail("too many elements");
    e->line = line_;
    advance(1);  // "<"
    e->name = name();
    if (!ok_) return;
    for (;;) {
      skipSpace();
      if (pos_ >= s_.size()) return fail("element <" + e->name + "> not closed");
      if (startsWith("/>")) {
        advance(2);
        return;
      }
      if (s_[pos_] == '>') {
        advance(1);
        break;
      }
      attribute(e);
      if (!ok_) return;
    }
    content(e, depth);
  }

  void attribute(MarkupElement* e) {
    if (e->attributes.size() >= limits_.maxAttributes) return fail("too many attributes");
    MarkupAttribute a;
    a.name = name();
    if (!ok_) return;
    if (e->attribute(a.name)) return fail("attribute \"" + a.name + "\" given twice");
    skipSpace();
    if (pos_ >= s_.size() || s_[pos_] != '=') return fail("\"=\" expected after " + a.name);
    advance(1);
    skipSpace();
    if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) {
      return fail("quoted value expected for " + a.name);
    }
    char quote = s_[pos_];
    advance(1);
    std::size_t end = s_.find(quote, pos_);
    if (end == std::string_view::npos) return fail("value of " + a.name + " not closed");
    std::string raw;
    if (!decodeEntities(s_.substr(pos_, end - pos_), &raw)) return;
    advance(end + 1 - pos_);
    a.value = platform::toWide(raw);
    e->attributes.push_back(std::move(a));
  }

  bool decodeEntities(std::string_view in, std::string* out) {
    for (std::size_t i = 0; i < in.size();) {
      if (in[i] != '&') {
        out->push_back(in[i++]);
        continue;
      }
      std::size_t semi = in.find(';', i);
      if (semi == std::string_view::npos || semi - i > 12) {
        fail("\"&\" without an entity");
        return false;
      }
      std::string_view ent = in.substr(i + 1, semi - i - 1);
      if (ent == "lt")
        out->push_back('<');
      else if (ent == "gt")
        out->push_back('>');
      else if (ent == "amp")
        out->push_back('&');
      else if (ent == "quot")
        out->push_back('"');
      else if (ent == "apos")
        out->push_back('\'');
      else if (ent.size() > 1 && ent[0] == '#') {
        char32_t cp = 0;
        bool hex = ent[1] == 'x' || ent[1] == 'X';
        std::size_t digits = 0;
        for (std::size_t k = hex ? 2 : 1; k < ent.size(); ++k, ++digits) {
          char c = ent[k];
          int d = c >= '0' && c <= '9'          ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                : -1;
          if (d < 0 || cp > 0x10FFFF) {
            fail("bad character reference");
            return false;
          }
          cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
        }
        if (digits == 0 || cp == 0) {
          fail("bad character reference");
          return false;
        }
        platform::appendUtf8(*out, cp);  // past U+10FFFF and surrogates give U+FFFD
      } else {
        fail("unknown entity &" + std::string(ent) + ";");
        return false;
      }
      i = semi + 1;
    }
    return true;
  }

  void content(MarkupElement* e, int depth) {
    for (;;) {
      std::size_t lt = s_.find('<', pos_);
      if (lt == std::string_view::npos) {
        advance(s_.size() - pos_);  // the fault is where the input ends
        return fail("element <" + e->name + "> not closed");
      }
      advance(lt - pos_);  // character data is skipped
      if (startsWith("</")) {
        advance(2);
        std::string closing = name();
        if (!ok_) return;
        if (closing != e->name) {
          return fail("</" + closing + "> closes <" + e->name + ">");
        }
        skipSpace();
        if (pos_ >= s_.size() || s_[pos_] != '>') return fail("\">\" expected");
        advance(1);
        return;
      }
      if (startsWith("<!--")) {
        skipPast("-->", "comment without \"-->\"");
      } else if (startsWith("<![CDATA[")) {
        skipPast("]]>", "CDATA without \"]]>\"");
      } else if (startsWith("<?")) {
        skipPast("?>", "declaration without \"?>\"");
      } else {
        e->children.emplace_back();
        element(&e->children.back(), depth + 1);
      }
      if (!ok_) return;
    }
  }

  std::string_view s_;
  const MarkupLimits& limits_;
  std::size_t pos_ = 0;
  int line_ = 1;
  std::size_t elements_ = 0;
  bool ok_ = true;
  MarkupError error_;
};

}  // namespace

int parseMarkup(std::string_view bytes, MarkupElement* root, MarkupError* error,
                const MarkupLimits& limits) {
  *root = MarkupElement{};
  if (bytes.size() > limits.maxBytes) {
    if (error) *error = MarkupError{0, "layout file too large"};
    return kInvalid;
  }
  std::string text = markupToUtf8(bytes);
  Reader reader(text, limits);
  return reader.document(root, error);
}

}  // namespace qv::framework
