#include "win32_window/report_box.h"

#include <algorithm>

#include "win32_window/popup.h"
#include "win32_window/screen_reader_names.h"
#include "window_logic/window_layout.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

constexpr int ConvertId = IDOK, CancelId = IDCANCEL;

struct Box {
    std::wstring Text;
    std::wstring List;
    bool Warning = false;
    bool Question = false;
    int Answer = CancelId;
    bool Done = false;
};

// Enter, Esc (the dialog manager's IDCANCEL) and the box's close answer as their buttons do.
LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long) {
    auto* Shown = reinterpret_cast<Box*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    if (Shown != nullptr && (Message == WM_COMMAND || Message == WM_CLOSE)) {
        Shown->Answer = Message == WM_CLOSE ? CancelId : LOWORD(Wide);
        Shown->Done = Shown->Answer == ConvertId || Shown->Answer == CancelId;
        return 0;
    }
    return DefWindowProcW(Window, Message, Wide, Long);
}

std::wstring Joined(const std::vector<std::string>& Lines) {
    std::wstring Text;
    for (const auto& Line : Lines) {
        Text += (Text.empty() ? L"" : L"\r\n") + WideText(Line);
    }
    return Text;
}

// The height Text takes at Width in Font, wrapped as the box wraps it.
int TextHeight(HFONT Font, const std::wstring& Text, int Width, int& LineHeight) {
    const HDC Screen = GetDC(nullptr);
    const HGDIOBJ Old = SelectObject(Screen, Font);
    RECT Room{0, 0, Width, 0};
    DrawTextW(Screen, Text.c_str(), -1, &Room,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    TEXTMETRICW Metrics{};
    GetTextMetricsW(Screen, &Metrics);
    LineHeight = Metrics.tmHeight;
    SelectObject(Screen, Old);
    ReleaseDC(nullptr, Screen);
    return Room.bottom;
}

// Shows the box modally over Owner, wide enough for its title, its list at most half the
// screen's height, and returns the button pressed.
int ShowBox(HWND Owner, Box& Shown) {
    Popup Window(Owner);
    const int Width = Window.Px(460), Margin = Window.Px(12);
    const int IconSide = Shown.Warning ? Window.Px(32) : 0;
    const int TextLeft = Margin + (IconSide > 0 ? IconSide + Margin : 0);
    int LineHeight = 0;
    const int TextHigh = std::max(
        TextHeight(Window.Font(), Shown.Text, Width - TextLeft - Margin, LineHeight), IconSide);
    const int Lines = static_cast<int>(std::count(Shown.List.begin(), Shown.List.end(), L'\n'));
    // A few lines in sight at once, however few the tracks.
    const int ListHigh = Shown.List.empty() ? 0
                                            : std::min((std::max(Lines, 5) + 2) * LineHeight,
                                                       Window.WorkHeight() / 2);
    const int ButtonHigh = Window.Px(26), ButtonWide = Window.Px(88);
    const int ListTop = Margin + TextHigh + Margin;
    const int ButtonTop = ListTop + (ListHigh > 0 ? ListHigh + Margin : 0);
    Window.Create(L"QuellmarkReport", Procedure, Width, ButtonTop + ButtonHigh + Margin, &Shown);
    if (Shown.Warning) {
        HWND Icon = Window.Add(L"STATIC", nullptr, SS_ICON, 0, Margin, Margin, IconSide, IconSide);
        SendMessageW(Icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)),
                     0);
    }
    // A long path without spaces wraps within the box instead of running past its edge.
    Window.Add(L"STATIC", Shown.Text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, TextLeft,
               Margin, Width - TextLeft - Margin, TextHigh);
    if (ListHigh > 0) {
        const HWND List =
            Window.Add(L"EDIT", Shown.List.c_str(),
                       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 0,
                       Margin, ListTop, Width - 2 * Margin, ListHigh, WS_EX_CLIENTEDGE);
        AnnotateForScreenReaders(
            List, Shown.Question ? QuestionListAccessibleName : "Every track's result");
    }
    // The question's default is Cancel: Enter, Esc and the box's close never convert.
    const int Right = Width - Margin - ButtonWide;
    if (Shown.Question) {
        Window.Add(L"BUTTON", L"Convert", BS_PUSHBUTTON | WS_TABSTOP, ConvertId,
                   Right - Margin - ButtonWide, ButtonTop, ButtonWide, ButtonHigh);
    }
    HWND Default =
        Window.Add(L"BUTTON", Shown.Question ? L"Cancel" : L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                   Shown.Question ? CancelId : ConvertId, Right, ButtonTop, ButtonWide, ButtonHigh);
    EnableWindow(Owner, FALSE);
    ShowWindow(Window.Handle(), SW_SHOW);
    SetFocus(Default);
    MSG Message{};
    while (!Shown.Done && GetMessageW(&Message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(Window.Handle(), &Message)) {
            TranslateMessage(&Message);
            DispatchMessageW(&Message);
        }
    }
    EnableWindow(Owner, TRUE);
    SetActiveWindow(Owner);
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
    Shown.List = Joined(Details);
    Shown.Question = true;
    return ShowBox(Owner, Shown) == ConvertId;
}

void ShowSummary(HWND Owner, const std::string& Headline, const std::vector<std::string>& InSight,
                 const std::vector<std::string>& Details) {
    Box Shown;
    Shown.Text = WideText(Headline);
    if (!InSight.empty()) {
        Shown.Text += L"\r\n\r\n" + Joined(InSight);
    }
    Shown.List = Joined(Details);
    Shown.Warning = !InSight.empty();
    ShowBox(Owner, Shown);
}

}  // namespace quellmark
