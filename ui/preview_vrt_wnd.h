// The preview page controller, "PreviewVtrWnd": the preview column of the scan page.
//
// Not built yet (it comes with the preview pane): showing a picture, a conversation, a contact or
// a note, preparing media copies and playing them. It is registered and wired so that the main
// window's preview message reaches it, and it takes nothing else.
#pragma once

#include "app/player_processes.h"
#include "engine/recovery_engine.h"
#include "ui/base_vrt_wnd.h"

namespace qv::ui {

class CPreviewVrtWnd : public CBaseVrtWnd {
 public:
  CPreviewVrtWnd(framework::HostWindow& window, engine::RecoveryEngine& engine,
                 app::PlayerProcesses& players)
      : CBaseVrtWnd(window), engine_(engine), players_(players) {}

  void init() {}
  void languageRefresh() {}
  // The main window's preview message (0x0403): the prepared media would be shown here.
  void previewReady() {}

 private:
  engine::RecoveryEngine& engine_;
  app::PlayerProcesses& players_;
};

}  // namespace qv::ui
