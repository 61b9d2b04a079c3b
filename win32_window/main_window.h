// The program's one window on Windows, the same as the Linux window: the two track fields with
// their "Browse" buttons, the two option groups, "Remove Icons" and "Bail Out". A view: the
// shared presenter decides what each act does; the runs go on in a thread of their own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "window_logic/main_presenter.h"
#include "window_logic/window_layout.h"

namespace quellmark {

class ProgressWindow;

class MainWindow : public MainView {
  public:
    explicit MainWindow(HINSTANCE Instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    HWND Handle() const { return Window_; }
    MainPresenter& Presenter() { return Presenter_; }
    // Shows the window as ShowCommand asks, "Remove Icons" holding the focus.
    void Show(int ShowCommand);
    // Tracks a later start of the program hands over (WM_COPYDATA), gathered with those of
    // this start for a moment, so that several tracks opened at once become one list.
    void GatherTracks(const std::vector<std::string>& Tracks);
    // Keyboard navigation between the controls of the window and of its progress box, as in a
    // dialog; true when Message was used.
    bool Navigate(MSG& Message);

    // MainView
    bool IsChecked(ControlId Option) const override;
    void ShowFields(const FieldsShown& Fields) override;
    std::vector<std::string> AskForTracks(const std::string& Last) override;
    std::string AskForOutput(const std::string& Last) override;
    std::string AskForFolder(const std::string& Last) override;
    void ShowMessage(const std::string& Text) override;
    bool Confirm(const ListReport& Question) override;
    void ShowSummary(const ListReport& Summary) override;
    void StartWork(std::function<void()> Work) override;
    void ShowProgress(const ProgressShown& Progress) override;
    void HideProgress() override;
    void Focus(ControlId Id) override;
    void Close() override { DestroyWindow(Window_); }

  private:
    static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM Wide, LPARAM Long);
    LRESULT Receive(UINT Message, WPARAM Wide, LPARAM Long);
    void CreateControls();
    void Layout(UINT Dpi);
    void Command(ControlId Id, int Code);
    void DropFiles(HDROP Dropped);
    void SetInputEnabled(bool Enabled);
    HWND Control(ControlId Id) const;

    HINSTANCE Instance_;
    HWND Window_ = nullptr;
    HWND ToolTips_ = nullptr;
    HFONT BigFont_ = nullptr;
    HFONT SmallFont_ = nullptr;
    MainPresenter Presenter_;
    bool Showing_ = false;  // the fields are being set from the presenter
    std::thread Worker_;
    std::unique_ptr<ProgressWindow> Progress_;
    std::vector<std::string> Gathered_;
    // The control that had the focus when the window was last left for a box or another
    // window, given it back when the window is active again.
    HWND Focused_ = nullptr;
};

}  // namespace quellmark
