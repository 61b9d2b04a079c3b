#include "win32_window/main_window.h"
#include "win32_window/screen_reader_names.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "win32_window/dpi.h"
#include "win32_window/file_dialogs.h"
#include "win32_window/popup.h"
#include "win32_window/progress_window.h"
#include "win32_window/report_box.h"
#include "window_logic/track_arguments.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

const wchar_t* const ClassName = L"QuellmarkMain";
constexpr UINT WorkEnded = WM_APP + 1, Shown = WM_APP + 2;
constexpr UINT_PTR TickTimer = 1, GatherTimer = 2;
constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int IdOf(ControlId Id) {
    return 100 + static_cast<int>(Id);
}

DWORD StyleOf(const ControlLayout& Each, const ControlLayout* Before) {
    const bool OpensGroup = Before == nullptr || Before->Kind != ControlKind::Option ||
                            Each.Kind != ControlKind::Option || Before->Frame != Each.Frame;
    const DWORD Group = OpensGroup ? WS_GROUP : 0;
    switch (Each.Kind) {
        case ControlKind::Label:
            return SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX | Group;
        case ControlKind::TextField:
            return ES_AUTOHSCROLL | WS_TABSTOP | Group;
        case ControlKind::Button:
            return BS_PUSHBUTTON | WS_TABSTOP | Group;
        case ControlKind::GroupBox:
            return BS_GROUPBOX | Group;
        case ControlKind::Option:
            break;
    }
    return BS_AUTORADIOBUTTON | Group | (OpensGroup ? WS_TABSTOP : 0);
}

const wchar_t* ClassOf(ControlKind Kind) {
    return Kind == ControlKind::Label       ? L"STATIC"
           : Kind == ControlKind::TextField ? L"EDIT"
                                            : L"BUTTON";
}

std::string TextOf(HWND Control) {
    std::wstring Text(static_cast<std::size_t>(GetWindowTextLengthW(Control)) + 1, L'\0');
    Text.resize(static_cast<std::size_t>(
        GetWindowTextW(Control, Text.data(), static_cast<int>(Text.size()))));
    return Utf8Text(Text);
}

std::string AsIs(const std::string& Path) {
    return Path;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE Instance)
    : Instance_(Instance), Presenter_(*this, AsIs, SystemFileLookup()) {
    RegisterWindowClass(Instance, ClassName, Procedure, LoadIconW(Instance, MAKEINTRESOURCEW(1)));
    CreateWindowExW(WS_EX_ACCEPTFILES, ClassName, L"Quellmark", WindowStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, 100, 100, nullptr, nullptr, Instance, this);
}

MainWindow::~MainWindow() {
    if (Worker_.joinable()) {
        Presenter_.CloseAsked();
        Worker_.join();
    }
    DeleteObject(BigFont_);
    DeleteObject(SmallFont_);
}

void MainWindow::Show(int ShowCommand) {
    ShowWindow(Window_, ShowCommand);
    UpdateWindow(Window_);
    SetFocus(Control(ControlId::cmdRemoveIcons));
    PostMessageW(Window_, Shown, 0, 0);
}

HWND MainWindow::Control(ControlId Id) const {
    return GetDlgItem(Window_, IdOf(Id));
}

LRESULT CALLBACK MainWindow::Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long) {
    if (Message == WM_NCCREATE) {
        auto* Created =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(Long)->lpCreateParams);
        Created->Window_ = Window;
        SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Created));
    }
    auto* Main = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    return Main != nullptr ? Main->Receive(Message, Wide, Long)
                           : DefWindowProcW(Window, Message, Wide, Long);
}

LRESULT MainWindow::Receive(UINT Message, WPARAM Wide, LPARAM Long) {
    switch (Message) {
        case WM_CREATE:
            CreateControls();
            Layout(GetDpiForWindow(Window_));
            return 0;
        case WM_DPICHANGED: {
            Layout(HIWORD(Wide));
            const auto* Suggested = reinterpret_cast<const RECT*>(Long);
            SetWindowPos(Window_, nullptr, Suggested->left, Suggested->top, 0, 0,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            return 0;
        }
        case WM_COMMAND:
            Command(static_cast<ControlId>(LOWORD(Wide) - 100), HIWORD(Wide));
            return 0;
        case WM_DROPFILES:
            DropFiles(reinterpret_cast<HDROP>(Wide));
            return 0;
        case WM_ACTIVATE:
            // A box or another window takes the keyboard: the control that had it gets it back.
            if (LOWORD(Wide) == WA_INACTIVE) {
                const HWND Now = GetFocus();
                Focused_ = Now != nullptr && IsChild(Window_, Now) ? Now : Focused_;
            } else if (Focused_ != nullptr && IsWindowEnabled(Focused_)) {
                SetFocus(Focused_);
                return 0;
            }
            return DefWindowProcW(Window_, Message, Wide, Long);
        case WM_COPYDATA: {
            const auto* Data = reinterpret_cast<const COPYDATASTRUCT*>(Long);
            GatherTracks(UnpackedTracks({static_cast<const char*>(Data->lpData), Data->cbData}));
            return TRUE;
        }
        case WM_TIMER:
            if (Wide == GatherTimer) {
                KillTimer(Window_, GatherTimer);
                Presenter_.OpenArguments(std::exchange(Gathered_, {}));
            } else {
                Presenter_.Tick();
            }
            return 0;
        case WorkEnded:
            Worker_.join();
            KillTimer(Window_, TickTimer);
            SetInputEnabled(true);
            Presenter_.WorkEnded();
            return 0;
        case Shown:
            Presenter_.WindowShown();
            return 0;
        case WM_CLOSE:
            if (Presenter_.CloseAsked()) {
                Close();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(Window_, Message, Wide, Long);
    }
}

void MainWindow::CreateControls() {
    const ControlLayout* Before = nullptr;
    // Win32 tabs through controls in the order they are made, and an option group is one run
    // of them from a WS_GROUP to the next; each frame is made before its options.
    for (const auto* Each : ControlsInTabOrder(true)) {
        const DWORD Border = Each->Kind == ControlKind::TextField ? WS_EX_CLIENTEDGE : 0;
        const HWND Made = CreateWindowExW(
            Border, ClassOf(Each->Kind), WideText(Each->Caption).c_str(),
            WS_CHILD | WS_VISIBLE | StyleOf(*Each, Before), 0, 0, 0, 0, Window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(Each->Id))), Instance_, nullptr);
        if (const std::string Name = AccessibleNameOf(Each->Id); !Name.empty()) {
            AnnotateForScreenReaders(Made, Name);
        }
        Before = Each;
    }
    CheckDlgButton(Window_, IdOf(IconStateOptions().front().Id), BST_CHECKED);
    CheckDlgButton(Window_, IdOf(CommandOptions().front().Id), BST_CHECKED);
    // A field shows only the end of a long name: the tooltip says which file is meant. It never
    // takes the keyboard from the field.
    ToolTips_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                                TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                Window_, nullptr, Instance_, nullptr);
    SendMessageW(ToolTips_, TTM_SETMAXTIPWIDTH, 0, 800);
    for (const auto Id : {ControlId::txtInputTrackFile, ControlId::txtOutputTrackFile}) {
        TOOLINFOW Tip{};
        Tip.cbSize = sizeof Tip;
        Tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        Tip.hwnd = Window_;
        Tip.uId = reinterpret_cast<UINT_PTR>(Control(Id));
        Tip.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(ToolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tip));
    }
}

// Places every control and sizes the window for Dpi, centred on its monitor.
void MainWindow::Layout(UINT Dpi) {
    DeleteObject(BigFont_);
    DeleteObject(SmallFont_);
    BigFont_ = CaptionFont(12, Dpi);
    SmallFont_ = CaptionFont(8.25, Dpi);
    for (const auto& Each : WindowControls()) {
        TwipRect Where = Each.Where;
        if (Each.Frame != ControlId::None) {
            Where.Left += ControlOf(Each.Frame).Where.Left;
            Where.Top += ControlOf(Each.Frame).Where.Top;
        }
        SetWindowPos(Control(Each.Id), nullptr, FromTwips(Where.Left, Dpi),
                     FromTwips(Where.Top, Dpi), FromTwips(Where.Width, Dpi),
                     FromTwips(Where.Height, Dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(Control(Each.Id), WM_SETFONT,
                     reinterpret_cast<WPARAM>(Each.Points < 12 ? SmallFont_ : BigFont_), TRUE);
    }
    RECT Frame{0, 0, FromTwips(ClientWidthTwips, Dpi), FromTwips(ClientHeightTwips, Dpi)};
    AdjustWindowRectExForDpi(&Frame, WindowStyle, FALSE, WS_EX_ACCEPTFILES, Dpi);
    const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
    MONITORINFO Monitor = {};
    Monitor.cbSize = sizeof Monitor;
    GetMonitorInfoW(MonitorFromWindow(Window_, MONITOR_DEFAULTTONEAREST), &Monitor);
    const RECT& Work = Monitor.rcWork;
    SetWindowPos(Window_, nullptr, (Work.left + Work.right - Width) / 2,
                 (Work.top + Work.bottom - Height) / 2, Width, Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::Navigate(MSG& Message) {
    if (Progress_ != nullptr && Progress_->Navigate(Message)) {
        return true;
    }
    // Enter and Esc press nothing but a focused button, which the dialog manager would not do.
    if (Message.message == WM_KEYDOWN &&
        (Message.wParam == VK_RETURN || Message.wParam == VK_ESCAPE)) {
        HWND Focused = GetFocus();
        wchar_t Class[16] = {};
        GetClassNameW(Focused, Class, 16);
        const bool Button = GetParent(Focused) == Window_ && std::wstring(Class) == L"Button" &&
                            (GetWindowLongW(Focused, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON;
        if (Message.wParam == VK_RETURN && Button) {
            SendMessageW(Focused, BM_CLICK, 0, 0);
        }
        return GetParent(Focused) == Window_;
    }
    return IsDialogMessageW(Window_, &Message) != 0;
}

void MainWindow::Command(ControlId Id, int Code) {
    switch (Id) {
        case ControlId::cmdRemoveIcons:
            Presenter_.RemoveIconsPressed();
            break;
        case ControlId::cmdExit:
            SendMessageW(Window_, WM_CLOSE, 0, 0);
            break;
        case ControlId::cmdInputBrowse:
            Presenter_.InputBrowsePressed();
            break;
        case ControlId::cmdOutputBrowse:
            Presenter_.OutputBrowsePressed();
            break;
        case ControlId::txtInputTrackFile:
        case ControlId::txtOutputTrackFile:
            // What the user types goes to the presenter; what the window shows of it does not.
            if (Code == EN_CHANGE && !Showing_) {
                const std::string Text = TextOf(Control(Id));
                Id == ControlId::txtInputTrackFile ? Presenter_.InputEdited(Text)
                                                   : Presenter_.OutputEdited(Text);
            }
            break;
        default:
            break;
    }
}

bool MainWindow::IsChecked(ControlId Option) const {
    return IsDlgButtonChecked(Window_, IdOf(Option)) == BST_CHECKED;
}

// A field being typed in keeps its text and caret; a single name is read from its end, where
// names differ.
namespace {

// Whether Text fits in Field's client area in Font.
bool Fits(HWND Field, const std::string& Text, HFONT Font) {
    const std::wstring Wide = WideText(Text);
    const HDC Drawn = GetDC(Field);
    const HGDIOBJ Old = SelectObject(Drawn, Font);
    SIZE Size{};
    GetTextExtentPoint32W(Drawn, Wide.c_str(), static_cast<int>(Wide.size()), &Size);
    SelectObject(Drawn, Old);
    ReleaseDC(Field, Drawn);
    RECT Room{};
    SendMessageW(Field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Room));
    return Size.cx <= Room.right - Room.left;
}

}  // namespace

void MainWindow::ShowFields(const FieldsShown& Fields) {
    const auto Show = [&](ControlId Id, const std::string& Text, const std::string& ToolTip) {
        HWND Field = Control(Id);
        if (TextOf(Field) != Text) {
            Showing_ = true;
            SetWindowTextW(Field, WideText(Text).c_str());
            Showing_ = false;
            const LPARAM End = Fields.ReadOnly ? 0 : 0x7fffffff;
            SendMessageW(Field, EM_SETSEL, static_cast<WPARAM>(End), End);
        }
        SendMessageW(Field, EM_SETREADONLY, Fields.ReadOnly, 0);
        // A list's text is read from its start: in the small face where the large one would
        // cut it.
        SendMessageW(Field, WM_SETFONT,
                     reinterpret_cast<WPARAM>(
                         Fields.ReadOnly && !Fits(Field, Text, BigFont_) ? SmallFont_ : BigFont_),
                     TRUE);
        std::wstring Wide = WideText(ToolTip);
        TOOLINFOW Tip{};
        Tip.cbSize = sizeof Tip;
        Tip.uFlags = TTF_IDISHWND;
        Tip.hwnd = Window_;
        Tip.uId = reinterpret_cast<UINT_PTR>(Field);
        Tip.lpszText = Wide.data();
        SendMessageW(ToolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&Tip));
    };
    Show(ControlId::txtInputTrackFile, Fields.InputText, Fields.InputToolTip);
    Show(ControlId::txtOutputTrackFile, Fields.OutputText, Fields.OutputToolTip);
}

std::vector<std::string> MainWindow::AskForTracks(const std::string& Last) {
    return ChooseTrackFiles(Window_, Last);
}

std::string MainWindow::AskForOutput(const std::string& Last) {
    return ChooseOutputFile(Window_, Last);
}

std::string MainWindow::AskForFolder(const std::string& Last) {
    return ChooseFolder(Window_, Last);
}

void MainWindow::ShowMessage(const std::string& Text) {
    quellmark::ShowMessage(Window_, Text);
}

bool MainWindow::Confirm(const ListReport& Question) {
    return quellmark::Confirm(Window_, Question.Headline, Question.Lines);
}

void MainWindow::ShowSummary(const ListReport& Summary) {
    quellmark::ShowSummary(Window_, Summary.Headline, Summary.InSight, Summary.Lines);
}

// The work goes on in a thread of its own, so that the window paints and Stop answers at once;
// the window takes no input but Bail Out and its close until it ends.
void MainWindow::StartWork(std::function<void()> Work) {
    SetInputEnabled(false);
    SetTimer(Window_, TickTimer, 100, nullptr);
    Worker_ = std::thread([this, Work = std::move(Work)] {
        Work();
        PostMessageW(Window_, WorkEnded, 0, 0);
    });
}

void MainWindow::ShowProgress(const ProgressShown& Shown) {
    if (Progress_ == nullptr) {
        Progress_ = std::make_unique<ProgressWindow>(Window_, [this] { Presenter_.StopPressed(); });
    }
    Progress_->Update(Shown.Label, Shown.Permille, Shown.Stoppable);
}

void MainWindow::HideProgress() {
    Progress_.reset();
    SetActiveWindow(Window_);
}

// Tracks dropped during a run are still taken: they wait for its end.
void MainWindow::SetInputEnabled(bool Enabled) {
    for (const auto& Each : WindowControls()) {
        if (Each.Id != ControlId::cmdExit) {
            EnableWindow(Control(Each.Id), Enabled);
        }
    }
}

void MainWindow::Focus(ControlId Id) {
    Focused_ = Control(Id);
    SetFocus(Focused_);
}

void MainWindow::DropFiles(HDROP Dropped) {
    std::vector<std::string> Files;
    const UINT Count = DragQueryFileW(Dropped, 0xFFFFFFFF, nullptr, 0);
    for (UINT At = 0; At < Count; ++At) {
        std::wstring Name(DragQueryFileW(Dropped, At, nullptr, 0) + 1, L'\0');
        Name.resize(DragQueryFileW(Dropped, At, Name.data(), static_cast<UINT>(Name.size())));
        Files.push_back(Utf8Text(Name));
    }
    DragFinish(Dropped);
    Presenter_.OpenTracks(Files);
}

void MainWindow::GatherTracks(const std::vector<std::string>& Tracks) {
    Gathered_.insert(Gathered_.end(), Tracks.begin(), Tracks.end());
    SetTimer(Window_, GatherTimer, 300, nullptr);
}

}  // namespace quellmark
