// The progress of a run on Windows: a small window over the main one with what is being
// converted, a bar, and a Stop button that has the focus and that Esc presses.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quellmark {

class ProgressWindow {
  public:
    // Shown over Owner; Stop is called when the user asks to stop.
    ProgressWindow(HWND Owner, std::function<void()> Stop);
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    ~ProgressWindow();

    // Label names what is being done, Permille the share of the whole run; Stop can be pressed
    // while Stoppable.
    void Update(const std::string& Label, int Permille, bool Stoppable);
    // Keyboard handling as in a dialog; true when Message was the box's.
    bool Navigate(MSG& Message);

  private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long);

    HWND Window_ = nullptr;
    HWND Label_ = nullptr;
    HWND Bar_ = nullptr;
    HWND Stop_ = nullptr;
    HFONT Font_ = nullptr;
    std::function<void()> Stopped_;
};

}  // namespace quellmark
