// The GUI test harness: drives real skinned windows in this process by control name, through
// the same window messages a user's mouse and keyboard produce, waits for conditions while
// pumping messages, and writes a PNG of a window as the screen shows it (a BitBlt of the
// top-level window, native children included).
//
// Modal windows run their own message loop; steps that act inside one are queued with after()
// and run from that loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/window_host_win.h"

namespace qv::gui_test {

using framework::Control;
using framework::HostWindow;

// Centre of a control in client pixels; false when it has no rectangle or is not shown.
bool controlCentre(HostWindow& w, std::wstring_view name, POINT* out);

// Moves, presses and releases the left button over the control (posted, then pumped).
bool click(HostWindow& w, std::wstring_view name);
// The same for a control found otherwise (a row of a list, where names repeat).
bool click(HostWindow& w, const Control* c);
// Moves the mouse over a point of the window, pumped.
void hover(HostWindow& w, POINT p);
// Types into the native edit box of an Edit control, character by character.
bool typeText(HostWindow& w, std::wstring_view name, std::wstring_view text);
// Sends a key press to the window (Escape, Enter).
void pressKey(HostWindow& w, UINT vk);

std::wstring text(HostWindow& w, std::wstring_view name);
bool visible(HostWindow& w, std::wstring_view name);
bool enabled(HostWindow& w, std::wstring_view name);
// Selected for options and check boxes.
bool checked(HostWindow& w, std::wstring_view name);

// Dispatches messages for a while (layout, painting, timers).
void pump(int ms);
// Pumps until the condition holds or the timeout passes; returns the condition.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs `step` from the message loop after `ms` milliseconds (inside a modal loop if one runs).
void after(int ms, std::function<void()> step);
// The newest visible skinned window of this thread that is enabled (the open modal, if any).
HostWindow* topWindow();

// Writes the window as the screen shows it into dir/name.png. False when it could not.
bool screenshot(HWND hwnd, const std::string& name);
// Writes a rectangle of the screen (several top-level windows together, such as a window and
// its open menu).
bool screenshotScreen(const RECT& r, const std::string& name);
// The folder screenshots go to: $QV_GUI_OUTPUT, else "gui-output" in the working folder.
std::string outputFolder();

}  // namespace qv::gui_test
