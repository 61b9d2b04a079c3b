// A conversion run: rewrites one input track into an output track that plays back with the
// object icons switched off.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "conversion/failure.h"
#include "conversion/files/folder_flushes.h"
#include "conversion/files/leftover_sweep.h"
#include "conversion/settings.h"

namespace quellmark {

// Called on the run's own thread after each block the run reads (Converting), before the new
// file is flushed to disk (Saving) and before it takes the output's name (Placing), with the
// bytes read so far and the input's size (0 when unknown); returns false to end the run there,
// with the earlier output as it was.
using RunProgress =
    std::function<bool(RunStage Stage, std::uint64_t BytesRead, std::uint64_t BytesInAll)>;

struct RunResult {
    RunOutcome Outcome = RunOutcome::Failed;
    // Why the input ended before it could be converted, for Stopped (the user's Stop is
    // Cancelled).
    StopReason StoppedBecause = StopReason::NoRecordSection;
    std::optional<Failure> Failed;  // what, for Failed
    // For Finished and Stopped: the output's folder could not be flushed to disk, so the new
    // track is in place but may not survive a crash.
    std::optional<Failure> NotOnDisk;
    // The flush of the output's folder, where a list put it off: until it is done, the track is
    // in place but its name may not survive a crash.
    std::shared_ptr<const DeferredFlush> FolderFlush;
    std::uint64_t PairsInserted = 0;    // icon-toggle pairs inserted after the preamble
    std::uint64_t TogglesReplaced = 0;  // recorded icon toggles replaced
    // With LfLineEnds: the track's lines ended in LF alone, and were written with CR LF.
    bool CrAdded = false;
};

// What the runs of one list share: the flushes of their output folders, put off to once for a
// batch of tracks (see FolderFlushes), and what the sweep of leftovers must know of the list
// (see LeftoverSweep).
struct ListShares {
    FolderFlushes* FlushLater = nullptr;
    LeftoverSweep* Sweep = nullptr;
};

// Converts Settings' input into its output. SameFile when both name the same file, as strings
// or as the system resolves them (nothing is written); Stopped when the input ends before its
// record section and preamble are through (the output then holds a copy of the input);
// Finished otherwise. Failed when a file operation fails or memory runs out: any earlier file
// at the output path is then left as it was. Cancelled when Progress asked to end: the earlier
// file is left as it was and nothing is written. Throws nothing.
RunResult ConversionRun(const RunSettings& Settings, const RunProgress& Progress = {},
                        const ListShares& Shared = {});

}  // namespace quellmark
