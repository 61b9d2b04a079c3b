// What the window's two track fields stand for: one track and its output, or a list of tracks
// that are each converted beside themselves; and the folders the file dialogs chose last.
// Paths are the system's bytes (UTF-8 on Windows); Show turns one into text for the screen.
#pragma once

#include <string>
#include <vector>

#include "conversion/settings.h"
#include "window_logic/name_display.h"

namespace quellmark {

class TrackSelection {
  public:
    explicit TrackSelection(ShowFunction Show);

    // One track, from the input "Browse", a drop or the command line: its folder becomes both
    // directories, and its output is NoIcons_<name> there.
    void ChooseInput(const std::string& Path);
    // The output "Browse" chose Path.
    void ChooseOutput(const std::string& Path);
    // Several tracks, from the command line or a drop: "Remove Icons" converts each to
    // NoIcons_<name> beside it. One track is taken as ChooseInput takes it.
    void ChooseList(const std::vector<std::string>& Paths);
    // The user typed in a field: the name as typed, in the directory chosen last unless it is
    // a full path. Typing in the input field ends a list.
    void EditInput(const std::string& Name);
    void EditOutput(const std::string& Name);

    bool IsList() const { return !List_.empty(); }
    const std::vector<std::string>& List() const { return List_; }
    const std::string& InputDirectory() const { return InputDirectory_; }
    const std::string& OutputDirectory() const { return OutputDirectory_; }

    // What the fields show, and their tooltips: the full paths "Remove Icons" will use.
    std::string InputText() const;
    std::string OutputText() const;
    std::string InputToolTip() const;
    std::string OutputToolTip() const;

    // The runs "Remove Icons" starts: one per track of a list, else one.
    std::vector<RunSettings> Runs(IconState State, CommandType Command) const;

  private:
    std::string InputPath() const;
    std::string OutputPath() const;

    ShowFunction Show_;
    std::string InputDirectory_;
    std::string OutputDirectory_;
    std::string InputName_;
    std::string OutputName_;
    std::vector<std::string> List_;
};

// Whether Path is a full path: one that does not depend on the directory chosen last.
bool IsFullPath(const std::string& Path);

}  // namespace quellmark
