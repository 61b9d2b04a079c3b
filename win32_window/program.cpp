// quellmark.exe: the window on Windows. The tracks on its command line (as Open With passes
// them) are opened as the Linux window opens them; a later start hands its tracks to the window
// already running, so that several tracks opened at once become one list.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "conversion/files/path_syntax.h"
#include "win32_window/main_window.h"
#include "win32_window/report_box.h"
#include "window_logic/track_arguments.h"
#include "windows_text/windows_text.h"

namespace {

std::vector<std::string> Arguments() {
    int Count = 0;
    LPWSTR* Words = CommandLineToArgvW(GetCommandLineW(), &Count);
    std::vector<std::string> Read;
    for (int At = 1; At < Count; ++At) {
        // A name with half a surrogate pair names no file: shown as it is, it is reported.
        Read.push_back(
            quellmark::ValidUtf8Text(Words[At]).value_or(quellmark::ShownUtf8Text(Words[At])));
    }
    LocalFree(Words);
    return Read;
}

// --help (or /?), --version and wrong options, answered in a box: a window program has no
// console to print to. Returns the exit status.
int AnswerOptions(const std::vector<std::string>& Options) {
    const std::string& First = Options.front();
    if (First == "--version") {
        quellmark::ShowMessage(nullptr, "quellmark (Quellmark) " QUELLMARK_VERSION);
        return 0;
    }
    const std::string Usage = "Usage: quellmark [TRACK...]\n\n" +
                              std::string(quellmark::WindowProgramPurpose) +
                              "\n\nTRACK: " + quellmark::WindowProgramTracks +
                              "\n\n--help, /?: show this help\n--version: show the version";
    const bool Help = First == "--help" || First == "-h" || First == "/?";
    quellmark::ShowMessage(nullptr, Help ? Usage : "Unknown option '" + First + "'.\n\n" + Usage);
    return Help ? 0 : 2;
}

// Track as the window of an earlier start must find it: a full path, resolved in this start's
// own folder, which need not be the other's. An address is left as it is.
std::string FullPathOf(const std::string& Track) {
    const std::wstring Name = quellmark::WideText(Track);
    const DWORD Size = GetFullPathNameW(Name.c_str(), 0, nullptr, nullptr);
    if (!quellmark::LocalPathOfFileUrl(Track).empty() || Size == 0) {
        return Track;
    }
    std::wstring Full(Size, L'\0');
    Full.resize(GetFullPathNameW(Name.c_str(), Size, Full.data(), nullptr));
    return Full.empty() ? Track : quellmark::Utf8Text(Full);
}

// Hands Tracks to the window of an earlier start, once it is there; false when there is none.
bool HandOver(const std::vector<std::string>& Tracks) {
    HWND Running = nullptr;
    for (int Wait = 0; Wait < 100 && Running == nullptr; ++Wait) {
        Running = FindWindowW(L"QuellmarkMain", nullptr);
        Sleep(Running == nullptr ? 50 : 0);
    }
    if (Running == nullptr) {
        return false;
    }
    std::vector<std::string> Full;
    for (const auto& Track : Tracks) {
        Full.push_back(FullPathOf(Track));
    }
    std::string Bytes = quellmark::PackedTracks(Full);
    COPYDATASTRUCT Data{0, static_cast<DWORD>(Bytes.size()), Bytes.data()};
    SendMessageW(Running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data));
    SetForegroundWindow(Running);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR, int Show) {
    auto Words = Arguments();
    if (!Words.empty() && Words.front() == "/?") {
        return AnswerOptions(Words);
    }
    const auto Line = quellmark::SplitWindowCommandLine(Words);
    if (!Line.Options.empty()) {
        return AnswerOptions(Line.Options);
    }
    // One window per user: a later start, as Explorer makes one for each track opened, hands
    // its tracks over and ends.
    const HANDLE First = CreateMutexW(nullptr, FALSE, L"Local\\Quellmark.Window");
    if (GetLastError() == ERROR_ALREADY_EXISTS && HandOver(Line.Tracks)) {
        return 0;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX Controls = {};
    Controls.dwSize = sizeof Controls;
    Controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&Controls);
    quellmark::MainWindow Window(Instance);
    if (!Line.Tracks.empty()) {
        Window.GatherTracks(Line.Tracks);
    }
    Window.Show(Show);
    MSG Message{};
    while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        if (!Window.Navigate(Message)) {
            TranslateMessage(&Message);
            DispatchMessageW(&Message);
        }
    }
    CloseHandle(First);
    return static_cast<int>(Message.wParam);
}
