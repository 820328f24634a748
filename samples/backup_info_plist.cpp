#include "samples/backup_info_plist.h"

#include "platform/file.h"
#include "platform/folders.h"

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

int writeInfoPlist(const std::string& folder, const std::string& text) {
  return platform::writeWholeFile(platform::joinPath(folder, "Info.plist"), text.data(),
                                  text.size());
}

}  // namespace qv::samples
