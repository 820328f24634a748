// Names for addresses: the first contact whose phone text contains an address.
//
// Messages and calls take their correspondent's name from the first contact of the address
// book (in the order the table scan read them) whose phone text holds the address or number as
// a substring. A plain search costs addresses x contacts; this index answers the same
// question from the contacts that share the address's rarest four-character piece, and
// remembers each distinct address's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv::db {

class PhoneLookup {
 public:
  // The phone texts in contact order; the index keeps a copy of nothing but its postings, so
  // the texts must outlive it.
  explicit PhoneLookup(const std::vector<const std::wstring*>& phoneTexts);

  // The position of the first phone text containing `needle` (a case-sensitive substring);
  // -1 when none does or the needle is empty.
  long firstContaining(const std::wstring& needle);

 private:
  static constexpr std::size_t kGram = 4;
  static std::uint64_t gramHash(const wchar_t* p);
  long search(const std::wstring& needle) const;

  const std::vector<const std::wstring*> texts_;
  // Four-character piece -> the texts holding it, ascending, each once.
  std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> postings_;
  std::unordered_map<std::wstring, long> answers_;
};

}  // namespace qv::db
