// What the presenter asks of a window: to show the fields, the boxes and the progress it
// decides, to ask the user for files, and to run work off its own thread. The Qt window and
// the Win32 window each implement it; the tests have a fake.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "window_logic/window_layout.h"
#include "window_logic/window_words.h"

namespace quellmark {

struct FieldsShown {
    std::string InputText, OutputText;
    std::string InputToolTip, OutputToolTip;
    bool ReadOnly = false;  // a list: the fields take no typing; Browse goes back to one track
};

struct ProgressShown {
    std::string Label;
    int Permille = 0;
    bool Stoppable = true;
};

class MainView {
  public:
    virtual ~MainView() = default;

    // Whether the option is selected.
    virtual bool IsChecked(ControlId Option) const = 0;
    virtual void ShowFields(const FieldsShown& Fields) = 0;

    // The open dialog on Last, taking one track or several; none when cancelled.
    virtual std::vector<std::string> AskForTracks(const std::string& Last) = 0;
    // The save dialog on Last, which asks before it names a file that exists; "" when
    // cancelled.
    virtual std::string AskForOutput(const std::string& Last) = 0;
    // A folder for a list's outputs; "" when cancelled.
    virtual std::string AskForFolder(const std::string& Last) = 0;

    // A box with one OK button and the title "Quellmark".
    virtual void ShowMessage(const std::string& Text) = 0;
    // The question before a list, Cancel its default button; true for Convert.
    virtual bool Confirm(const ListReport& Question) = 0;
    // The end of a list: the counts, the first failures in sight, every track in the details.
    virtual void ShowSummary(const ListReport& Summary) = 0;

    // Runs Work on a thread of its own, then calls MainPresenter::WorkEnded on the window's
    // thread; meanwhile calls MainPresenter::Tick about ten times a second and takes no input
    // but Stop, Bail Out and closing the window.
    virtual void StartWork(std::function<void()> Work) = 0;
    virtual void ShowProgress(const ProgressShown& Progress) = 0;
    virtual void HideProgress() = 0;

    // Gives Control the keyboard's focus.
    virtual void Focus(ControlId Control) = 0;

    // Ends the program.
    virtual void Close() = 0;
};

}  // namespace quellmark
