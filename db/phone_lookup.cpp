#include "db/phone_lookup.h"

namespace qv::db {

std::uint64_t PhoneLookup::gramHash(const wchar_t* p) {
  // Collisions only cost a few more texts to check: every candidate is verified.
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < kGram; ++i) {
    h ^= static_cast<std::uint32_t>(p[i]);
    h *= 1099511628211ull;
  }
  return h;
}

PhoneLookup::PhoneLookup(const std::vector<const std::wstring*>& phoneTexts) : texts_(phoneTexts) {
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    const std::wstring& t = *texts_[i];
    if (t.size() < kGram) continue;
    for (std::size_t p = 0; p + kGram <= t.size(); ++p) {
      auto& list = postings_[gramHash(t.data() + p)];
      if (list.empty() || list.back() != i) list.push_back(static_cast<std::uint32_t>(i));
    }
  }
}

long PhoneLookup::search(const std::wstring& needle) const {
  if (needle.empty()) return -1;
  if (needle.size() < kGram) {
    for (std::size_t i = 0; i < texts_.size(); ++i) {
      if (texts_[i]->find(needle) != std::wstring::npos) return static_cast<long>(i);
    }
    return -1;
  }
  // Every text that contains the needle holds each of its pieces: walk the shortest list.
  const std::vector<std::uint32_t>* best = nullptr;
  for (std::size_t p = 0; p + kGram <= needle.size(); ++p) {
    auto it = postings_.find(gramHash(needle.data() + p));
    if (it == postings_.end()) return -1;
    if (best == nullptr || it->second.size() < best->size()) best = &it->second;
  }
  for (std::uint32_t i : *best) {
    if (texts_[i]->find(needle) != std::wstring::npos) return static_cast<long>(i);
  }
  return -1;
}

long PhoneLookup::firstContaining(const std::wstring& needle) {
  auto it = answers_.find(needle);
  if (it != answers_.end()) return it->second;
  const long found = search(needle);
  answers_.emplace(needle, found);
  return found;
}

}  // namespace qv::db
