#include "window_logic/track_selection.h"

#include "conversion/output_name.h"

namespace quellmark {
namespace {

// A field shows the start of the list; the tooltip holds all of it.
constexpr std::size_t NamesInField = 3;

std::string Joined(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const auto& Line : Lines) {
        Text += (Text.empty() ? "" : "\n") + Line;
    }
    return Text;
}

}  // namespace

bool IsFullPath(const std::string& Path) {
#ifdef _WIN32
    return (Path.size() >= 3 && Path[1] == ':' && (Path[2] == '\\' || Path[2] == '/')) ||
           Path.rfind("\\\\", 0) == 0 || Path.rfind("//", 0) == 0;
#else
    return !Path.empty() && Path.front() == '/';
#endif
}

TrackSelection::TrackSelection(ShowFunction Show) : Show_(std::move(Show)) {}

void TrackSelection::ChooseInput(const std::string& Path) {
    List_.clear();
    InputDirectory_ = FolderPartOf(Path);
    OutputDirectory_ = InputDirectory_;
    InputName_ = FileNameOf(Path);
    OutputName_ = OutputNameFor(InputName_);
}

void TrackSelection::ChooseOutput(const std::string& Path) {
    OutputDirectory_ = FolderPartOf(Path);
    OutputName_ = FileNameOf(Path);
}

void TrackSelection::ChooseList(const std::vector<std::string>& Paths) {
    if (Paths.size() == 1) {
        ChooseInput(Paths.front());
    } else if (Paths.size() > 1) {
        List_ = Paths;
    }
}

void TrackSelection::EditInput(const std::string& Name) {
    List_.clear();
    InputName_ = Name;
}

void TrackSelection::EditOutput(const std::string& Name) {
    OutputName_ = Name;
}

std::string TrackSelection::InputPath() const {
    return IsFullPath(InputName_) ? InputName_ : InputDirectory_ + InputName_;
}

std::string TrackSelection::OutputPath() const {
    return IsFullPath(OutputName_) ? OutputName_ : OutputDirectory_ + OutputName_;
}

std::string TrackSelection::InputText() const {
    if (!IsList()) {
        return Show_(InputName_);
    }
    std::string Text = std::to_string(List_.size()) + " tracks: ";
    for (std::size_t At = 0; At < List_.size() && At < NamesInField; ++At) {
        Text += (At == 0 ? "" : ", ") + Show_(FileNameOf(List_[At]));
    }
    return Text + (List_.size() > NamesInField ? ", …" : "");
}

std::string TrackSelection::OutputText() const {
    return IsList() ? OutputNameFor("<name>") + " beside each" : Show_(OutputName_);
}

std::string TrackSelection::InputToolTip() const {
    if (!IsList()) {
        return Show_(InputPath());
    }
    std::vector<std::string> Lines;
    for (const auto& Track : List_) {
        Lines.push_back(Show_(Track));
    }
    return Joined(Lines);
}

std::string TrackSelection::OutputToolTip() const {
    if (!IsList()) {
        return Show_(OutputPath());
    }
    std::vector<std::string> Lines;
    for (const auto& Track : List_) {
        Lines.push_back(Show_(OutputPathFor(Track)));
    }
    return Joined(Lines);
}

std::vector<RunSettings> TrackSelection::Runs(IconState State, CommandType Command) const {
    if (!IsList()) {
        return {{InputPath(), OutputPath(), State, Command}};
    }
    std::vector<RunSettings> All;
    for (const auto& Track : List_) {
        All.push_back({Track, OutputPathFor(Track), State, Command});
    }
    return All;
}

}  // namespace quellmark
