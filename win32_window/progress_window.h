// The progress of a run on Windows: a small window over the main one with what is being
// converted, a bar, and a Stop button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quellmark {

class ProgressWindow {
  public:
    // Created hidden over Owner; Stop is called when the user asks to stop.
    ProgressWindow(HWND Owner, std::function<void()> Stop);
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    ~ProgressWindow();

    void Show();
    // Label names what is being done, Permille the share of the whole run.
    void Update(const std::string& Label, int Permille);

  private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long);

    HWND Window_ = nullptr;
    HWND Label_ = nullptr;
    HWND Bar_ = nullptr;
    HFONT Font_ = nullptr;
    std::function<void()> Stop_;
};

}  // namespace quellmark
