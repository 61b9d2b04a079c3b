// A list of conversions run one after another on the caller's thread (a worker thread in the
// windows), with progress that any thread may read and a Stop that ends the current track at
// once.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/settings.h"
#include "window_logic/run_words.h"

namespace quellmark {

struct ListProgress {
    std::size_t Track = 0;  // the one being converted, from 0
    std::size_t Tracks = 0;
    std::uint64_t BytesRead = 0;  // of the current track
    std::uint64_t BytesInAll = 0;
};

class ListRun {
  public:
    explicit ListRun(std::vector<RunSettings> Runs);

    // Converts every track, until Stop. Call once.
    void Run();
    // From any thread: the current track ends at its next block, and no other starts.
    void Stop() { StopAsked_ = true; }
    // From any thread, while Run runs.
    ListProgress Progress() const;

    const RunSettings& Track(std::size_t At) const { return Runs_[At]; }

    // Once Run returned.
    const std::vector<TrackResult>& Results() const { return Results_; }
    std::vector<std::string> NotConverted() const;

  private:
    std::vector<RunSettings> Runs_;
    std::vector<TrackResult> Results_;
    std::atomic<bool> StopAsked_{false};
    std::atomic<std::size_t> Track_{0};
    std::atomic<std::uint64_t> BytesRead_{0};
    std::atomic<std::uint64_t> BytesInAll_{0};
};

// What a progress display says of Run now: the track and, in a list, which of how many; once
// every byte of a track is read, that the disk is being waited for. Any thread.
std::string ProgressLabel(const ListRun& Run, const ShowFunction& Show);

// The share of the whole run done, in thousandths, bytes within a track and tracks in a list.
int ProgressPermille(const ListProgress& Now);

// The result of a run of one track, once Run returned: a track stopped before it began was not
// touched either.
TrackResult SingleResult(const ListRun& Run);

}  // namespace quellmark
