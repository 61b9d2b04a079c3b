#include "win32_window/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "conversion/output_name.h"
#include "win32_window/dpi.h"
#include "win32_window/file_dialogs.h"
#include "win32_window/progress_window.h"
#include "win32_window/report_box.h"
#include "win32_window/window_class.h"
#include "window_logic/run_words.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

const wchar_t* const ClassName = L"QuellmarkMain";
constexpr UINT RunEnded = WM_APP + 1, OnScreen = WM_APP + 2;
constexpr UINT_PTR ProgressTimer = 1;

enum Control : int {
    Label1 = 100,
    txtInputTrackFile,
    cmdInputBrowse,
    Label2,
    txtOutputTrackFile,
    cmdOutputBrowse,
    Frame1,
    optIconStateOff,
    optIconStateLow,
    optIconStateMedium,
    optIconStateFull,
    Frame2,
    optViews,
    optTimeCompression,
    optUseNullCommand,
    cmdRemoveIcons,
    cmdExit,
};

// Each control where the layout puts it, in twips; options inside a frame are placed from the
// frame's corner. Listed in the order Tab visits them.
struct Placed {
    Control Id;
    const wchar_t* Class;
    const wchar_t* Caption;
    DWORD Style;
    int Left, Top, Width, Height;
    Control Frame;  // 0: placed in the window
    bool Small;     // 8.25 pt, else 12 pt
};

constexpr DWORD Radio = BS_AUTORADIOBUTTON, Push = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD Field = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr Control None = static_cast<Control>(0);

// Frames come before their options, so that the options are drawn over them; each option group
// is one run of controls, so that choosing one option clears the others.
const Placed Layout_[] = {
    {cmdRemoveIcons, L"BUTTON", L"Remove Icons", Push, 480, 3840, 1455, 375, None, true},
    {Frame1, L"BUTTON", L"Original Icon State", BS_GROUPBOX, 480, 1800, 2415, 1815, None, true},
    {optIconStateOff, L"BUTTON", L"Off", Radio | WS_GROUP | WS_TABSTOP, 120, 240, 1455, 375, Frame1,
     true},
    {optIconStateLow, L"BUTTON", L"Range Only", Radio, 120, 600, 1455, 375, Frame1, true},
    {optIconStateMedium, L"BUTTON", L"Range && Type", Radio, 120, 960, 1575, 375, Frame1, true},
    {optIconStateFull, L"BUTTON", L"Range, Type && Name", Radio, 120, 1320, 2175, 375, Frame1,
     true},
    {Label1, L"STATIC", L"Input Track:", SS_RIGHT | SS_CENTERIMAGE | WS_GROUP, 0, 360, 1695, 375,
     None, false},
    {txtInputTrackFile, L"EDIT", L"", Field, 1680, 360, 3495, 375, None, false},
    {cmdInputBrowse, L"BUTTON", L"Browse", Push, 5280, 360, 1215, 375, None, false},
    {Label2, L"STATIC", L"Output Track:", SS_RIGHT | SS_CENTERIMAGE, 0, 1080, 1695, 375, None,
     false},
    {txtOutputTrackFile, L"EDIT", L"", Field, 1680, 1080, 3495, 375, None, false},
    {cmdOutputBrowse, L"BUTTON", L"Browse", Push, 5280, 1080, 1215, 375, None, false},
    {Frame2, L"BUTTON", L"What To Screw Up", BS_GROUPBOX, 3120, 1800, 2175, 1575, None, true},
    {optViews, L"BUTTON", L"Views", Radio | WS_GROUP | WS_TABSTOP, 120, 240, 1695, 300, Frame2,
     true},
    {optTimeCompression, L"BUTTON", L"Time Compression", Radio, 120, 600, 1935, 300, Frame2, true},
    {optUseNullCommand, L"BUTTON", L"Neither (Untested)", Radio, 120, 960, 1935, 300, Frame2, true},
    {cmdExit, L"BUTTON", L"Bail Out", Push | WS_GROUP, 5040, 3840, 1455, 375, None, false},
};

constexpr int ClientWidth = 6540, ClientHeight = 4425;
constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const Placed& PlaceOf(Control Id) {
    return *std::find_if(std::begin(Layout_), std::end(Layout_),
                         [Id](const Placed& Each) { return Each.Id == Id; });
}

std::string Shown(const std::string& Path) {
    return Path;
}

std::string TextOf(HWND Control) {
    std::wstring Text(static_cast<std::size_t>(GetWindowTextLengthW(Control)) + 1, L'\0');
    Text.resize(static_cast<std::size_t>(
        GetWindowTextW(Control, Text.data(), static_cast<int>(Text.size()))));
    return Utf8Text(Text);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE Instance) : Instance_(Instance), Selection_(Shown) {
    RegisterWindowClass(Instance, ClassName, Procedure, LoadIconW(Instance, MAKEINTRESOURCEW(1)));
    CreateWindowExW(WS_EX_ACCEPTFILES, ClassName, L"Quellmark", WindowStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, 100, 100, nullptr, nullptr, Instance, this);
}

void MainWindow::Show(int ShowCommand) {
    ShowWindow(Window_, ShowCommand);
    UpdateWindow(Window_);
    SetFocus(GetDlgItem(Window_, cmdRemoveIcons));
}

MainWindow::~MainWindow() {
    if (Worker_.joinable()) {
        Running_->Stop();
        Worker_.join();
    }
    DeleteObject(BigFont_);
    DeleteObject(SmallFont_);
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
            Command(LOWORD(Wide), HIWORD(Wide));
            return 0;
        case WM_DROPFILES:
            DropFiles(reinterpret_cast<HDROP>(Wide));
            return 0;
        case WM_TIMER:
            ShowProgress();
            return 0;
        case RunEnded:
            EndRuns();
            return 0;
        case OnScreen:
            if (!StartText_.empty()) {
                ShowMessage(Window_, std::exchange(StartText_, {}));
            }
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(Window_, Message, Wide, Long);
    }
}

void MainWindow::CreateControls() {
    for (const auto& Each : Layout_) {
        const DWORD Border = Each.Class == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0;
        CreateWindowExW(Border, Each.Class, Each.Caption, WS_CHILD | WS_VISIBLE | Each.Style, 0, 0,
                        0, 0, Window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(Each.Id)),
                        Instance_, nullptr);
    }
    CheckRadioButton(Window_, optIconStateOff, optIconStateFull, optIconStateOff);
    CheckRadioButton(Window_, optViews, optUseNullCommand, optViews);
    // A field shows only the end of a long name: the tooltip says which file is meant.
    ToolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0,
                                Window_, nullptr, Instance_, nullptr);
    SendMessageW(ToolTips_, TTM_SETMAXTIPWIDTH, 0, 800);
    for (const int Id : {txtInputTrackFile, txtOutputTrackFile}) {
        TOOLINFOW Tip{};
        Tip.cbSize = sizeof Tip;
        Tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        Tip.hwnd = Window_;
        Tip.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(Window_, Id));
        Tip.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(ToolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tip));
    }
}

// Places every control and sizes the window for Dpi.
void MainWindow::Layout(UINT Dpi) {
    DeleteObject(BigFont_);
    DeleteObject(SmallFont_);
    BigFont_ = CaptionFont(12, Dpi);
    SmallFont_ = CaptionFont(8.25, Dpi);
    for (const auto& Each : Layout_) {
        int Left = Each.Left, Top = Each.Top;
        if (Each.Frame != None) {
            Left += PlaceOf(Each.Frame).Left;
            Top += PlaceOf(Each.Frame).Top;
        }
        HWND Control = GetDlgItem(Window_, Each.Id);
        SetWindowPos(Control, nullptr, FromTwips(Left, Dpi), FromTwips(Top, Dpi),
                     FromTwips(Each.Width, Dpi), FromTwips(Each.Height, Dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(Control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(Each.Small ? SmallFont_ : BigFont_), TRUE);
    }
    RECT Frame{0, 0, FromTwips(ClientWidth, Dpi), FromTwips(ClientHeight, Dpi)};
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
        return true;
    }
    return IsDialogMessageW(Window_, &Message) != 0;
}

void MainWindow::Command(int Id, int Code) {
    switch (Id) {
        case cmdRemoveIcons:
            RemoveIcons();
            break;
        case cmdExit:
            Close();
            break;
        case cmdInputBrowse:
        case cmdOutputBrowse:
            Browse(Id == cmdInputBrowse);
            break;
        case txtInputTrackFile:
        case txtOutputTrackFile:
            if (Code == EN_CHANGE && !Showing_) {
                const std::string Text = TextOf(GetDlgItem(Window_, Id));
                const bool WasList = Selection_.IsList();
                if (Id == txtInputTrackFile) {
                    Selection_.EditInput(Text);
                } else {
                    Selection_.EditOutput(Text);
                }
                if (WasList && !Selection_.IsList()) {
                    ShowSelection();
                }
                ShowFullPaths();
            }
            break;
        default:
            break;
    }
}

IconState MainWindow::GetInitialIconState() const {
    if (IsDlgButtonChecked(Window_, optIconStateLow) == BST_CHECKED) {
        return IconState::Low;
    }
    if (IsDlgButtonChecked(Window_, optIconStateMedium) == BST_CHECKED) {
        return IconState::Medium;
    }
    if (IsDlgButtonChecked(Window_, optIconStateFull) == BST_CHECKED) {
        return IconState::Full;
    }
    return IconState::Off;
}

CommandType MainWindow::GetCommandType() const {
    if (IsDlgButtonChecked(Window_, optTimeCompression) == BST_CHECKED) {
        return CommandType::TimeCompression;
    }
    if (IsDlgButtonChecked(Window_, optUseNullCommand) == BST_CHECKED) {
        return CommandType::UseNullCommand;
    }
    return CommandType::Views;
}

void MainWindow::RemoveIcons() {
    auto Runs = Selection_.Runs(GetInitialIconState(), GetCommandType());
    if (Selection_.IsList()) {
        const Report Question = ListQuestion(Runs, Shown);
        if (!Question.Lines.empty() && !Confirm(Window_, Question.Headline, Question.Lines)) {
            return;
        }
    }
    StartRuns(std::move(Runs));
}

// The runs go on in a thread of their own, so that the window paints and Stop answers at once;
// the window itself takes no input until they end.
void MainWindow::StartRuns(std::vector<RunSettings> Runs) {
    Running_ = std::make_unique<ListRun>(std::move(Runs));
    EnableWindow(Window_, FALSE);
    Progress_ = std::make_unique<ProgressWindow>(Window_, [this] { Running_->Stop(); });
    ProgressShown_ = false;
    RunStarted_ = GetTickCount64();
    SetTimer(Window_, ProgressTimer, 100, nullptr);
    Worker_ = std::thread([this] {
        Running_->Run();
        PostMessageW(Window_, RunEnded, 0, 0);
    });
}

void MainWindow::ShowProgress() {
    if (Running_ == nullptr || Progress_ == nullptr) {
        return;
    }
    // Short runs end before it would show.
    if (!ProgressShown_ && GetTickCount64() - RunStarted_ >= 500) {
        Progress_->Show();
        ProgressShown_ = true;
    }
    Progress_->Update(ProgressLabel(*Running_, Shown), ProgressPermille(Running_->Progress()));
}

void MainWindow::EndRuns() {
    Worker_.join();
    KillTimer(Window_, ProgressTimer);
    Progress_.reset();
    EnableWindow(Window_, TRUE);
    SetActiveWindow(Window_);
    const auto Finished = std::move(Running_);
    if (Finished->Progress().Tracks > 1) {
        const Report Summary = SummarizeList(Finished->Results(), Finished->NotConverted(), Shown);
        ShowSummary(Window_, Summary.Headline, Summary.Lines, Summary.Failed);
    } else {
        ShowMessage(Window_, SingleTrackMessage(SingleResult(*Finished), PlainQuotes(Shown)));
    }
}

void MainWindow::Browse(bool Input) {
    const std::string Chosen = ChooseTrackFile(Window_, !Input, LastFile_);
    if (Chosen.empty()) {
        return;
    }
    LastFile_ = Chosen;
    if (Input) {
        Selection_.ChooseInput(Chosen);
    } else {
        Selection_.ChooseOutput(Chosen);
    }
    ShowSelection();
}

void MainWindow::DropFiles(HDROP Dropped) {
    std::vector<std::string> Files;
    const UINT Count = DragQueryFileW(Dropped, 0xFFFFFFFF, nullptr, 0);
    for (UINT At = 0; At < Count; ++At) {
        std::wstring Name(DragQueryFileW(Dropped, At, nullptr, 0) + 1, L'\0');
        Name.resize(DragQueryFileW(Dropped, At, Name.data(), static_cast<UINT>(Name.size())));
        const DWORD Attributes = GetFileAttributesW(Name.c_str());
        // A dropped folder is no track.
        if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            Files.push_back(Utf8Text(Name));
        }
    }
    DragFinish(Dropped);
    if (!Running_) {
        OpenTracks(Files);
    }
}

void MainWindow::OpenTracks(const std::vector<std::string>& Tracks) {
    if (Tracks.empty()) {
        return;
    }
    Selection_.ChooseList(Tracks);
    if (!Selection_.IsList()) {
        // The dialogs open on the track, as if it had been chosen there.
        LastFile_ = Tracks.front();
    }
    ShowSelection();
}

void MainWindow::ShowWhenOnScreen(const std::string& Text) {
    StartText_ = Text;
    PostMessageW(Window_, OnScreen, 0, 0);
}

// The fields show what the selection holds; a list has no output name of its own to edit.
void MainWindow::ShowSelection() {
    Showing_ = true;
    SetDlgItemTextW(Window_, txtInputTrackFile, WideText(Selection_.InputText()).c_str());
    SetDlgItemTextW(Window_, txtOutputTrackFile, WideText(Selection_.OutputText()).c_str());
    Showing_ = false;
    SendDlgItemMessageW(Window_, txtOutputTrackFile, EM_SETREADONLY, Selection_.IsList(), 0);
    EnableWindow(GetDlgItem(Window_, cmdOutputBrowse), !Selection_.IsList());
    // A single name is read from its end, where names differ.
    if (!Selection_.IsList()) {
        for (const int Id : {txtInputTrackFile, txtOutputTrackFile}) {
            SendDlgItemMessageW(Window_, Id, EM_SETSEL, 0x7fffffff, 0x7fffffff);
        }
    }
    ShowFullPaths();
}

void MainWindow::ShowFullPaths() {
    const std::pair<int, std::string> Tips[] = {{txtInputTrackFile, Selection_.InputToolTip()},
                                                {txtOutputTrackFile, Selection_.OutputToolTip()}};
    for (const auto& [Id, Text] : Tips) {
        std::wstring Wide = WideText(Text);
        TOOLINFOW Tip{};
        Tip.cbSize = sizeof Tip;
        Tip.uFlags = TTF_IDISHWND;
        Tip.hwnd = Window_;
        Tip.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(Window_, Id));
        Tip.lpszText = Wide.data();
        SendMessageW(ToolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&Tip));
    }
}

// Bail Out, or closing the window, stops a run first: nothing is left behind.
void MainWindow::Close() {
    if (Worker_.joinable()) {
        Running_->Stop();
        Worker_.join();
        KillTimer(Window_, ProgressTimer);
        Progress_.reset();
        Running_.reset();
    }
    DestroyWindow(Window_);
}

}  // namespace quellmark
