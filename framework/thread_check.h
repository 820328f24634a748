// The hook through which the portable controls check that they are touched on the UI thread.
// The Win32 backend installs its check (ui_thread.h) at start-up; until then, and on platforms
// without a UI thread, the check does nothing. Every control setter passes through invalidate()
// or needLayout(), which call it, so a worker that changes a control is caught at the change.
#pragma once

namespace qv::framework {

using ThreadCheck = void (*)(const char* where);
void setThreadCheck(ThreadCheck check);
void checkThread(const char* where);

}  // namespace qv::framework
