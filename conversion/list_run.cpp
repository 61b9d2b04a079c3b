#include "conversion/list_run.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>
#include <unordered_map>

#include "conversion/files/output_keys.h"
#include "conversion/files/path_syntax.h"
#include "conversion/files/track_files.h"

namespace quellmark {
namespace {

// Tracks whose results wait for one flush of their folders: few enough that a result comes
// soon after its track, many enough that the flushes cost little.
constexpr std::size_t BatchSize = 64;

// Flushes wait on the disk rather than on the processor: more threads than cores, so that the
// disk takes several flushes in one go (8 measured best on two cores and a virtual disk).
std::size_t PoolSize() {
    return std::clamp<std::size_t>(4 * std::thread::hardware_concurrency(), 4, 8);
}

bool IsStream(const RunSettings& Run) {
    return Run.InputFromStandardInput || Run.OutputToStandardOutput;
}

}  // namespace

ListRun::ListRun(std::vector<RunSettings> Runs, std::size_t Workers, TrackRun Convert)
    : Runs_(std::move(Runs)),
      Workers_(Workers == 0 ? PoolSize() : Workers),
      Convert_(std::move(Convert)) {
    Now_.Tracks = Runs_.size();
    Read_.assign(Runs_.size(), 0);
    for (const auto& Each : Runs_) {
        Results_.push_back({Each.InputPath, Each.OutputPath, {}});
    }
}

std::vector<FileIdentity> ListRun::PlanOutputs() {
    OutputKeys Keys;
    std::vector<FileIdentity> Tracks;
    // Whose each key is: a track's input, or an earlier track's output.
    std::unordered_map<std::string, std::size_t> Inputs, Outputs;
    for (std::size_t At = 0; At < Runs_.size(); ++At) {
        if (Runs_[At].InputFromStandardInput) {
            continue;
        }
        std::optional<FileIdentity> Identity;
        if (const std::string Key = Keys.OfFile(Runs_[At].InputPath, &Identity); !Key.empty()) {
            Inputs.emplace(Key, At);
        }
        if (Identity) {
            Tracks.push_back(*Identity);
        }
    }
    for (std::size_t At = 0; At < Runs_.size(); ++At) {
        if (Runs_[At].OutputToStandardOutput) {
            continue;
        }
        const std::vector<std::string> Output = Keys.Of(Runs_[At].OutputPath);
        std::optional<Cause> Refused;
        for (const auto& Key : Output) {
            const auto Read = Inputs.find(Key);
            Refused = Outputs.contains(Key)                        ? Cause::WrittenTwice
                      : Read != Inputs.end() && Read->second != At ? Cause::ReadByTheList
                                                                   : Refused;
        }
        if (Refused) {
            Results_[At].Result.Failed = Failure{
                FailedStep::CreateOutput, Runs_[At].OutputPath, {}, Reason::Because(*Refused)};
            continue;
        }
        for (const auto& Key : Output) {
            Outputs.emplace(Key, At);
        }
    }
    return Tracks;
}

void ListRun::Run(const std::function<void(std::size_t, const TrackResult&)>& Done) {
    LeftoverSweep Sweep(PlanOutputs());
    for (const auto& Each : Runs_) {
        std::error_code Error;
        const auto Size = IsStream(Each)
                              ? 0
                              : std::filesystem::file_size(FilesystemPathOf(Each.InputPath), Error);
        Sizes_.push_back(Error ? 0 : Size);
        Now_.BytesInAll += Sizes_.back();
    }
    for (std::size_t Begin = 0; Begin < Runs_.size();) {
        // A stream goes alone; the others in batches.
        std::size_t End = Begin + 1;
        while (!IsStream(Runs_[Begin]) && End < Runs_.size() && End - Begin < BatchSize &&
               !IsStream(Runs_[End])) {
            ++End;
        }
        RunBatch(Begin, End, Sweep);
        for (; Begin < End; ++Begin) {
            if (Done) {
                Done(Begin, Results_[Begin]);
            }
        }
    }
}

void ListRun::RunBatch(std::size_t Begin, std::size_t End, LeftoverSweep& Sweep) {
    // No track may fail for the files the others hold open.
    const OpenRoom Room = RoomForTracks(std::min(Workers_, End - Begin));
    FolderFlushes Flushes(std::min<std::size_t>(Room.Spare, 16));
    const ListShares Shared{&Flushes, &Sweep};
    Next_ = Begin;
    const auto Work = [&] {
        for (std::size_t At; (At = Next_++) < End;) {
            RunOne(At, Shared);
        }
    };
    std::vector<std::thread> Pool;
    for (std::size_t Worker = 1; Worker < Room.Tracks; ++Worker) {
        Pool.emplace_back(Work);
    }
    Work();
    for (auto& Each : Pool) {
        Each.join();
    }
    // The names are on disk only now: a folder that could not be flushed is said of its tracks.
    Flushes.FlushAll();
    for (std::size_t At = Begin; At < End; ++At) {
        RunResult& Result = Results_[At].Result;
        if (Result.FolderFlush && Result.FolderFlush->Failed) {
            Result.NotOnDisk = Result.FolderFlush->Failed;
        }
    }
}

void ListRun::RunOne(std::size_t At, const ListShares& Shared) {
    TrackResult& Done = Results_[At];
    if (Done.Result.Failed) {
        // Refused before the list started: nothing of it is read.
        const std::lock_guard Held(Guard_);
        CountRead(At, Sizes_[At]);
        return;
    }
    if (StopAsked_) {
        Done.Started = false;
        Done.Result.Outcome = RunOutcome::Cancelled;
        return;
    }
    {
        // Tracks start in the list's order: the one shown is the furthest on, never one that
        // another thread reached a moment later.
        const std::lock_guard Held(Guard_);
        if (At >= Now_.Current) {
            Now_.Current = At;
            Now_.Stage = RunStage::Converting;
            Now_.Stoppable = true;
        }
    }
    Done.Result = Convert_(
        Runs_[At],
        [this, At](RunStage Stage, std::uint64_t Read, std::uint64_t) {
            return Watch(At, Stage, Read);
        },
        Shared);
    const std::lock_guard Held(Guard_);
    CountRead(At, Sizes_[At]);
}

void ListRun::CountRead(std::size_t At, std::uint64_t Read) {
    Read = std::min(Read, Sizes_[At]);
    Now_.BytesDone += Read - std::min(Read, Read_[At]);
    Read_[At] = std::max(Read, Read_[At]);
}

bool ListRun::Watch(std::size_t At, RunStage Stage, std::uint64_t Read) {
    const std::lock_guard Held(Guard_);
    CountRead(At, Read);
    if (At == Now_.Current) {
        Now_.Stage = Stage;
    }
    if (StopAsked_) {
        return false;
    }
    // Past this answer the earlier output is replaced: Stop can no longer keep it. In a list
    // it still keeps the tracks that have not got that far.
    if (At == Now_.Current) {
        Now_.Stoppable = Stage != RunStage::Placing || Runs_.size() > 1;
    }
    return true;
}

ListProgress ListRun::Progress() const {
    const std::lock_guard Held(Guard_);
    return Now_;
}

int ProgressPermille(const ListProgress& Now) {
    if (Now.BytesInAll == 0) {
        return Now.Tracks == 0 ? 0 : static_cast<int>(Now.Current * 1000 / Now.Tracks);
    }
    return static_cast<int>(static_cast<double>(std::min(Now.BytesDone, Now.BytesInAll)) /
                            static_cast<double>(Now.BytesInAll) * 1000);
}

}  // namespace quellmark
