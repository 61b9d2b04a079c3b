// What the window's two track fields stand for: one track and its output, or a list of tracks
// that are each converted to NoIcons_<name> beside themselves or in a chosen folder; and the
// folders the file dialogs chose last. Paths are the system's bytes (UTF-8 on Windows); Show
// turns one into text for the screen.
#pragma once

#include <string>
#include <vector>

#include "conversion/settings.h"
#include "words/name_display.h"

namespace quellmark {

class TrackSelection {
  public:
    explicit TrackSelection(ShowFunction Show);

    // One track, from the input "Browse", a drop or the command line: its folder becomes both
    // directories, and its output is NoIcons_<name> there.
    void ChooseInput(const std::string& Path);
    // The output "Browse" chose Path for one track.
    void ChooseOutput(const std::string& Path);
    // Several tracks: "Remove Icons" converts each to NoIcons_<name> beside it.
    void ChooseList(const std::vector<std::string>& Paths);
    // The folder a list's outputs go to; empty: beside each track.
    void ChooseOutputFolder(const std::string& Folder);
    // The user typed in a field: the name as typed, in the directory chosen last unless it is
    // a full path; an empty field names no file. A list's fields take no typing.
    void EditInput(const std::string& Name);
    void EditOutput(const std::string& Name);

    bool IsList() const { return !List_.empty(); }
    const std::vector<std::string>& List() const { return List_; }
    const std::string& InputDirectory() const { return InputDirectory_; }
    const std::string& OutputDirectory() const { return OutputDirectory_; }
    // The file the dialogs open on: the one chosen last.
    const std::string& LastChosen() const { return LastChosen_; }
    // Whether the output was chosen in the save dialog, which asked before it named a file
    // that exists, and not changed since.
    bool OutputConfirmed() const { return OutputConfirmed_; }

    // What the fields show, and their tooltips: the full paths "Remove Icons" will use, at most
    // about twenty of a list's.
    std::string InputText() const;
    std::string OutputText() const;
    std::string InputToolTip() const;
    std::string OutputToolTip() const;

    // The runs "Remove Icons" starts: one per track of a list, else one.
    std::vector<RunSettings> Runs(IconState State, CommandType Command) const;

  private:
    std::string InputPath() const;
    std::string OutputPath() const;
    std::string OutputOf(const std::string& Track) const;

    ShowFunction Show_;
    std::string InputDirectory_;
    std::string OutputDirectory_;
    std::string InputName_;
    std::string OutputName_;
    std::vector<std::string> List_;
    std::string ListFolder_;
    std::string LastChosen_;
    bool OutputConfirmed_ = false;
};

}  // namespace quellmark
