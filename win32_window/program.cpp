// quellmark.exe: the window on Windows. The tracks on its command line (as Open With passes
// them) are opened as the Linux window opens them.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win32_window/main_window.h"
#include "window_logic/run_words.h"
#include "window_logic/track_arguments.h"
#include "windows_text/windows_text.h"

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR, int Show) {
    INITCOMMONCONTROLSEX Controls = {};
    Controls.dwSize = sizeof Controls;
    Controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&Controls);
    int Count = 0;
    LPWSTR* Words = CommandLineToArgvW(GetCommandLineW(), &Count);
    std::vector<std::string> Arguments;
    for (int At = 1; At < Count; ++At) {
        // A name with half a surrogate pair names no file: shown as it is, it is reported.
        Arguments.push_back(
            quellmark::ValidUtf8Text(Words[At]).value_or(quellmark::ShownUtf8Text(Words[At])));
    }
    LocalFree(Words);

    quellmark::MainWindow Window(Instance);
    Window.Show(Show);
    const auto Tracks = quellmark::ReadTrackArguments(Arguments);
    if (Tracks.Tracks.size() == 1 && !Tracks.Missing.empty()) {
        Window.ShowWhenOnScreen(quellmark::MissingTrackMessage(
            Tracks.Missing.front(), [](const std::string& Path) { return Path; }));
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
