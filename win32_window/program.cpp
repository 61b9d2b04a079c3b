// quellmark.exe: the window on Windows. The tracks on its command line (as Open With passes
// them) are opened as the Linux window opens them.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "conversion/windows_text.h"
#include "win32_window/main_window.h"
#include "window_logic/track_arguments.h"

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR, int Show) {
    INITCOMMONCONTROLSEX Controls = {};
    Controls.dwSize = sizeof Controls;
    Controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&Controls);
    int Count = 0;
    LPWSTR* Words = CommandLineToArgvW(GetCommandLineW(), &Count);
    std::vector<std::string> Arguments;
    for (int At = 1; At < Count; ++At) {
        Arguments.push_back(quellmark::Utf8Text(Words[At]));
    }
    LocalFree(Words);

    quellmark::MainWindow Window(Instance);
    ShowWindow(Window.Handle(), Show);
    UpdateWindow(Window.Handle());
    SetFocus(GetDlgItem(Window.Handle(), 115));
    const auto Tracks = quellmark::ReadTrackArguments(Arguments);
    if (Tracks.Tracks.size() == 1 && !Tracks.Missing.empty()) {
        // In the words the command line uses.
        Window.ShowWhenOnScreen("Can't open input track '" + Tracks.Missing.front() +
                                "': No such file or directory");
    } else {
        Window.OpenTracks(Tracks.Tracks);
    }
    MSG Message{};
    while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        if (!Window.Navigate(Message)) {
            TranslateMessage(&Message);
            DispatchMessageW(&Message);
        }
    }
    return static_cast<int>(Message.wParam);
}
