// The progress of a run on Windows: a small window over the main one with what is being
// converted, a bar, and a Stop button that has the focus and that Esc presses.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win32_window/popup.h"

namespace quellmark {

class ProgressWindow {
  public:
    // Shown over Owner; Stop is called when the user asks to stop.
    ProgressWindow(HWND Owner, std::function<void()> Stop);

    // Label names what is being done, Permille the share of the whole run; Stop can be pressed
    // while Stoppable.
    void Update(const std::string& Label, int Permille, bool Stoppable);
    // Keyboard handling as in a dialog; true when Message was the box's.
    bool Navigate(MSG& Message) { return IsDialogMessageW(Box_.Handle(), &Message) != 0; }

  private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long);

    Popup Box_;
    HWND Label_ = nullptr;
    HWND Bar_ = nullptr;
    HWND Stop_ = nullptr;
    std::function<void()> Stopped_;
};

}  // namespace quellmark
