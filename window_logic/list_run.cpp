#include "window_logic/list_run.h"

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
        TrackResult Result{Runs_[At].InputPath, Runs_[At].OutputPath, RunOutcome::Failed, {}};
        Result.Outcome = ConversionRun(Runs_[At], &Result.Reason, Watch);
        Results_.push_back(std::move(Result));
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

}  // namespace quellmark
