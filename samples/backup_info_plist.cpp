#include "samples/backup_info_plist.h"

#include <cstdio>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/local_time.h"
#include "samples/encrypt_plist_writer.h"

namespace qv::samples {
namespace {

std::string escapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
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

class PlistWriter {
 public:
  explicit PlistWriter(bool crlf) : eol_(crlf ? "\r\n" : "\n") {}
  void line(const std::string& text) { out_ += text + eol_; }
  void key(const std::string& k) { line("\t<key>" + escapeXml(k) + "</key>"); }
  void string(const std::string& k, const std::string& v) {
    key(k);
    line("\t<string>" + escapeXml(v) + "</string>");
  }
  std::string& text() { return out_; }

 private:
  std::string eol_;
  std::string out_;
};

}  // namespace

std::string infoPlistText(const DeviceInfo& info) {
  PlistWriter w(info.crlf);
  w.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  w.line(
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
  w.line("<plist version=\"1.0\">");
  w.line("<dict>");
  if (info.applicationDataBytes > 0) {
    w.key("Applications");
    w.line("\t<dict>");
    w.line("\t\t<key>com.example.notes</key>");
    w.line("\t\t<dict>");
    w.line("\t\t\t<key>iTunesMetadata</key>");
    std::string data = "\t\t\t<data>";
    static const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < info.applicationDataBytes; ++i) data.push_back(kB64[(i * 7) % 64]);
    w.line(data + "</data>");
    w.line("\t\t</dict>");
    w.line("\t</dict>");
  }
  w.string("Build Version", "13G36");
  w.string("Device Name", info.displayName);
  w.string("Display Name", info.displayName);
  w.string("GUID", "5A1F3C0E9B7D4E21A6C8F0B2D4E6A8C0");
  w.string("ICCID", "89014104279876543210");
  w.string("IMEI", "356938035643809");
  w.key("Last Backup Date");
  w.line("\t<date>" + info.lastBackupDate + "</date>");
  if (info.phoneNumber) w.string("Phone Number", *info.phoneNumber);
  w.string("Product Name", "iPhone 6s");
  w.string("Product Type", info.productType);
  w.string("Product Version", info.productVersion);
  w.string("Serial Number", info.serialNumber);
  for (const auto& kv : info.keysAfterSerial) w.string(kv.first, kv.second);
  w.string("Target Identifier", info.uniqueIdentifier);
  w.string("Target Type", "Device");
  w.string("Unique Identifier", info.uniqueIdentifier);
  w.key("iTunes Files");
  w.line("\t<dict>");
  w.line("\t</dict>");
  w.string("iTunes Version", "12.5.1.21");
  w.line("</dict>");
  w.line("</plist>");
  return w.text();
}

std::string infoPlistBinary(const DeviceInfo& info) {
  using enc::PlistOut;
  // The stored date "YYYY-MM-DDThh:mm:ssZ" as seconds since 2001.
  platform::CivilTime t;
  std::sscanf(info.lastBackupDate.c_str(), "%d-%d-%dT%d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
              &t.minute, &t.second);
  const double seconds = static_cast<double>(platform::civilToUnix(t) - 978307200);
  std::vector<std::pair<std::string, PlistOut>> keys;
  if (info.applicationDataBytes > 0) {
    keys.emplace_back(
        "Applications",
        PlistOut::dict(
            {{"com.example.notes",
              PlistOut::dict({{"iTunesMetadata", PlistOut::data(std::string(
                                                     info.applicationDataBytes, '\x5a'))}})}}));
  }
  keys.emplace_back("Build Version", PlistOut::string_("13G36"));
  keys.emplace_back("Device Name", PlistOut::string_(info.displayName));
  keys.emplace_back("Display Name", PlistOut::string_(info.displayName));
  keys.emplace_back("Last Backup Date", PlistOut::date(seconds));
  if (info.phoneNumber) keys.emplace_back("Phone Number", PlistOut::string_(*info.phoneNumber));
  keys.emplace_back("Product Type", PlistOut::string_(info.productType));
  keys.emplace_back("Product Version", PlistOut::string_(info.productVersion));
  keys.emplace_back("Serial Number", PlistOut::string_(info.serialNumber));
  keys.emplace_back("Unique Identifier", PlistOut::string_(info.uniqueIdentifier));
  return enc::toBinaryPlist(PlistOut::dict(std::move(keys)));
}

int writeInfoPlist(const std::string& folder, const std::string& text) {
  return platform::writeWholeFile(platform::joinPath(folder, "Info.plist"), text.data(),
                                  text.size());
}

}  // namespace qv::samples
