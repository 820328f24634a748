// Info.plist of a fixture backup, written as the backup program writes it: an XML property
// list, one element per line, keys in sorted order, the device keys followed by the large
// iTunes data.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::samples {

struct DeviceInfo {
  std::string displayName = "iPhone";
  std::string lastBackupDate = "2016-05-01T23:30:00Z";  // as stored: ISO 8601 in UTC
  std::optional<std::string> phoneNumber = std::string("+1 (555) 010-4477");  // none on tablets
  std::string productType = "iPhone8,1";
  std::string productVersion = "9.3.5";
  std::string serialNumber = "F2LQX0ABGRY9";
  std::string uniqueIdentifier = "0c7d1a6e5f4b3a29180716f5e4d3c2b1a0918273";
  // Extra <key>/<string> pairs written right after "Serial Number"; a reader must never see them.
  std::vector<std::pair<std::string, std::string>> keysAfterSerial;
  // Bytes of base64 text on the single <data> line of the "Applications" dictionary before
  // the device keys (real ones run to megabytes); 0 writes no such dictionary.
  std::size_t applicationDataBytes = 0;
  bool crlf = false;  // CR LF line ends instead of LF
};

// The plist text; texts are XML-escaped.
std::string infoPlistText(const DeviceInfo& info);

// The same keys as a binary property list ("bplist00"), as some backup programs write it: the
// date as a date object, the application data as one data value.
std::string infoPlistBinary(const DeviceInfo& info);

// Writes text as folder/Info.plist. 0 or the platform's code.
int writeInfoPlist(const std::string& folder, const std::string& text);

}  // namespace qv::samples
