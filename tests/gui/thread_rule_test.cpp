// The UI-thread rule: workers reach controls only through closures posted to the UI thread, and
// the UI thread waits for a worker while dispatching messages.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/controls.h"
#include "framework/ui_thread.h"
#include "tests/gui/gui_driver.h"
#include "ui/custom_controls.h"

namespace qv::gui_test {
namespace {

using namespace qv::framework;

TEST(ThreadRuleTest, WorkersPostAndTheWaitKeepsDispatching) {
  HostWindow w;
  ASSERT_EQ(w.loadLayout("xml/PreviewProcessWnd.xml", &ui::createCustomControl), 0);
  ASSERT_TRUE(w.create(nullptr, L"progress", WS_POPUP, 0));
  ShowWindow(w.hwnd(), SW_SHOW);
  auto* progress = static_cast<Progress*>(w.find(L"Progress"));
  std::atomic<int> finished{0};
  std::atomic<int> postedOffThread{0};
  // A timer of the UI thread: it only ticks if the wait dispatches messages.
  int ticks = 0;
  auto* label = static_cast<Label*>(w.find(L"LblPercent"));
  struct Ticker : Label {
    int* count = nullptr;
    void onTimer(int) override { ++*count; }
  };
  auto ticker = std::make_unique<Ticker>();
  ticker->count = &ticks;
  Ticker* t =
      static_cast<Ticker*>(static_cast<Container*>(w.window().root())->add(std::move(ticker)));
  t->startTimer(7, 20);

  std::thread worker([&] {
    for (int percent = 1; percent <= 100; ++percent) {
      if (!isUiThread()) ++postedOffThread;
      postToUi([progress, label, percent] {
        progress->setValue(percent);
        label->setText(std::to_wstring(percent) + L"%");
      });
      Sleep(3);
    }
    finished = 1;
  });
  bool done = waitPumping([&] { return finished.load() == 1; }, 10000);
  worker.join();
  pump(50);  // the last closures
  EXPECT_TRUE(done);
  EXPECT_EQ(postedOffThread.load(), 100);
  EXPECT_EQ(progress->value(), 100);
  EXPECT_EQ(label->text(), L"100%");
  EXPECT_GT(ticks, 2);  // the UI thread went on dispatching while it waited
}

TEST(ThreadRuleDeathTest, AControlChangeFromAWorkerIsRefused) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  HostWindow w;
  ASSERT_EQ(w.loadLayout("xml/PreviewProcessWnd.xml", &ui::createCustomControl), 0);
  ASSERT_TRUE(w.create(nullptr, L"progress", WS_POPUP, 0));
  auto* progress = static_cast<Progress*>(w.find(L"Progress"));
  EXPECT_DEATH(
      {
        std::thread worker([progress] { progress->setValue(50); });
        worker.join();
      },
      "off the UI thread");
}

}  // namespace
}  // namespace qv::gui_test
