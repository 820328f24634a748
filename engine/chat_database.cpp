#include "engine/chat_database.h"

namespace qv::engine {
namespace {

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool namesChatDatabase(std::string_view key, ChatDatabase kind) {
  switch (kind) {
    case ChatDatabase::kWhatsApp: {
      constexpr std::string_view kName = "ChatStorage.sqlite";
      if (!endsWith(key, kName) || key.size() == kName.size()) return false;
      const char before = key[key.size() - kName.size() - 1];
      return before == '/' || before == '-';
    }
    case ChatDatabase::kQq:
      return endsWith(key, "/QQ.db");
    case ChatDatabase::kWechat:
      return endsWith(key, "/MM.sqlite");
  }
  return false;
}

std::optional<backup::ManifestEntry> findChatDatabase(const backup::ManifestIndex& index,
                                                      ChatDatabase kind) {
  for (const backup::ManifestEntry& entry : index) {
    if (namesChatDatabase(entry.key, kind)) return entry;
  }
  return std::nullopt;
}

std::string qqAccountOfKey(std::string_view key) {
  constexpr std::string_view kTail = "/QQ.db";
  if (!endsWith(key, kTail)) return {};
  std::string_view folder = key.substr(0, key.size() - kTail.size());
  const std::size_t slash = folder.rfind('/');
  if (slash != std::string_view::npos) folder.remove_prefix(slash + 1);
  return std::string(folder);
}

}  // namespace qv::engine
