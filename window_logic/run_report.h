// What the window says after a run and before a list: the texts of every outcome, the summary
// of a list with its counts, and the question before outputs are replaced.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "conversion/settings.h"
#include "window_logic/track_selection.h"

namespace quellmark {

struct TrackResult {
    std::string Track;   // the input's path
    std::string Output;  // the output's path
    RunOutcome Outcome = RunOutcome::Failed;
    std::string Reason;  // the engine's message, for Failed
};

// The message after a single track: "Finished Processing", the same-file text, the reason of
// a failure, or what a track without a record section and a stopped run leave behind.
std::string SingleTrackMessage(const TrackResult& Result, const ShowFunction& Show);

// A short first line with the counts, and a line per track below it, failures first.
struct Report {
    std::string Headline;
    std::vector<std::string> Lines;
    std::size_t Failed = 0;  // the first lines that are failures
};

// After a list: every track's result, and the tracks a Stop left unconverted.
Report SummarizeList(const std::vector<TrackResult>& Results,
                     const std::vector<std::string>& NotConverted, const ShowFunction& Show);

// Before a list: asks whether to replace the outputs that exist; empty Lines when none does,
// and then there is nothing to ask.
Report ListQuestion(const std::vector<RunSettings>& Runs, const ShowFunction& Show);

// What a window says at start of a track named on its command line that names no file, in
// the words quellmark-convert uses.
std::string MissingTrackMessage(const std::string& Track, const ShowFunction& Show);

// Whether anything, even a link to nothing, has the name Path.
bool PathExists(const std::string& Path);

}  // namespace quellmark
