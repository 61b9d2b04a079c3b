// The program's one window on Windows, the same as the Linux window: the two track fields with
// their "Browse" buttons, the two option groups, "Remove Icons" and "Bail Out". A view over the
// shared window logic; the runs go on in a thread of their own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "conversion/settings.h"
#include "window_logic/list_run.h"
#include "window_logic/track_selection.h"

namespace quellmark {

class ProgressWindow;

class MainWindow {
  public:
    explicit MainWindow(HINSTANCE Instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    HWND Handle() const { return Window_; }
    // Shows the window as ShowCommand asks, "Remove Icons" holding the focus.
    void Show(int ShowCommand);
    // One track becomes the input; several a list (UTF-8 paths).
    void OpenTracks(const std::vector<std::string>& Tracks);
    // Shows Text once the window is on screen.
    void ShowWhenOnScreen(const std::string& Text);
    // Keyboard navigation between the controls, as in a dialog; true when Message was used.
    bool Navigate(MSG& Message);

  private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long);
    LRESULT Receive(UINT Message, WPARAM Wide, LPARAM Long);
    void CreateControls();
    void Layout(UINT Dpi);
    void Command(int Id, int Code);
    IconState GetInitialIconState() const;
    CommandType GetCommandType() const;
    void RemoveIcons();
    void StartRuns(std::vector<RunSettings> Runs);
    void ShowProgress();
    void EndRuns();
    void Browse(bool Input);
    void DropFiles(HDROP Dropped);
    void ShowSelection();
    void ShowFullPaths();
    void Close();

    HINSTANCE Instance_;
    HWND Window_ = nullptr;
    HWND ToolTips_ = nullptr;
    HFONT BigFont_ = nullptr;
    HFONT SmallFont_ = nullptr;
    TrackSelection Selection_;
    std::string LastFile_;  // the file the dialogs chose last
    bool Showing_ = false;  // the fields are being set from the selection
    std::unique_ptr<ListRun> Running_;
    std::thread Worker_;
    ULONGLONG RunStarted_ = 0;
    std::unique_ptr<ProgressWindow> Progress_;
    bool ProgressShown_ = false;
    std::string StartText_;
};

}  // namespace quellmark
