#include "backup/info_plist.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "backup/backup_date.h"
#include "backup/binary_plist.h"
#include "platform/local_time.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {

std::size_t MemorySource::read(char* buf, std::size_t n) {
  std::size_t take = n < size_ - pos_ ? n : size_ - pos_;
  if (take > 0) std::memcpy(buf, data_ + pos_, take);
  pos_ += take;
  return take;
}

std::size_t FileSource::read(char* buf, std::size_t n) {
  std::size_t got = 0;
  if (file_->readAt(offset_, buf, n, &got) != 0) return 0;
  offset_ += got;
  return got;
}

bool LineReader::fill() {
  if (atEnd_) return false;
  if (begin_ > 0) {
    std::memmove(buf_, buf_ + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  std::size_t got = source_->read(buf_ + end_, sizeof buf_ - end_);
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  end_ += got;
  return true;
}

bool LineReader::next(std::string* line) {
  for (;;) {
    std::size_t avail = end_ - begin_;
    std::size_t window = avail < kMaxLine ? avail : kMaxLine;
    const void* nl = std::memchr(buf_ + begin_, '\n', window);
    if (nl != nullptr) {
      std::size_t len = static_cast<const char*>(nl) - (buf_ + begin_);
      line->assign(buf_ + begin_, len);
      begin_ += len + 1;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    if (avail >= kMaxLine) {
      // A line longer than the buffer: hand out what fits; the rest is the next "line".
      line->assign(buf_ + begin_, kMaxLine);
      begin_ += kMaxLine;
      return true;
    }
    if (!fill()) {
      if (begin_ == end_) return false;
      line->assign(buf_ + begin_, end_ - begin_);
      begin_ = end_;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
  }
}

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the epoch of a property list's dates.
constexpr std::int64_t kAppleEpochSeconds = 978307200;

bool contains(std::string_view line, std::string_view what) {
  return line.find(what) != std::string_view::npos;
}

// The text between the opening tag and the closing tag of a value line: the line is cut at the
// first closing tag, then what follows the first opening tag is the value. False when the cut
// line has no opening tag.
bool elementText(std::string_view line, std::string_view open, std::string_view close,
                 std::string_view* out) {
  std::size_t end = line.find(close);
  if (end != std::string_view::npos) line = line.substr(0, end);
  std::size_t start = line.find(open);
  if (start == std::string_view::npos) return false;
  *out = line.substr(start + open.size());
  return true;
}

// Leading decimal digits as an integer, saturating instead of overflowing.
long leadingNumber(std::string_view text) {
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value < 100000000 ? value * 10 + (c - '0') : value;
  }
  return value;
}

bool appendReference(std::string_view ref, std::string* out) {
  if (ref == "amp") return out->push_back('&'), true;
  if (ref == "lt") return out->push_back('<'), true;
  if (ref == "gt") return out->push_back('>'), true;
  if (ref == "quot") return out->push_back('"'), true;
  if (ref == "apos") return out->push_back('\''), true;
  if (ref.size() < 2 || ref[0] != '#') return false;
  bool hex = ref[1] == 'x' || ref[1] == 'X';
  std::string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return false;
  char32_t cp = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
  }
  if (cp == 0) return false;  // a NUL would cut the text short further on
  platform::appendUtf8(*out, cp);
  return true;
}

}  // namespace

std::string decodeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      std::size_t semi = text.find(';', i + 1);
      // References are short; a lone '&' far from any ';' stays as it is.
      if (semi != std::string_view::npos && semi - i <= 12 &&
          appendReference(text.substr(i + 1, semi - i - 1), &out)) {
        i = semi + 1;
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

void applyInfoPlistKeys(LineReader* lines, BackupInfo* info) {
  std::string line;
  std::string value;
  std::string_view text;
  while (lines->next(&line)) {
    if (contains(line, "<key>Display Name</key>")) {
      if (!lines->next(&value)) return;
      if (elementText(value, "<string>", "</string>", &text))
        info->displayName = platform::toWide(decodeXmlText(text));
    } else if (contains(line, "<key>Last Backup Date</key>")) {
      if (!lines->next(&value)) return;
      if (elementText(value, "<date>", "</date>", &text)) {
        // 2016-05-01T23:30:00Z -> "2016-05-01 23:30:00"
        std::string raw(text);
        std::size_t t = raw.find('T');
        if (t != std::string::npos) raw[t] = ' ';
        std::size_t z = raw.find('Z');
        if (z != std::string::npos) raw.resize(z);
        std::string local = localBackupDate(raw);
        info->lastBackupDate = local.empty() ? raw : local;
      }
    } else if (contains(line, "<key>Phone Number</key>")) {
      if (!lines->next(&value)) return;
      if (elementText(value, "<string>", "</string>", &text))
        info->phoneNumber = decodeXmlText(text);
    } else if (contains(line, "<key>Product Version</key>")) {
      if (!lines->next(&value)) return;
      if (elementText(value, "<string>", "</string>", &text)) {
        info->productVersion = decodeXmlText(text);
        info->versionAbove11 = leadingNumber(text) > 11;
      }
    } else if (contains(line, "<key>Serial Number</key>")) {
      if (!lines->next(&value)) return;
      if (elementText(value, "<string>", "</string>", &text))
        info->serialNumber = decodeXmlText(text);
      return;  // nothing after the serial number is read
    }
  }
}

bool isBinaryInfoPlist(std::string_view firstBytes) {
  return plist::looksLikeBinaryPlist(firstBytes);
}

int applyBinaryInfoPlist(std::string_view bytes, BackupInfo* info) {
  plist::PlistValue root;
  if (plist::readBinaryPlist(bytes, &root) != kOk || !root.is(plist::PlistKind::kDict))
    return kInvalid;
  auto text = [&root](const char* key) -> const std::string* {
    const plist::PlistValue* v = root.find(key);
    return v != nullptr && v->is(plist::PlistKind::kString) ? &v->bytes : nullptr;
  };
  if (const std::string* name = text("Display Name")) info->displayName = platform::toWide(*name);
  const plist::PlistValue* date = root.find("Last Backup Date");
  // Dates past what a backup can have been made at (and NaN) leave the field alone.
  if (date != nullptr && date->is(plist::PlistKind::kDate) && date->real > -1e10 &&
      date->real < 1e10) {
    const auto seconds = static_cast<std::int64_t>(std::floor(date->real)) + kAppleEpochSeconds;
    const std::string raw = platform::formatCivil(platform::unixToCivil(seconds));
    const std::string local = localBackupDate(raw);
    info->lastBackupDate = local.empty() ? raw : local;
  }
  if (const std::string* phone = text("Phone Number")) info->phoneNumber = *phone;
  if (const std::string* version = text("Product Version")) {
    info->productVersion = *version;
    info->versionAbove11 = leadingNumber(*version) > 11;
  }
  if (const std::string* serial = text("Serial Number")) info->serialNumber = *serial;
  return kOk;
}

}  // namespace qv::backup
