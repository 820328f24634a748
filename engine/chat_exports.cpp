// The chat apps' accounts (QQ and WeChat), one chat as text, and the value-line exports.
//
// Chat text, UTF-8 with a byte-order mark and CR LF line ends (as every text the program
// writes), per message:
//   <date> <speaker>:
//       <text>
//   (an empty line)
// The speaker is "Me" for a message sent from the device; otherwise, for WhatsApp, the sender's
// name, or the chat partner's name when the sender's is empty or "Unknown" (and the sender's
// number when that is empty too); for QQ and WeChat the friend's name, which is the chat key.
// Line breaks inside a text become CR LF as well.
#include <cstdio>
#include <string>

#include "db/contact_lines.h"
#include "db/message_lines.h"
#include "db/qq_reader.h"
#include "db/wechat_reader.h"
#include "engine/chat_database.h"
#include "engine/folder_of.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

// Text with every line break written as CR LF.
void appendWithCrLf(std::string& out, const std::wstring& text) {
  const std::string utf8 = platform::toUtf8(text);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) out += '\r';
    out += utf8[i];
  }
}

// An account key not yet in the map: the key itself, else the key with "(2)", "(3)", ...
std::wstring freeAccountKey(const AccountChatMap& chats, const std::wstring& key) {
  if (chats.find(key) == chats.end()) return key;
  for (int n = 2;; ++n) {
    std::wstring candidate = key + L"(" + std::to_wstring(n) + L")";
    if (chats.find(candidate) == chats.end()) return candidate;
  }
}

std::wstring whatsAppSpeaker(const db::ChatRecord& m) {
  if (m.fromMe != 0) return L"Me";
  if (!m.senderName.empty() && m.senderName != L"Unknown") return m.senderName;
  if (!m.partnerName.empty()) return m.partnerName;
  return m.senderNumber;
}

}  // namespace

int RecoveryEngine::exportMessageLines(const std::string& outputPath) {
  return db::WriteMessageLines(storedDatabase(kSmsKey), outputPath, maxMessageRowId_);
}

int RecoveryEngine::exportContactLines(const std::string& outputPath) {
  return db::WriteContactLines(storedDatabase(kAddressBookKey), outputPath, maxContactRowId_);
}

int RecoveryEngine::readQqChats(AccountChatMap* chats) {
  return readChatAccounts(true, chats);
}

int RecoveryEngine::readWechatChats(AccountChatMap* chats) {
  return readChatAccounts(false, chats);
}

int RecoveryEngine::readChatAccounts(bool qq, AccountChatMap* chats) {
  AccountChatMap& own = qq ? qqChats_ : wechatChats_;
  own.clear();
  const ChatDatabase kind = qq ? ChatDatabase::kQq : ChatDatabase::kWechat;
  int result = kOk;
  int accounts = 0;
  for (const backup::ManifestEntry& entry : index_) {
    if (!namesChatDatabase(entry.key, kind)) continue;
    ++accounts;
    // Two QQ databases in folders of the same name (two app domains) must not share a key: the
    // second would replace the first account's chats.
    const std::wstring key =
        qq ? freeAccountKey(*chats, platform::toWide(qqAccountOfKey(entry.key)))
           : L"User" + std::to_wstring(accounts);
    db::ChatRowMap account;
    const db::DatabaseFile file = storedDatabase(entry.key);
    const int rc = qq ? db::ReadQQ(file, &account) : db::ReadWeChat(file, &account);
    if (rc != kOk && result == kOk) result = rc;
    if (rc == kOk || !account.empty()) (*chats)[key] = std::move(account);
    if (int answer = report(progress_ + accounts)) {
      result = answer;
      break;
    }
  }
  advance(step_);
  own = *chats;
  return result;
}

template <typename Speaker, typename Messages>
int RecoveryEngine::writeChatText(const Messages* messages, Speaker speaker,
                                  const std::wstring& outputPath, CopyCallback callback,
                                  void* user) {
  const std::string path = platform::toUtf8(outputPath);
  const std::string folder = folderOf(path);
  if (!folder.empty()) platform::createFolders(folder);
  platform::File file;
  int result = file.openWrite(path);
  if (result != kOk) {
    if (callback != nullptr) callback(user, 100, result, outputPath.c_str());
    return result;
  }
  result = file.write("\xEF\xBB\xBF", 3);
  if (result == kOk && messages != nullptr) {
    const std::size_t total = messages->size();
    std::size_t written = 0;
    std::string block;
    for (const auto& m : *messages) {
      block.clear();
      appendWithCrLf(block, m.date);
      block += ' ';
      appendWithCrLf(block, speaker(m));
      block += ":\r\n    ";
      appendWithCrLf(block, m.text);
      block += "\r\n\r\n";
      // Written message by message, so a stopped export keeps every message it reported.
      result = file.write(block.data(), block.size());
      if (result != kOk) break;
      ++written;
      if (callback != nullptr) {
        const int percent = static_cast<int>(written * 100 / total);
        if (int answer = callback(user, percent, kOk, outputPath.c_str())) {
          result = answer;
          break;
        }
      }
    }
  }
  const int closed = file.close();
  if (result == kOk) result = closed;
  if (result != kOk && callback != nullptr) callback(user, 100, result, outputPath.c_str());
  return result;
}

int RecoveryEngine::writeWhatsAppChatText(std::int32_t chatKey, const std::wstring& outputPath,
                                          CopyCallback callback, void* user) {
  auto chat = whatsappChats_.find(chatKey);
  return writeChatText(chat == whatsappChats_.end() ? nullptr : &chat->second, whatsAppSpeaker,
                       outputPath, callback, user);
}

int RecoveryEngine::writeQqChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                                    const std::wstring& outputPath, CopyCallback callback,
                                    void* user) {
  const std::vector<db::ChatRow>* messages = nullptr;
  auto account = qqChats_.find(accountKey);
  if (account != qqChats_.end()) {
    auto chat = account->second.find(chatKey);
    if (chat != account->second.end()) messages = &chat->second;
  }
  auto speaker = [&chatKey](const db::ChatRow& m) {
    return m.sent != 0 ? std::wstring(L"Me") : chatKey;
  };
  return writeChatText(messages, speaker, outputPath, callback, user);
}

int RecoveryEngine::writeWechatChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                                        const std::wstring& outputPath, CopyCallback callback,
                                        void* user) {
  const std::vector<db::ChatRow>* messages = nullptr;
  auto account = wechatChats_.find(accountKey);
  if (account != wechatChats_.end()) {
    auto chat = account->second.find(chatKey);
    if (chat != account->second.end()) messages = &chat->second;
  }
  auto speaker = [&chatKey](const db::ChatRow& m) {
    return m.sent != 0 ? std::wstring(L"Me") : chatKey;
  };
  return writeChatText(messages, speaker, outputPath, callback, user);
}

}  // namespace qv::engine
