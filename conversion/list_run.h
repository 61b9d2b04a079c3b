// A list of conversions: several tracks in flight at once on a small pool of threads, each
// converted the same safe way as a single run, the flush of each output folder done once for a
// handful of tracks instead of once per track; progress that any thread may read, and a Stop
// that ends every track in flight at its next step, up to the moment its new file takes the
// output's name, and starts no other. Before any track starts, a track whose output the folder
// would take for an earlier track's output, or for another track of the list, is refused; the
// pool and the folders held open for a later flush fit in the files the process may open.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "conversion/run.h"

namespace quellmark {

struct TrackResult {
    std::string Track;   // the input's path
    std::string Output;  // the output's path
    RunResult Result;
    bool Started = true;  // false: a Stop came first, and nothing was touched
};

struct ListProgress {
    std::size_t Tracks = 0;
    std::size_t Current = 0;                // the furthest track started, from 0
    RunStage Stage = RunStage::Converting;  // of that track
    bool Stoppable = true;                  // false while a single track is being put in place
    std::uint64_t BytesDone = 0;            // of every track
    std::uint64_t BytesInAll = 0;           // the sizes of every track, as they were at the start
};

// How one track of a list is converted: ConversionRun, or what a test puts in its place.
using TrackRun = std::function<RunResult(const RunSettings& Settings, const RunProgress& Progress,
                                         const ListShares& Shared)>;

class ListRun {
  public:
    // Workers is how many tracks are in flight at once; 0 sizes the pool to the machine.
    explicit ListRun(std::vector<RunSettings> Runs, std::size_t Workers = 0,
                     TrackRun Convert = ConversionRun);

    // Converts every track, until Stop; a track that reads from or writes to a standard stream
    // runs alone. Done, when given, receives each track's result in the order given, on the
    // caller's thread, once that track and every one before it is done. Call once.
    void Run(const std::function<void(std::size_t At, const TrackResult& Done)>& Done = {});
    // From any thread: the tracks in flight end at their next step, and no other starts.
    void Stop() { StopAsked_ = true; }
    // From any thread, while Run runs.
    ListProgress Progress() const;

    std::size_t Size() const { return Runs_.size(); }
    const RunSettings& Track(std::size_t At) const { return Runs_[At]; }

    // Once Run returned: a result for every track, in their order; a track a Stop kept from
    // starting is Cancelled and not Started.
    const std::vector<TrackResult>& Results() const { return Results_; }

  private:
    // Refuses the tracks that would write one file twice, or over a track of the list, and
    // returns the identities of the list's tracks.
    std::vector<FileIdentity> PlanOutputs();
    void RunBatch(std::size_t Begin, std::size_t End, LeftoverSweep& Sweep);
    void RunOne(std::size_t At, const ListShares& Shared);
    // Adds what track At has read beyond what was counted before; Guard_ held.
    void CountRead(std::size_t At, std::uint64_t Read);
    bool Watch(std::size_t At, RunStage Stage, std::uint64_t Read);

    std::vector<RunSettings> Runs_;
    std::size_t Workers_;
    TrackRun Convert_;
    std::vector<std::uint64_t> Sizes_;
    std::vector<std::uint64_t> Read_;
    std::vector<TrackResult> Results_;
    std::atomic<bool> StopAsked_{false};
    std::atomic<std::size_t> Next_{0};
    mutable std::mutex Guard_;
    ListProgress Now_;
};

// The share of the whole run done, in thousandths of all its bytes.
int ProgressPermille(const ListProgress& Now);

}  // namespace quellmark
