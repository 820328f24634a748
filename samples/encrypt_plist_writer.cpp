#include "samples/encrypt_plist_writer.h"

#include <cstring>

#include "platform/local_time.h"
#include "platform/text.h"

namespace qv::samples::enc {

PlistOut PlistOut::boolean_(bool v) {
  PlistOut p;
  p.kind = kBool;
  p.boolean = v;
  return p;
}
PlistOut PlistOut::integer_(std::int64_t v) {
  PlistOut p;
  p.kind = kInteger;
  p.integer = v;
  return p;
}
PlistOut PlistOut::string_(std::string v) {
  PlistOut p;
  p.kind = kString;
  p.bytes = std::move(v);
  return p;
}
PlistOut PlistOut::date(double secondsSince2001) {
  PlistOut p;
  p.kind = kDate;
  p.seconds = secondsSince2001;
  return p;
}
PlistOut PlistOut::data(std::string v) {
  PlistOut p;
  p.kind = kData;
  p.bytes = std::move(v);
  return p;
}
PlistOut PlistOut::uid(std::uint64_t index) {
  PlistOut p;
  p.kind = kUid;
  p.integer = static_cast<std::int64_t>(index);
  return p;
}
PlistOut PlistOut::array(std::vector<PlistOut> items) {
  PlistOut p;
  p.kind = kArray;
  p.items = std::move(items);
  return p;
}
PlistOut PlistOut::dict(std::vector<std::pair<std::string, PlistOut>> entries) {
  PlistOut p;
  p.kind = kDict;
  for (auto& e : entries) {
    p.keys.push_back(std::move(e.first));
    p.items.push_back(std::move(e.second));
  }
  return p;
}

namespace {

void putBe(std::string& out, std::uint64_t v, unsigned width) {
  for (unsigned i = width; i-- > 0;) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

unsigned widthFor(std::uint64_t maxValue) {
  if (maxValue <= 0xFF) return 1;
  if (maxValue <= 0xFFFF) return 2;
  if (maxValue <= 0xFFFFFFFFu) return 4;
  return 8;
}

class BinaryWriter {
 public:
  std::string write(const PlistOut& root) {
    countObjects(root);
    refWidth_ = widthFor(objectCount_);
    std::string out = "bplist00";
    offsets_.reserve(objectCount_);
    next_ = 0;
    writeObject(root, out);
    std::uint64_t tableOffset = out.size();
    unsigned offsetWidth = widthFor(tableOffset);
    for (std::uint64_t off : offsets_) putBe(out, off, offsetWidth);
    out.append(6, '\0');
    out.push_back(static_cast<char>(offsetWidth));
    out.push_back(static_cast<char>(refWidth_));
    putBe(out, offsets_.size(), 8);
    putBe(out, 0, 8);
    putBe(out, tableOffset, 8);
    return out;
  }

 private:
  // Objects are numbered depth-first; dict keys are objects of their own.
  void countObjects(const PlistOut& v) {
    ++objectCount_;
    objectCount_ += v.keys.size();
    for (const PlistOut& item : v.items) countObjects(item);
  }

  void marker(std::string& out, unsigned type, std::uint64_t count) {
    if (count < 15) {
      out.push_back(static_cast<char>((type << 4) | count));
      return;
    }
    out.push_back(static_cast<char>((type << 4) | 0xF));
    writeInteger(out, static_cast<std::int64_t>(count));
  }

  static void writeInteger(std::string& out, std::int64_t v) {
    if (v < 0) {
      out.push_back(0x13);
      putBe(out, static_cast<std::uint64_t>(v), 8);
      return;
    }
    unsigned w = widthFor(static_cast<std::uint64_t>(v));
    // 8-byte integers are signed in this format, which holds every non-negative int64.
    out.push_back(static_cast<char>(0x10 | (w == 1 ? 0 : w == 2 ? 1 : w == 4 ? 2 : 3)));
    putBe(out, static_cast<std::uint64_t>(v), w);
  }

  void writeString(std::string& out, const std::string& utf8) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (ascii) {
      marker(out, 0x5, utf8.size());
      out += utf8;
      return;
    }
    std::u16string units;
    for (wchar_t wc : platform::toWide(utf8)) {
      char32_t cp = static_cast<char32_t>(wc);
      if (sizeof(wchar_t) == 2 || cp < 0x10000) {
        units.push_back(static_cast<char16_t>(cp));
      } else {
        cp -= 0x10000;
        units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      }
    }
    marker(out, 0x6, units.size());
    for (char16_t u : units) putBe(out, u, 2);
  }

  std::uint64_t writeObject(const PlistOut& v, std::string& out) {
    std::uint64_t index = next_++;
    offsets_.push_back(0);
    if (v.kind == PlistOut::kArray || v.kind == PlistOut::kDict) {
      // The references are written once the children have their numbers.
      std::vector<std::uint64_t> keyRefs;
      std::vector<std::uint64_t> valueRefs;
      std::uint64_t here = out.size();
      std::string header;
      marker(header, v.kind == PlistOut::kArray ? 0xA : 0xD, v.items.size());
      std::size_t refsBytes = (v.keys.size() + v.items.size()) * refWidth_;
      offsets_[index] = here;
      out += header;
      std::size_t refsAt = out.size();
      out.append(refsBytes, '\0');
      for (const std::string& key : v.keys) {
        std::uint64_t k = next_++;
        offsets_.push_back(out.size());
        writeString(out, key);
        keyRefs.push_back(k);
      }
      for (const PlistOut& item : v.items) valueRefs.push_back(writeObject(item, out));
      std::string refs;
      for (std::uint64_t r : keyRefs) putBe(refs, r, refWidth_);
      for (std::uint64_t r : valueRefs) putBe(refs, r, refWidth_);
      out.replace(refsAt, refs.size(), refs);
      return index;
    }
    offsets_[index] = out.size();
    switch (v.kind) {
      case PlistOut::kBool:
        out.push_back(v.boolean ? 0x09 : 0x08);
        break;
      case PlistOut::kInteger:
        writeInteger(out, v.integer);
        break;
      case PlistOut::kString:
        writeString(out, v.bytes);
        break;
      case PlistOut::kData:
        marker(out, 0x4, v.bytes.size());
        out += v.bytes;
        break;
      case PlistOut::kUid: {
        unsigned w = widthFor(static_cast<std::uint64_t>(v.integer));
        out.push_back(static_cast<char>(0x80 | (w - 1)));
        putBe(out, static_cast<std::uint64_t>(v.integer), w);
        break;
      }
      case PlistOut::kDate: {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v.seconds, sizeof bits);
        out.push_back(static_cast<char>(0x33));
        putBe(out, bits, 8);
        break;
      }
      default:
        break;
    }
    return index;
  }

  std::uint64_t objectCount_ = 0;
  unsigned refWidth_ = 1;
  std::uint64_t next_ = 0;
  std::vector<std::uint64_t> offsets_;
};

std::string xmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
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
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string base64(const std::string& data) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                      (static_cast<unsigned char>(data[i + 1]) << 8) |
                      static_cast<unsigned char>(data[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out.push_back(kAlphabet[(v >> s) & 63]);
  }
  std::size_t rest = data.size() - i;
  if (rest > 0) {
    std::uint32_t v = static_cast<unsigned char>(data[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

void writeXml(const PlistOut& v, int depth, std::string& out) {
  std::string indent(static_cast<std::size_t>(depth), '\t');
  switch (v.kind) {
    case PlistOut::kBool:
      out += indent + (v.boolean ? "<true/>\n" : "<false/>\n");
      break;
    case PlistOut::kInteger:
      out += indent + "<integer>" + std::to_string(v.integer) + "</integer>\n";
      break;
    case PlistOut::kString:
      out += indent + "<string>" + xmlEscape(v.bytes) + "</string>\n";
      break;
    case PlistOut::kDate: {
      const auto whole = static_cast<std::int64_t>(v.seconds) + 978307200;
      std::string iso = platform::formatCivil(platform::unixToCivil(whole));
      iso[10] = 'T';  // ISO 8601 in UTC
      out += indent + "<date>" + iso + "Z</date>\n";
      break;
    }
    case PlistOut::kUid:  // the XML form writes a UID as a dict holding CF$UID
      out += indent + "<dict>\n" + indent + "\t<key>CF$UID</key>\n" + indent + "\t<integer>" +
             std::to_string(v.integer) + "</integer>\n" + indent + "</dict>\n";
      break;
    case PlistOut::kData: {
      out += indent + "<data>\n";
      std::string b = base64(v.bytes);
      for (std::size_t i = 0; i < b.size(); i += 68) out += indent + b.substr(i, 68) + "\n";
      out += indent + "</data>\n";
      break;
    }
    case PlistOut::kArray:
      out += indent + "<array>\n";
      for (const PlistOut& item : v.items) writeXml(item, depth + 1, out);
      out += indent + "</array>\n";
      break;
    case PlistOut::kDict:
      out += indent + "<dict>\n";
      for (std::size_t i = 0; i < v.items.size(); ++i) {
        out += indent + "\t<key>" + xmlEscape(v.keys[i]) + "</key>\n";
        writeXml(v.items[i], depth + 1, out);
      }
      out += indent + "</dict>\n";
      break;
  }
}

}  // namespace

std::string toBinaryPlist(const PlistOut& root) {
  return BinaryWriter().write(root);
}

std::string toXmlPlist(const PlistOut& root) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  writeXml(root, 0, out);
  return out + "</plist>\n";
}

}  // namespace qv::samples::enc
