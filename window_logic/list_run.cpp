#include "window_logic/list_run.h"

#include <algorithm>
#include <filesystem>

#include "conversion/output_name.h"
#include "conversion/path_syntax.h"

namespace quellmark {

ListRun::ListRun(std::vector<RunSettings> Runs) : Runs_(std::move(Runs)) {
    Now_.Tracks = Runs_.size();
}

void ListRun::Run() {
    for (const auto& Each : Runs_) {
        std::error_code Error;
        const auto Size = std::filesystem::file_size(FilesystemPathOf(Each.InputPath), Error);
        Sizes_.push_back(Error ? 0 : Size);
        Now_.BytesInAll += Sizes_.back();
    }
    for (std::size_t At = 0; At < Runs_.size(); ++At) {
        TrackResult Done{Runs_[At].InputPath, Runs_[At].OutputPath, {}};
        if (StopAsked_) {
            Done.Started = false;
            Done.Result.Outcome = RunOutcome::Cancelled;
        } else {
            {
                const std::lock_guard Held(Guard_);
                Now_.Current = At;
                Now_.Stage = RunStage::Converting;
                Now_.Stoppable = true;
            }
            Done.Result = ConversionRun(
                Runs_[At], [this, At](RunStage Stage, std::uint64_t Read, std::uint64_t) {
                    return Watch(At, Stage, Read);
                });
        }
        Results_.push_back(std::move(Done));
        const std::lock_guard Held(Guard_);
        BytesBefore_ += Sizes_[At];
        Now_.BytesDone = BytesBefore_;
    }
}

bool ListRun::Watch(std::size_t At, RunStage Stage, std::uint64_t Read) {
    const std::lock_guard Held(Guard_);
    Now_.Stage = Stage;
    Now_.BytesDone = BytesBefore_ + std::min(Read, Sizes_[At]);
    if (StopAsked_) {
        return false;
    }
    // Past this answer the earlier output is replaced: Stop can no longer keep it.
    Now_.Stoppable = Stage != RunStage::Placing;
    return true;
}

ListProgress ListRun::Progress() const {
    const std::lock_guard Held(Guard_);
    return Now_;
}

std::string ProgressLabel(const ListRun& Run, const ListProgress& Now, const ShowFunction& Show) {
    const std::string Name = FileNameOf(Run.Track(Now.Current).InputPath);
    const std::string Output = Show(FileNameOf(Run.Track(Now.Current).OutputPath));
    std::string Label = !Now.Stoppable                      ? "Putting " + Output + " in place"
                        : Now.Stage == RunStage::Converting ? "Converting " + Show(Name)
                                                            : "Saving " + Output + " to disk";
    if (Now.Tracks > 1) {
        Label += " (track " + std::to_string(Now.Current + 1) + " of " +
                 std::to_string(Now.Tracks) + ")";
    }
    return Label + "\xe2\x80\xa6";
}

int ProgressPermille(const ListProgress& Now) {
    if (Now.BytesInAll == 0) {
        return Now.Tracks == 0 ? 0 : static_cast<int>(Now.Current * 1000 / Now.Tracks);
    }
    return static_cast<int>(static_cast<double>(std::min(Now.BytesDone, Now.BytesInAll)) /
                            static_cast<double>(Now.BytesInAll) * 1000);
}

}  // namespace quellmark
