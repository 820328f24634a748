// A reader for the exact JSON Lines `quenvale sqlite --json` writes: one line per table naming
// its columns, then one line per row image.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::bench {

using samples::SqlValue;

struct JsonRow {
  std::string table;
  bool header = false;  // the line naming a table's columns, not a row
  std::string kind;
  int deleted = 0;
  bool stale = false;
  std::vector<SqlValue> values;
};

// A reader for the exact JSON Lines `quenvale sqlite --json` writes.
class LineParser {
 public:
  explicit LineParser(const std::string& s) : s_(s) {}
  bool parse(JsonRow* row) {
    if (!expect('{')) return false;
    while (true) {
      std::string key;
      if (!string(&key) || !expect(':')) return false;
      skip();
      if (key == "table") {
        if (!string(&row->table)) return false;
      } else if (key == "columns") {
        std::vector<SqlValue> names;
        if (!values(&names)) return false;
        row->header = true;
      } else if (s_.compare(i_, 4, "null") == 0) {
        i_ += 4;
      } else if (key == "kind") {
        if (!string(&row->kind)) return false;
      } else if (key == "deleted") {
        row->deleted = static_cast<int>(number());
      } else if (key == "stale") {
        row->stale = s_.compare(i_, 4, "true") == 0;
        i_ += row->stale ? 4 : 5;
      } else if (key == "values") {
        if (!values(&row->values)) return false;
      } else if (s_[i_] == '"') {
        std::string ignored;
        string(&ignored);
      } else {
        number();
      }
      skip();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      return expect('}');
    }
  }

 private:
  void skip() {
    while (i_ < s_.size() && s_[i_] == ' ') ++i_;
  }
  bool expect(char c) {
    skip();
    if (i_ >= s_.size() || s_[i_] != c) return false;
    ++i_;
    return true;
  }
  std::int64_t number() {
    skip();
    const char* start = s_.c_str() + i_;
    char* end = nullptr;
    const long long v = std::strtoll(start, &end, 10);
    i_ += static_cast<std::size_t>(end - start);
    if (i_ < s_.size() && (s_[i_] == '.' || s_[i_] == 'e')) {
      std::strtod(start, &end);
      i_ = static_cast<std::size_t>(end - s_.c_str());
    }
    return v;
  }
  bool string(std::string* out) {
    skip();
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c != '\\') {
        *out += c;
        continue;
      }
      c = s_[i_++];
      switch (c) {
        case 'n':
          *out += '\n';
          break;
        case 'r':
          *out += '\r';
          break;
        case 't':
          *out += '\t';
          break;
        case 'b':
          *out += '\b';
          break;
        case 'f':
          *out += '\f';
          break;
        case 'u':
          *out += static_cast<char>(std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16));
          i_ += 4;
          break;
        default:
          *out += c;
      }
    }
    ++i_;
    return true;
  }
  bool values(std::vector<SqlValue>* out) {
    if (!expect('[')) return false;
    skip();
    if (s_[i_] == ']') return ++i_, true;
    while (true) {
      skip();
      if (s_.compare(i_, 4, "null") == 0) {
        out->push_back(SqlValue::null());
        i_ += 4;
      } else if (s_[i_] == '"') {
        std::string t;
        string(&t);
        out->push_back(SqlValue::text(t));
      } else if (s_[i_] == '{') {
        std::string key, hex;
        ++i_;
        string(&key);
        expect(':');
        string(&hex);
        expect('}');
        out->push_back(SqlValue::blob(hex));
      } else {
        skip();
        const std::size_t at = i_;
        const std::int64_t whole = number();
        const std::string text = s_.substr(at, i_ - at);
        if (text.find_first_of(".eE") != std::string::npos) {
          out->push_back(SqlValue::ofReal(std::strtod(text.c_str(), nullptr)));
        } else {
          out->push_back(SqlValue::of(whole));
        }
      }
      skip();
      if (s_[i_] == ',') {
        ++i_;
        continue;
      }
      return expect(']');
    }
  }
  const std::string& s_;
  std::size_t i_ = 0;
};

}  // namespace qv::bench
