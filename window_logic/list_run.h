// A list of conversions run on the caller's thread (a worker thread in the windows), with
// progress that any thread may read and a Stop that ends the track under way at once, up to the
// moment its new file takes the output's name.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "conversion/run.h"
#include "window_logic/run_words.h"

namespace quellmark {

struct ListProgress {
    std::size_t Tracks = 0;
    std::size_t Current = 0;  // the track started last, from 0
    RunStage Stage = RunStage::Converting;
    bool Stoppable = true;         // false once the track is being put in place
    std::uint64_t BytesDone = 0;   // of every track
    std::uint64_t BytesInAll = 0;  // the sizes of every track, as they were at the start
};

class ListRun {
  public:
    explicit ListRun(std::vector<RunSettings> Runs);

    // Converts every track, until Stop. Call once.
    void Run();
    // From any thread: the track under way ends at its next step, and no other starts.
    void Stop() { StopAsked_ = true; }
    // From any thread, while Run runs.
    ListProgress Progress() const;

    std::size_t Size() const { return Runs_.size(); }
    const RunSettings& Track(std::size_t At) const { return Runs_[At]; }

    // Once Run returned: a result for every track, in their order; a track a Stop kept from
    // starting is Cancelled and not Started.
    const std::vector<TrackResult>& Results() const { return Results_; }

  private:
    bool Watch(std::size_t At, RunStage Stage, std::uint64_t Read);

    std::vector<RunSettings> Runs_;
    std::vector<std::uint64_t> Sizes_;
    std::vector<TrackResult> Results_;
    std::atomic<bool> StopAsked_{false};
    mutable std::mutex Guard_;
    ListProgress Now_;
    std::uint64_t BytesBefore_ = 0;  // of the tracks done
};

// What a progress display says: the track started last and, in a list, which of how many;
// that its new file is being flushed to disk, or that it is being put in place and can no
// longer be stopped.
std::string ProgressLabel(const ListRun& Run, const ListProgress& Now, const ShowFunction& Show);

// The share of the whole run done, in thousandths of all its bytes.
int ProgressPermille(const ListProgress& Now);

}  // namespace quellmark
