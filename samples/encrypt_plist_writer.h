// A small property-list writer for the encrypted-backup fixture: the binary form (bplist00) and
// the XML form of the same value tree. It writes what backups hold (dicts, arrays, strings,
// integers, booleans, data, UIDs, dates), never shares objects, and picks the narrowest widths.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qv::samples::enc {

struct PlistOut {
  enum Kind { kBool, kInteger, kString, kData, kUid, kArray, kDict, kDate } kind = kString;
  bool boolean = false;
  std::int64_t integer = 0;
  double seconds = 0;  // a date: seconds since 2001-01-01 00:00:00 UTC
  std::string bytes;   // string (UTF-8) or data
  std::vector<PlistOut> items;
  std::vector<std::string> keys;

  static PlistOut boolean_(bool v);
  static PlistOut integer_(std::int64_t v);
  static PlistOut string_(std::string v);
  static PlistOut data(std::string v);
  static PlistOut uid(std::uint64_t index);
  static PlistOut date(double secondsSince2001);
  static PlistOut array(std::vector<PlistOut> items);
  static PlistOut dict(std::vector<std::pair<std::string, PlistOut>> entries);
};

std::string toBinaryPlist(const PlistOut& root);
// XML form; data is base64 in lines of 68 characters, indented with tabs, as writers do.
std::string toXmlPlist(const PlistOut& root);

}  // namespace qv::samples::enc
