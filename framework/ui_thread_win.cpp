#include "framework/ui_thread.h"

#include "framework/thread_check.h"
#include "framework/web_host_win.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace qv::framework {

namespace {

constexpr UINT kRunTasks = WM_APP + 0x3A1;
constexpr wchar_t kClassName[] = L"QvUiDispatch";

std::atomic<DWORD> g_uiThread{0};
std::atomic<HWND> g_dispatch{nullptr};
std::atomic<bool> g_reported{false};
std::mutex g_mutex;
std::deque<std::function<void()>> g_tasks;
bool g_closed = false;

LRESULT CALLBACK dispatchProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kRunTasks) {
    runPostedUiTasks();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, w, l);
}

}  // namespace

bool initUiThread() {
  g_uiThread = GetCurrentThreadId();
  setThreadCheck(&checkUiThread);
  if (g_dispatch) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = dispatchProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  HWND h = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                           nullptr);
  g_dispatch = h;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_closed = false;
  return h != nullptr;
}

void shutdownUiThread() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_closed = true;
    g_tasks.clear();
  }
  if (HWND h = g_dispatch.exchange(nullptr)) DestroyWindow(h);
}

bool isUiThread() {
  return g_uiThread != 0 && GetCurrentThreadId() == g_uiThread;
}

void checkUiThread(const char* where) {
  if (g_uiThread == 0 || isUiThread()) return;
#ifndef NDEBUG
  std::fprintf(stderr, "framework: %s called off the UI thread\n", where);
  std::abort();
#else
  if (!g_reported.exchange(true)) OutputDebugStringA(where);
#endif
}

bool postToUi(std::function<void()> task) {
  if (isUiThread()) {
    task();
    return true;
  }
  return deferToUi(std::move(task));
}

bool deferToUi(std::function<void()> task) {
  HWND h = g_dispatch;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_closed || !h) return false;
    g_tasks.push_back(std::move(task));
  }
  PostMessageW(h, kRunTasks, 0, 0);
  return true;
}

void runPostedUiTasks() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_tasks.empty()) return;
      task = std::move(g_tasks.front());
      g_tasks.pop_front();
    }
    task();
  }
}

bool waitPumping(const std::function<bool()>& done, int timeoutMs, int pollMs) {
  checkUiThread("waitPumping");
  DWORD start = GetTickCount();
  bool quit = false;
  int quitCode = 0;
  while (!done()) {
    if (timeoutMs >= 0 && GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(pollMs), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        continue;
      }
      if (translateWebAccelerator(&msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(quitCode);
  return done();
}

}  // namespace qv::framework
