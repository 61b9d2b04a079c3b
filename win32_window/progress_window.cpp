#include "win32_window/progress_window.h"

#include <commctrl.h>

#include "win32_window/dpi.h"
#include "win32_window/window_class.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

const wchar_t* const ClassName = L"QuellmarkProgress";

}  // namespace

// Stop, Enter on it, Esc (the dialog manager's IDCANCEL) and the box's close all stop the run.
LRESULT CALLBACK ProgressWindow::Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long) {
    auto* Progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    const bool Stop =
        (Message == WM_COMMAND && (LOWORD(Wide) == IDCANCEL || LOWORD(Wide) == IDOK)) ||
        Message == WM_CLOSE;
    if (Progress != nullptr && Stop) {
        if (IsWindowEnabled(Progress->Stop_)) {
            Progress->Stopped_();
        }
        return 0;
    }
    return DefWindowProcW(Window, Message, Wide, Long);
}

ProgressWindow::ProgressWindow(HWND Owner, std::function<void()> Stop) : Stopped_(std::move(Stop)) {
    const HINSTANCE Instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(Instance, ClassName, Procedure);
    const UINT Dpi = GetDpiForWindow(Owner);
    const auto Px = [Dpi](int Pixels) { return MulDiv(Pixels, static_cast<int>(Dpi), 96); };
    const DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT Frame{0, 0, Px(380), Px(104)};
    AdjustWindowRectExForDpi(&Frame, Style, FALSE, WS_EX_DLGMODALFRAME, Dpi);
    RECT Over{};
    GetWindowRect(Owner, &Over);
    const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
    Window_ = CreateWindowExW(
        WS_EX_DLGMODALFRAME, ClassName, L"Quellmark", Style, (Over.left + Over.right - Width) / 2,
        (Over.top + Over.bottom - Height) / 2, Width, Height, Owner, nullptr, Instance, nullptr);
    SetWindowLongPtrW(Window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Font_ = MessageFont(Dpi);
    const auto Add = [&](const wchar_t* Class, const wchar_t* Text, DWORD Extra, int Id, int X,
                         int Y, int W, int H) {
        HWND Control = CreateWindowExW(
            0, Class, Text, WS_CHILD | WS_VISIBLE | Extra, Px(X), Px(Y), Px(W), Px(H), Window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Instance, nullptr);
        SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(Font_), TRUE);
        return Control;
    };
    Label_ = Add(L"STATIC", L"", SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 12, 12, 356, 20);
    Bar_ = Add(PROGRESS_CLASSW, nullptr, 0, 0, 12, 38, 356, 20);
    SendMessageW(Bar_, PBM_SETRANGE32, 0, 1000);
    Stop_ = Add(L"BUTTON", L"Stop", BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL, 280, 68, 88, 26);
    ShowWindow(Window_, SW_SHOW);
    SetFocus(Stop_);
}

ProgressWindow::~ProgressWindow() {
    DestroyWindow(Window_);
    DeleteObject(Font_);
}

void ProgressWindow::Update(const std::string& Label, int Permille, bool Stoppable) {
    SetWindowTextW(Label_, WideText(Label).c_str());
    SendMessageW(Bar_, PBM_SETPOS, static_cast<WPARAM>(Permille), 0);
    EnableWindow(Stop_, Stoppable);
}

bool ProgressWindow::Navigate(MSG& Message) {
    return IsDialogMessageW(Window_, &Message) != 0;
}

}  // namespace quellmark
