#include "win32_window/progress_window.h"

#include <commctrl.h>

#include "win32_window/screen_reader_names.h"
#include "window_logic/window_layout.h"
#include "windows_text/windows_text.h"

namespace quellmark {

// Stop, Enter on it, Esc (the dialog manager's IDCANCEL) and the box's close all stop the run,
// while it can still be stopped.
LRESULT CALLBACK ProgressWindow::Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long) {
    auto* Progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    const bool Stop =
        (Message == WM_COMMAND && (LOWORD(Wide) == IDCANCEL || LOWORD(Wide) == IDOK)) ||
        Message == WM_CLOSE;
    if (Progress == nullptr || !Stop) {
        return DefWindowProcW(Window, Message, Wide, Long);
    }
    if (IsWindowEnabled(Progress->Stop_)) {
        Progress->Stopped_();
    }
    return 0;
}

ProgressWindow::ProgressWindow(HWND Owner, std::function<void()> Stop)
    : Box_(Owner), Stopped_(std::move(Stop)) {
    const auto Px = [this](int Pixels) { return Box_.Px(Pixels); };
    Box_.Create(L"QuellmarkProgress", Procedure, Px(380), Px(104), this);
    Label_ = Box_.Add(L"STATIC", L"", SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS, 0, Px(12), Px(12),
                      Px(356), Px(20));
    Bar_ = Box_.Add(PROGRESS_CLASSW, nullptr, 0, 0, Px(12), Px(38), Px(356), Px(20));
    SendMessageW(Bar_, PBM_SETRANGE32, 0, 1000);
    AnnotateForScreenReaders(Bar_, ProgressAccessibleName);
    Stop_ = Box_.Add(L"BUTTON", L"Stop", BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL, Px(280), Px(68),
                     Px(88), Px(26));
    ShowWindow(Box_.Handle(), SW_SHOW);
    SetFocus(Stop_);
}

void ProgressWindow::Update(const std::string& Label, int Permille, bool Stoppable) {
    SetWindowTextW(Label_, WideText(Label).c_str());
    // Which track the bar is for, as the label says it.
    AnnotateForScreenReaders(Bar_, {}, Label);
    SendMessageW(Bar_, PBM_SETPOS, static_cast<WPARAM>(Permille), 0);
    EnableWindow(Stop_, Stoppable);
}

}  // namespace quellmark
