#include "window_logic/main_presenter.h"

#include <utility>

#include "conversion/files/output_name.h"
#include "window_logic/track_arguments.h"

namespace quellmark {
namespace {

// Short runs end before a progress box would show.
constexpr std::chrono::milliseconds ProgressDelay{500};

}  // namespace

MainPresenter::MainPresenter(MainView& View, ShowFunction Show, FileLookup Files, Clock Now)
    : View_(View),
      Show_(std::move(Show)),
      Files_(std::move(Files)),
      Now_(std::move(Now)),
      Selection_(Show_) {}

void MainPresenter::OpenArguments(const std::vector<std::string>& Arguments) {
    if (Running_ != nullptr) {
        Arrived_.insert(Arrived_.end(), Arguments.begin(), Arguments.end());
        return;
    }
    const TrackArguments Read = ReadTrackArguments(Arguments, Files_);
    if (Read.Tracks.size() == 1 && !Read.Missing.empty()) {
        StartMessage_ = MissingTrackMessage(Read.Missing.front(), Show_);
        if (Shown_) {
            WindowShown();
        }
        return;
    }
    OpenTracks(Read.Tracks);
}

void MainPresenter::WindowShown() {
    Shown_ = true;
    if (StartMessage_) {
        const std::string Text = *std::exchange(StartMessage_, std::nullopt);
        View_.ShowMessage(Text);
    }
}

void MainPresenter::OpenTracks(const std::vector<std::string>& Paths) {
    if (Running_ != nullptr) {
        Arrived_.insert(Arrived_.end(), Paths.begin(), Paths.end());
        return;
    }
    std::vector<std::string> Tracks;
    std::vector<SkippedTrack> Skipped;
    for (const auto& Path : Paths) {
        if (Files_.IsFolder(Path)) {
            Skipped.push_back({Path, SkippedTrack::Why::Folder});
        } else if (Paths.size() > 1 && IsOutputName(Path)) {
            Skipped.push_back({Path, SkippedTrack::Why::AlreadyOutput});
        } else {
            Tracks.push_back(Path);
        }
    }
    if (Tracks.empty()) {
        return;
    }
    Skipped_ = Tracks.size() > 1 ? std::move(Skipped) : std::vector<SkippedTrack>{};
    Selection_.ChooseList(Tracks);
    ShowSelection();
}

void MainPresenter::InputEdited(const std::string& Text) {
    Selection_.EditInput(Text);
    ShowSelection();
}

void MainPresenter::OutputEdited(const std::string& Text) {
    Selection_.EditOutput(Text);
    ShowSelection();
}

void MainPresenter::InputBrowsePressed() {
    if (Running_ != nullptr) {
        return;
    }
    const auto Chosen = View_.AskForTracks(Selection_.LastChosen());
    if (Chosen.size() == 1) {
        Skipped_.clear();
        Selection_.ChooseInput(Chosen.front());
        ShowSelection();
    } else if (!Chosen.empty()) {
        OpenTracks(Chosen);
    }
}

void MainPresenter::OutputBrowsePressed() {
    if (Running_ != nullptr) {
        return;
    }
    if (Selection_.IsList()) {
        const std::string Folder = View_.AskForFolder(Selection_.LastChosen());
        if (!Folder.empty()) {
            Selection_.ChooseOutputFolder(Folder);
        }
    } else if (const std::string Chosen = View_.AskForOutput(Selection_.LastChosen());
               !Chosen.empty()) {
        Selection_.ChooseOutput(Chosen);
    }
    ShowSelection();
}

void MainPresenter::RemoveIconsPressed() {
    if (Running_ != nullptr) {
        return;
    }
    const auto IsChecked = [this](ControlId Option) { return View_.IsChecked(Option); };
    auto Runs = Selection_.Runs(ChosenIconState(IsChecked), ChosenCommand(IsChecked));
    if (!Selection_.IsList() &&
        (Runs.front().InputPath.empty() || Runs.front().OutputPath.empty())) {
        View_.ShowMessage(EmptyFieldMessage(Runs.front().InputPath.empty()
                                                ? ControlId::txtInputTrackFile
                                                : ControlId::txtOutputTrackFile));
        return;
    }
    // An output that exists is replaced only once the user said so: in the save dialog, or
    // here. A folder is never replaced (its track fails), so it is not asked about.
    const auto Replaced = [this](const std::string& Path) {
        return Files_.Exists(Path) && !Files_.IsFolder(Path);
    };
    const ListReport Question =
        Selection_.IsList()
            ? ListQuestion(Runs, Replaced, Show_)
            : TrackQuestion(Runs.front(), Selection_.OutputConfirmed(), Replaced, Show_);
    if (!Question.Lines.empty() && !View_.Confirm(Question)) {
        return;
    }
    StartRuns(std::move(Runs));
}

void MainPresenter::StartRuns(std::vector<RunSettings> Runs) {
    Running_ = std::make_unique<ListRun>(std::move(Runs));
    Started_ = Now_();
    ProgressShown_ = false;
    View_.StartWork([Run = Running_.get()] { Run->Run(); });
}

void MainPresenter::Tick() {
    if (Running_ == nullptr || Now_() - Started_ < ProgressDelay) {
        return;
    }
    const ListProgress Now = Running_->Progress();
    View_.ShowProgress({ProgressLabel(*Running_, Now, Show_), ProgressPermille(Now),
                        Now.Stoppable && !CloseWhenEnded_});
    ProgressShown_ = true;
}

void MainPresenter::StopPressed() {
    if (Running_ != nullptr) {
        Running_->Stop();
    }
}

bool MainPresenter::CloseAsked() {
    if (Running_ == nullptr) {
        return true;
    }
    Running_->Stop();
    CloseWhenEnded_ = true;
    return false;
}

void MainPresenter::WorkEnded() {
    const auto Finished = std::move(Running_);
    if (ProgressShown_) {
        View_.HideProgress();
    }
    if (Finished == nullptr) {
        return;
    }
    if (CloseWhenEnded_) {
        View_.Close();
        return;
    }
    if (Selection_.IsList()) {
        View_.ShowSummary(SummarizeList(Finished->Results(), Skipped_, Show_));
    } else {
        View_.ShowMessage(SingleTrackMessage(Finished->Results().front(), PlainQuotes(Show_)));
    }
    // Where the run was started, so that the next Enter starts the next one.
    View_.Focus(ControlId::cmdRemoveIcons);
    // Tracks whose lines end in LF only can be converted as the lines they are, if the user
    // wants it: asked once, for all of them.
    std::vector<RunSettings> LfRuns;
    for (std::size_t At = 0; At < Finished->Size(); ++At) {
        const RunResult& Result = Finished->Results()[At].Result;
        if (Result.Outcome == RunOutcome::Stopped &&
            Result.StoppedBecause == StopReason::LfLineEnds && !Finished->Track(At).LfLineEnds) {
            LfRuns.push_back(Finished->Track(At));
            LfRuns.back().LfLineEnds = true;
        }
    }
    if (!LfRuns.empty() && View_.Confirm(LfQuestion(LfRuns, Show_))) {
        StartRuns(std::move(LfRuns));
        return;
    }
    if (!Arrived_.empty()) {
        OpenArguments(std::exchange(Arrived_, {}));
    }
}

void MainPresenter::ShowSelection() {
    View_.ShowFields({Selection_.InputText(), Selection_.OutputText(), Selection_.InputToolTip(),
                      Selection_.OutputToolTip(), Selection_.IsList()});
}

}  // namespace quellmark
