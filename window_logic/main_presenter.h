// The window's reactions, the same in both windows: tracks from the command line, a drop or
// the dialogs, typing in the fields, "Remove Icons" with its question, the progress of a run,
// Stop, Bail Out and closing, and what is said at the end.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/list_run.h"
#include "window_logic/file_lookup.h"
#include "window_logic/main_view.h"
#include "window_logic/track_selection.h"

namespace quellmark {

class MainPresenter {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Show turns a path into text for the screen; Files answers what the system would; Now
    // tells the time, for the half second before a progress box shows.
    MainPresenter(MainView& View, ShowFunction Show, FileLookup Files,
                  Clock Now = std::chrono::steady_clock::now);

    // The tracks named on the command line, before the window shows, or handed over by a later
    // start. One that names no file is said to be missing once the window is on screen; any
    // others are opened. During a run they wait for its end.
    void OpenArguments(const std::vector<std::string>& Arguments);
    // The window is on screen.
    void WindowShown();

    // Tracks dropped on the window or opened from elsewhere: files are taken, folders left out.
    // Several become a list, from which folders and earlier outputs (NoIcons_…) are left out
    // and named in its summary. During a run they wait for its end.
    void OpenTracks(const std::vector<std::string>& Paths);
    void InputEdited(const std::string& Text);
    void OutputEdited(const std::string& Text);
    void InputBrowsePressed();
    void OutputBrowsePressed();
    void RemoveIconsPressed();

    // While a run goes on.
    void Tick();
    void StopPressed();
    // Called when the run's work has ended, on the window's thread.
    void WorkEnded();

    // Bail Out or the window's close: true when the window may close now; during a run, the
    // run is stopped and the window closes once it has ended.
    bool CloseAsked();

    bool IsRunning() const { return Running_ != nullptr; }
    const TrackSelection& Selection() const { return Selection_; }

  private:
    void ShowSelection();
    void StartRuns(std::vector<RunSettings> Runs);

    MainView& View_;
    ShowFunction Show_;
    FileLookup Files_;
    Clock Now_;
    TrackSelection Selection_;
    std::vector<SkippedTrack> Skipped_;
    std::optional<std::string> StartMessage_;
    bool Shown_ = false;
    std::unique_ptr<ListRun> Running_;
    std::vector<std::string> Arrived_;  // tracks handed over or dropped during the run
    std::chrono::steady_clock::time_point Started_;
    bool ProgressShown_ = false;
    bool CloseWhenEnded_ = false;
};

}  // namespace quellmark
