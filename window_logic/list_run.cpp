#include "window_logic/list_run.h"

#include <algorithm>

#include "conversion/output_name.h"
#include "conversion/run.h"

namespace quellmark {

ListRun::ListRun(std::vector<RunSettings> Runs) : Runs_(std::move(Runs)) {}

void ListRun::Run() {
    const RunProgress Watch = [this](std::uint64_t Read, std::uint64_t InAll) {
        BytesRead_ = Read;
        BytesInAll_ = InAll;
        return !StopAsked_;
    };
    for (std::size_t At = 0; At < Runs_.size() && !StopAsked_; ++At) {
        Track_ = At;
        BytesRead_ = 0;
        BytesInAll_ = 0;
        Results_.push_back(
            {Runs_[At].InputPath, Runs_[At].OutputPath, ConversionRun(Runs_[At], Watch)});
    }
}

ListProgress ListRun::Progress() const {
    return {Track_, Runs_.size(), BytesRead_, BytesInAll_};
}

std::vector<std::string> ListRun::NotConverted() const {
    std::vector<std::string> Left;
    for (std::size_t At = Results_.size(); At < Runs_.size(); ++At) {
        Left.push_back(Runs_[At].InputPath);
    }
    return Left;
}

std::string ProgressLabel(const ListRun& Run, const ShowFunction& Show) {
    const ListProgress Now = Run.Progress();
    const std::string Name = FileNameOf(Run.Track(Now.Track).InputPath);
    std::string Label = Now.BytesInAll > 0 && Now.BytesRead == Now.BytesInAll
                            ? "Saving " + Show(OutputNameFor(Name)) + " to disk"
                            : "Converting " + Show(Name);
    if (Now.Tracks > 1) {
        Label +=
            " (track " + std::to_string(Now.Track + 1) + " of " + std::to_string(Now.Tracks) + ")";
    }
    return Label + "\xe2\x80\xa6";
}

int ProgressPermille(const ListProgress& Now) {
    const double Within = Now.BytesInAll == 0 ? 0.0
                                              : static_cast<double>(Now.BytesRead) /
                                                    static_cast<double>(Now.BytesInAll);
    const double Done = (static_cast<double>(Now.Track) + Within) /
                        static_cast<double>(std::max<std::size_t>(Now.Tracks, 1));
    return static_cast<int>(Done * 1000);
}

TrackResult SingleResult(const ListRun& Run) {
    if (!Run.Results().empty()) {
        return Run.Results().front();
    }
    TrackResult Untouched{Run.Track(0).InputPath, Run.Track(0).OutputPath, {}};
    Untouched.Result.Outcome = RunOutcome::Cancelled;
    return Untouched;
}

}  // namespace quellmark
