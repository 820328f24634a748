// One chat written as text: the exact bytes, the speakers of each app, a chat that is not
// there, a stop, and failures to open or write the file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "tests/engine/scan_test_support.h"
#include "tests/fixtures/failing_write.h"

namespace qv::engine {
namespace {

using testing::TestBackup;
using testing::U;
using testing::W;

struct Calls {
  std::vector<std::pair<int, int>> got;  // (percent, code)
  int stopAtCall = 0;
  static int QV_CALLBACK call(void* user, int percent, int code, const wchar_t*) {
    auto* self = static_cast<Calls*>(user);
    self->got.emplace_back(percent, code);
    return self->stopAtCall > 0 && static_cast<int>(self->got.size()) >= self->stopAtCall ? 2 : 0;
  }
};

db::ChatRecord whatsApp(int fromMe, const wchar_t* date, const wchar_t* sender,
                        const wchar_t* partner, const wchar_t* number, const wchar_t* text) {
  db::ChatRecord r;
  r.fromMe = static_cast<std::uint32_t>(fromMe);
  r.conversationId = 7;
  r.date = date;
  r.senderName = sender;
  r.partnerName = partner;
  r.senderNumber = number;
  r.text = text;
  return r;
}

db::ChatRow chatRow(int sent, const wchar_t* date, const wchar_t* text) {
  db::ChatRow r;
  r.sent = static_cast<std::uint32_t>(sent);
  r.date = date;
  r.text = text;
  return r;
}

class ChatTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = backup_.open();
    ASSERT_TRUE(engine_);
    // The backup holds no chat database, so each read leaves the given map as it is and the
    // engine keeps a copy of it, which the text writers read.
    db::WhatsAppChatMap chats;
    chats[7] = {
        whatsApp(0, L"2021-03-01 10:00:00", L"Unknown", L"Ana Lima", L"", L"Olá!\nTudo bem?"),
        whatsApp(1, L"2021-03-01 10:01:00", L"Me", L"Ana Lima", L"", L"Sim 😀"),
        whatsApp(0, L"2021-03-01 10:02:00", L"", L"", L"447700900123", L"ok"),
        whatsApp(0, L"2021-03-01 10:03:00", L"Bob", L"Ana Lima", L"", L"Line1\r\nLine2"),
    };
    engine_->readWhatsApp(&chats);
    AccountChatMap qq;
    qq[L"12345"][L"67890"] = {chatRow(1, L"2021-03-02 08:00:00", L"hi"),
                              chatRow(0, L"2021-03-02 08:00:05", L"你好")};
    engine_->readQqChats(&qq);
    AccountChatMap wechat;
    wechat[L"User1"][L"wxid_friend"] = {chatRow(0, L"2021-03-03 21:15:00", L"晚安")};
    engine_->readWechatChats(&wechat);
  }
  std::wstring out(const std::string& name) {
    return W(platform::joinPath(backup_.workFolder(), name));
  }
  std::string bytesOf(const std::wstring& path) {
    std::string bytes;
    EXPECT_EQ(platform::readWholeFile(U(path), 1 << 20, &bytes), 0);
    return bytes;
  }

  TestBackup backup_;
  std::unique_ptr<RecoveryEngine> engine_;
};

const std::string kBom = "\xEF\xBB\xBF";

TEST_F(ChatTextTest, AWhatsAppChatByteForByte) {
  Calls calls;
  const std::wstring path = out("chats/WhatsApp/Ana.txt");
  EXPECT_EQ(engine_->writeWhatsAppChatText(7, path, &Calls::call, &calls), 0);
  EXPECT_EQ(bytesOf(path), kBom +
                               "2021-03-01 10:00:00 Ana Lima:\r\n    Olá!\r\nTudo bem?\r\n\r\n"
                               "2021-03-01 10:01:00 Me:\r\n    Sim 😀\r\n\r\n"
                               "2021-03-01 10:02:00 447700900123:\r\n    ok\r\n\r\n"
                               "2021-03-01 10:03:00 Bob:\r\n    Line1\r\nLine2\r\n\r\n");
  EXPECT_EQ(calls.got, (std::vector<std::pair<int, int>>{{25, 0}, {50, 0}, {75, 0}, {100, 0}}));
}

TEST_F(ChatTextTest, QqAndWeChatSpeakersAreMeOrTheFriend) {
  const std::wstring qq = out("qq.txt");
  EXPECT_EQ(engine_->writeQqChatText(L"12345", L"67890", qq, nullptr, nullptr), 0);
  EXPECT_EQ(bytesOf(qq), kBom +
                             "2021-03-02 08:00:00 Me:\r\n    hi\r\n\r\n"
                             "2021-03-02 08:00:05 67890:\r\n    你好\r\n\r\n");
  const std::wstring wechat = out("wechat.txt");
  EXPECT_EQ(engine_->writeWechatChatText(L"User1", L"wxid_friend", wechat, nullptr, nullptr), 0);
  EXPECT_EQ(bytesOf(wechat), kBom + "2021-03-03 21:15:00 wxid_friend:\r\n    晚安\r\n\r\n");
}

TEST_F(ChatTextTest, AChatThatIsNotThereGivesAnEmptyFile) {
  Calls calls;
  EXPECT_EQ(engine_->writeWhatsAppChatText(8, out("none.txt"), &Calls::call, &calls), 0);
  EXPECT_EQ(bytesOf(out("none.txt")), kBom);
  EXPECT_EQ(engine_->writeQqChatText(L"12345", L"nobody", out("q.txt"), &Calls::call, &calls), 0);
  EXPECT_EQ(
      engine_->writeWechatChatText(L"User2", L"wxid_friend", out("w.txt"), &Calls::call, &calls),
      0);
  EXPECT_EQ(bytesOf(out("w.txt")), kBom);
  EXPECT_TRUE(calls.got.empty());
}

TEST_F(ChatTextTest, AStopKeepsTheMessagesWrittenSoFar) {
  Calls calls;
  calls.stopAtCall = 1;
  const std::wstring path = out("stopped.txt");
  EXPECT_EQ(engine_->writeWhatsAppChatText(7, path, &Calls::call, &calls), kCancelled);
  EXPECT_EQ(bytesOf(path), kBom + "2021-03-01 10:00:00 Ana Lima:\r\n    Olá!\r\nTudo bem?\r\n\r\n");
  EXPECT_EQ(calls.got, (std::vector<std::pair<int, int>>{{25, 0}, {100, kCancelled}}));
}

TEST_F(ChatTextTest, FailuresToOpenOrWriteAreTheResult) {
  Calls calls;
  const std::string blocker = platform::joinPath(backup_.workFolder(), "blocker");
  ASSERT_EQ(platform::writeWholeFile(blocker, "x", 1), 0);
  const int rc = engine_->writeWhatsAppChatText(7, W(platform::joinPath(blocker, "a.txt")),
                                                &Calls::call, &calls);
  EXPECT_NE(rc, 0);
  EXPECT_EQ(calls.got, (std::vector<std::pair<int, int>>{{100, rc}}));

  // A disk that fills after the byte-order mark: the text is not reported as written.
  Calls full;
  {
    platform::ScopedOsCalls seam(fixtures::failingWrite(2, kErrDiskFull));
    EXPECT_EQ(engine_->writeWhatsAppChatText(7, out("full.txt"), &Calls::call, &full),
              kErrDiskFull);
  }
  EXPECT_EQ(full.got, (std::vector<std::pair<int, int>>{{100, kErrDiskFull}}));
}

}  // namespace
}  // namespace qv::engine
