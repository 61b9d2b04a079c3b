#include "window_logic/track_selection.h"

#include "conversion/files/output_name.h"
#include "conversion/files/path_syntax.h"

namespace quellmark {
namespace {

// A field shows the start of the list; a tooltip no more than fits on a screen.
constexpr std::size_t NamesInField = 3;
constexpr std::size_t NamesInToolTip = 20;

std::string ToolTipOf(const std::vector<std::string>& Lines) {
    std::string Text;
    for (std::size_t At = 0; At < Lines.size() && At < NamesInToolTip; ++At) {
        Text += (Text.empty() ? "" : "\n") + Lines[At];
    }
    if (Lines.size() > NamesInToolTip) {
        Text += "\n\xe2\x80\xa6 and " + std::to_string(Lines.size() - NamesInToolTip) + " more";
    }
    return Text;
}

// The directory joined to a typed name, unless it is a full path; an empty field stays empty.
std::string Joined(const std::string& Directory, const std::string& Name) {
    return Name.empty() || IsFullPath(Name) ? Name : Directory + Name;
}

}  // namespace

TrackSelection::TrackSelection(ShowFunction Show) : Show_(std::move(Show)) {}

void TrackSelection::ChooseInput(const std::string& Path) {
    List_.clear();
    ListFolder_.clear();
    InputDirectory_ = FolderPartOf(Path);
    OutputDirectory_ = InputDirectory_;
    InputName_ = FileNameOf(Path);
    OutputName_ = OutputNameFor(InputName_);
    OutputConfirmed_ = false;
    LastChosen_ = Path;
}

void TrackSelection::ChooseOutput(const std::string& Path) {
    OutputDirectory_ = FolderPartOf(Path);
    OutputName_ = FileNameOf(Path);
    OutputConfirmed_ = true;
    LastChosen_ = Path;
}

void TrackSelection::ChooseList(const std::vector<std::string>& Paths) {
    if (Paths.size() == 1) {
        ChooseInput(Paths.front());
    } else if (Paths.size() > 1) {
        List_ = Paths;
        ListFolder_.clear();
    }
}

void TrackSelection::ChooseOutputFolder(const std::string& Folder) {
    ListFolder_ = Folder;
}

void TrackSelection::EditInput(const std::string& Name) {
    if (!IsList()) {
        InputName_ = Name;
    }
}

void TrackSelection::EditOutput(const std::string& Name) {
    if (!IsList() && Name != OutputName_) {
        OutputName_ = Name;
        OutputConfirmed_ = false;
    }
}

std::string TrackSelection::InputPath() const {
    return Joined(InputDirectory_, InputName_);
}

std::string TrackSelection::OutputPath() const {
    return Joined(OutputDirectory_, OutputName_);
}

std::string TrackSelection::OutputOf(const std::string& Track) const {
    return OutputPathFor(Track, ListFolder_);
}

std::string TrackSelection::InputText() const {
    if (!IsList()) {
        return Show_(InputName_);
    }
    std::string Text = std::to_string(List_.size()) + " tracks: ";
    for (std::size_t At = 0; At < List_.size() && At < NamesInField; ++At) {
        Text += (At == 0 ? "" : ", ") + Show_(FileNameOf(List_[At]));
    }
    return Text + (List_.size() > NamesInField ? ", \xe2\x80\xa6" : "");
}

std::string TrackSelection::OutputText() const {
    if (!IsList()) {
        return Show_(OutputName_);
    }
    return OutputNameFor("<name>") +
           (ListFolder_.empty() ? " beside each" : " in " + Show_(ListFolder_));
}

std::string TrackSelection::InputToolTip() const {
    if (!IsList()) {
        return Show_(InputPath());
    }
    std::vector<std::string> Lines;
    for (const auto& Track : List_) {
        Lines.push_back(Show_(Track));
    }
    return ToolTipOf(Lines);
}

std::string TrackSelection::OutputToolTip() const {
    if (!IsList()) {
        return Show_(OutputPath());
    }
    std::vector<std::string> Lines;
    for (const auto& Track : List_) {
        Lines.push_back(Show_(OutputOf(Track)));
    }
    return ToolTipOf(Lines);
}

std::vector<RunSettings> TrackSelection::Runs(IconState State, CommandType Command) const {
    if (!IsList()) {
        return {{InputPath(), OutputPath(), State, Command}};
    }
    std::vector<RunSettings> All;
    for (const auto& Track : List_) {
        All.push_back({Track, OutputOf(Track), State, Command});
    }
    return All;
}

}  // namespace quellmark
