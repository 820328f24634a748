// The UI thread rule. Every window and control belongs to the thread that called
// initUiThread(); a worker never touches them. A worker hands work to the UI thread with
// postToUi(), which queues a closure and wakes the UI thread's message loop (modal loops
// included); the closure runs there between messages. Closures posted after shutdownUiThread()
// are dropped.
//
// When the UI thread must wait for a worker (a stopped scan, a cancelled copy), it calls
// waitPumping(), which keeps dispatching messages, so windows repaint and posted closures run,
// instead of sleeping blind.
//
// checkUiThread() is called at the framework's entry points that change windows; in debug builds
// a call from another thread aborts with a message, so a race shows up at once in testing.
#pragma once

#include <functional>

namespace qv::framework {

// Makes the calling thread the UI thread and creates its dispatch window. Returns false when it
// could not be created.
bool initUiThread();
void shutdownUiThread();
bool isUiThread();
// Aborts (debug builds) when called off the UI thread; release builds only report it once.
void checkUiThread(const char* where);

// Runs `task` on the UI thread: at once when called there, else queued. False when dropped
// (no UI thread, or it has shut down).
bool postToUi(std::function<void()> task);
// Queues `task` for the UI thread even when called there: it runs after the message being
// handled now (a handler that must not destroy what is dispatching it defers the work).
bool deferToUi(std::function<void()> task);
// Runs the queued closures (the dispatch window calls it; tests may too).
void runPostedUiTasks();

// Dispatches messages until `done()` is true or `timeoutMs` passed (negative: no limit), checking
// `done` at least every `pollMs`. Returns done()'s last answer. Must be called on the UI thread.
// A WM_QUIT seen while waiting is posted again for the outer loop.
bool waitPumping(const std::function<bool()>& done, int timeoutMs = -1, int pollMs = 50);

}  // namespace qv::framework
