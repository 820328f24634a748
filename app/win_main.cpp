// The entry point of QuenvaleTarnwick.exe.
//
// Start: one copy per user session (the second brings the first one's window back, or says that
// the program runs), the picture component registered for the current user, COM and OLE, the UI
// runtime (GDI+, the UI thread), the skin from resource 101, the program's control factory, the
// rich-edit library, the main window and its message loop. End: the skin and GDI+, OLE and COM,
// the media players this program started, the preview files. Every path returns 0.
#include <windows.h>

#include <objbase.h>
#include <ole2.h>

#include "app/main_wnd.h"
#include "app/message_box.h"
#include "app/player_processes.h"
#include "app/start_up_win.h"
#include "framework/builder.h"
#include "framework/skin_win.h"
#include "framework/web_host_win.h"
#include "framework/window_host_win.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/custom_controls.h"

namespace {

constexpr int kSkinResource = 101;

// The skin and the program's controls for every window built from here on.
void startSkin(HINSTANCE instance) {
  qv::framework::Skin::current().loadFromResource(instance, kSkinResource);
  qv::framework::installControlFactory(&qv::ui::createCustomControl);
}

void tellItRuns(HINSTANCE instance) {
  // The skinned box needs the UI runtime and the skin; nothing else is started on this path.
  qv::framework::UiRuntime runtime;
  if (!runtime.ok()) return;
  startSkin(instance);
  qv::app::CMessageBox::show(static_cast<int>(qv::app::MessageKind::kInformation), nullptr,
                             L"Quenvale Tarnwick is running.", nullptr, 350, 180);
}

void runMainWindow(HINSTANCE instance, qv::app::PlayerProcesses& players) {
  qv::framework::UiRuntime runtime;  // GDI+ and the UI thread, until the end of this block
  if (!runtime.ok()) return;
  startSkin(instance);
  HMODULE richEdit = LoadLibraryW(L"Riched20.dll");  // a failure is ignored
  auto* main = new qv::app::CMainWnd(qv::engine::EngineSetup(), players);
  main->endProgramWhenDestroyed();
  if (main->createWindow()) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (qv::framework::translateWebAccelerator(&msg)) continue;  // a page's own keys
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } else if (!main->hwnd()) {
    delete main;  // never had a window to delete it
  }
  qv::framework::Skin::current().clear();
  if (richEdit) FreeLibrary(richEdit);
}

int runProgram(HINSTANCE instance) {
  if (qv::app::anotherCopyRuns()) {
    if (!qv::app::restoreOtherCopy(qv::app::CMainWnd::kTitle)) tellItRuns(instance);
    return 0;
  }
  std::string folder;
  qv::platform::programFolder(&folder);
  if (qv::app::registerPictureComponent(qv::platform::toWide(folder)) != 0) {
    MessageBoxW(nullptr,
                L"COM component registration failed, the application can not complete "
                L"initialization!",
                L"Information", MB_OK);
    return 0;
  }
  if (FAILED(CoInitialize(nullptr))) return 0;
  if (FAILED(OleInitialize(nullptr))) {
    CoUninitialize();
    return 0;
  }
  qv::app::PlayerProcesses players;
  runMainWindow(instance, players);
  OleUninitialize();
  CoUninitialize();
  // Only the players this program started, by their handles.
  players.stopAll();
  qv::app::removePreviewFiles();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return runProgram(instance);
}
