#include "win32_window/report_box.h"

#include <algorithm>

#include "win32_window/dpi.h"
#include "win32_window/window_class.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

const wchar_t* const ClassName = L"QuellmarkReport";
constexpr int ConvertId = 1, CancelId = 2, TextId = 10, ListId = 11;

struct Box {
    std::wstring Text;
    std::wstring List;
    bool Warning = false;
    bool Question = false;
    int Answer = CancelId;
    bool Done = false;
    HFONT Font = nullptr;
};

LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long) {
    auto* Shown = reinterpret_cast<Box*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    switch (Message) {
        case WM_COMMAND:
            if (LOWORD(Wide) == ConvertId || LOWORD(Wide) == CancelId) {
                Shown->Answer = LOWORD(Wide);
                Shown->Done = true;
            }
            return 0;
        case WM_CLOSE:
            Shown->Answer = CancelId;
            Shown->Done = true;
            return 0;
        default:
            return DefWindowProcW(Window, Message, Wide, Long);
    }
}

std::wstring Joined(const std::vector<std::string>& Lines, std::size_t Count, const wchar_t* Mark) {
    std::wstring Text;
    for (std::size_t At = 0; At < Lines.size() && At < Count; ++At) {
        Text += (Text.empty() ? L"" : L"\r\n") + std::wstring(Mark) + WideText(Lines[At]);
    }
    return Text;
}

// Shows the box modally over Owner and returns the button pressed.
int ShowBox(HWND Owner, Box& Shown) {
    const HINSTANCE Instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(Instance, ClassName, Procedure);
    const UINT Dpi = Owner != nullptr ? GetDpiForWindow(Owner) : GetDpiForSystem();
    const auto Px = [Dpi](int Pixels) { return MulDiv(Pixels, static_cast<int>(Dpi), 96); };
    MONITORINFO Monitor = {};
    Monitor.cbSize = sizeof Monitor;
    GetMonitorInfoW(MonitorFromWindow(Owner, MONITOR_DEFAULTTONEAREST), &Monitor);
    const RECT Work = Monitor.rcWork;
    Shown.Font = MessageFont(Dpi);

    // The text's height as the font sets it, the list's at most half the screen.
    const int Width = Px(460), Margin = Px(12), IconSide = Shown.Warning ? Px(32) : 0;
    const int TextLeft = Margin + (IconSide > 0 ? IconSide + Margin : 0);
    const HDC Screen = GetDC(nullptr);
    const HGDIOBJ Old = SelectObject(Screen, Shown.Font);
    RECT TextRect{0, 0, Width - TextLeft - Margin, 0};
    DrawTextW(Screen, Shown.Text.c_str(), -1, &TextRect,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    TEXTMETRICW Metrics{};
    GetTextMetricsW(Screen, &Metrics);
    SelectObject(Screen, Old);
    ReleaseDC(nullptr, Screen);
    const int ListLines =
        static_cast<int>(std::count(Shown.List.begin(), Shown.List.end(), L'\n')) + 2;
    const int ListHeight = Shown.List.empty()
                               ? 0
                               : std::min<int>(ListLines * Metrics.tmHeight + Px(8),
                                               static_cast<int>(Work.bottom - Work.top) / 2);
    const int ButtonHeight = Px(26), ButtonWidth = Px(88);
    const int TextHeight = std::max<int>(TextRect.bottom, IconSide);
    const int ClientHeight = Margin + TextHeight + (ListHeight > 0 ? Margin + ListHeight : 0) +
                             Margin + ButtonHeight + Margin;
    RECT Frame{0, 0, Width, ClientHeight};
    const DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectExForDpi(&Frame, Style, FALSE, WS_EX_DLGMODALFRAME, Dpi);
    RECT Over{};
    GetWindowRect(Owner != nullptr ? Owner : GetDesktopWindow(), &Over);
    const int FrameWidth = Frame.right - Frame.left, FrameHeight = Frame.bottom - Frame.top;
    const int Left = std::clamp<int>((Over.left + Over.right - FrameWidth) / 2, Work.left,
                                     std::max<int>(Work.left, Work.right - FrameWidth));
    const int Top = std::clamp<int>((Over.top + Over.bottom - FrameHeight) / 2, Work.top,
                                    std::max<int>(Work.top, Work.bottom - FrameHeight));
    HWND Window = CreateWindowExW(WS_EX_DLGMODALFRAME, ClassName, L"Quellmark", Style, Left, Top,
                                  FrameWidth, FrameHeight, Owner, nullptr, Instance, nullptr);
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&Shown));
    const auto Add = [&](const wchar_t* Class, const wchar_t* Text, DWORD Extra, int Id, int X,
                         int Y, int W, int H, DWORD ExtraEx = 0) {
        HWND Control =
            CreateWindowExW(ExtraEx, Class, Text, WS_CHILD | WS_VISIBLE | Extra, X, Y, W, H, Window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), Instance, nullptr);
        SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(Shown.Font), TRUE);
        return Control;
    };
    if (Shown.Warning) {
        HWND Icon = Add(L"STATIC", nullptr, SS_ICON, 0, Margin, Margin, IconSide, IconSide);
        SendMessageW(Icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)),
                     0);
    }
    // A long path without spaces wraps within the box instead of running past its edge.
    Add(L"STATIC", Shown.Text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, TextId, TextLeft,
        Margin, Width - TextLeft - Margin, TextHeight);
    int Y = Margin + TextHeight + Margin;
    if (ListHeight > 0) {
        Add(L"EDIT", Shown.List.c_str(),
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, ListId, Margin,
            Y, Width - 2 * Margin, ListHeight, WS_EX_CLIENTEDGE);
        Y += ListHeight + Margin;
    }
    // The question's default is Cancel: Enter, Esc and the box's close never convert.
    HWND First = nullptr;
    if (Shown.Question) {
        Add(L"BUTTON", L"Convert", BS_PUSHBUTTON | WS_TABSTOP, ConvertId,
            Width - Margin - 2 * ButtonWidth - Margin, Y, ButtonWidth, ButtonHeight);
        First = Add(L"BUTTON", L"Cancel", BS_DEFPUSHBUTTON | WS_TABSTOP, CancelId,
                    Width - Margin - ButtonWidth, Y, ButtonWidth, ButtonHeight);
    } else {
        First = Add(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, ConvertId,
                    Width - Margin - ButtonWidth, Y, ButtonWidth, ButtonHeight);
    }
    if (Owner != nullptr) {
        EnableWindow(Owner, FALSE);
    }
    ShowWindow(Window, SW_SHOW);
    SetFocus(First);
    MSG Message{};
    while (!Shown.Done && GetMessageW(&Message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(Window, &Message)) {
            TranslateMessage(&Message);
            DispatchMessageW(&Message);
        }
    }
    if (Owner != nullptr) {
        EnableWindow(Owner, TRUE);
        SetActiveWindow(Owner);
    }
    DestroyWindow(Window);
    DeleteObject(Shown.Font);
    return Shown.Answer;
}

}  // namespace

// The system's message box sizes itself to a short text and then cuts the title to "…"; this
// box is always wide enough for it.
void ShowMessage(HWND Owner, const std::string& Text) {
    Box Shown;
    Shown.Text = WideText(Text);
    ShowBox(Owner, Shown);
}

bool Confirm(HWND Owner, const std::string& Question, const std::vector<std::string>& Details) {
    Box Shown;
    Shown.Text = WideText(Question);
    Shown.List = Joined(Details, Details.size(), L"");
    Shown.Question = true;
    return ShowBox(Owner, Shown) == ConvertId;
}

void ShowSummary(HWND Owner, const std::string& Headline, const std::vector<std::string>& Details,
                 std::size_t Failed) {
    constexpr std::size_t FailuresInSight = 5;
    Box Shown;
    Shown.Text = WideText(Headline);
    if (Failed > 0) {
        // Each marked, so that a reason that wraps is not taken for the next track.
        Shown.Text += L"\r\n\r\n" + Joined(Details, std::min(Failed, FailuresInSight), L"\x2022 ");
        if (Failed > FailuresInSight) {
            Shown.Text += L"\r\n\x2026 and " + std::to_wstring(Failed - FailuresInSight) + L" more";
        }
    }
    Shown.List = Joined(Details, Details.size(), L"");
    Shown.Warning = Failed > 0;
    ShowBox(Owner, Shown);
}

}  // namespace quellmark
