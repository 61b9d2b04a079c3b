// Every word the program says of a run: a failure, a single track's outcome, the summary of a
// list and the question before it. The command line and both windows say it alike; they only
// differ in how a name is shown.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "conversion/failure.h"
#include "conversion/run.h"
#include "window_logic/name_display.h"

namespace quellmark {

// The name between single quotes, as the windows show it.
QuoteFunction PlainQuotes(const ShowFunction& Show);

struct TrackResult {
    std::string Track;   // the input's path
    std::string Output;  // the output's path
    RunResult Result;
    bool Started = true;  // false: a Stop came first, and nothing was touched
};

// A name left out of a list, and why.
struct SkippedTrack {
    enum class Why { Folder, AlreadyOutput };
    std::string Path;
    Why Because = Why::Folder;
};

// "<what was being done> '<track>'[ in folder '<folder>']: <reason>".
std::string FailureText(const Failure& Failed, const QuoteFunction& Quote);
std::string ReasonText(const Reason& Why);

// What a track that Stopped left: why it was not converted, and that its output is a copy.
std::string StoppedText(const TrackResult& Done, const QuoteFunction& Quote);

// What a finished track changed: how many recorded toggles were replaced and how many pairs
// were inserted.
std::string ChangesText(const RunResult& Result);

// What a track whose folder could not be flushed left: the new output in place, perhaps not for
// good.
std::string NotOnDiskText(const TrackResult& Done, const QuoteFunction& Quote);

// The message after a single track in a window: "Finished Processing", the same-file text,
// the reason of a failure, or what a track without a record section and a stopped run leave
// behind.
std::string SingleTrackMessage(const TrackResult& Done, const QuoteFunction& Quote);

// The text of a refusal to write a track over itself.
std::string SameFileText();

// "N converted, N not converted (copied with the icons still on), N failed", the counts both the
// command line and the windows give.
std::string CountsText(std::size_t Converted, std::size_t Copied, std::size_t Failed);

// A short first line with the counts, and a line per track below it, failures first.
struct ListReport {
    std::string Headline;
    std::vector<std::string> Lines;
    // The first failures, to be shown in sight with a warning sign, each marked so that a reason
    // that wraps is not taken for the next track; then how many more the lines hold.
    std::vector<std::string> InSight;
};

// After a list: every track's result, and the names left out of it.
ListReport SummarizeList(const std::vector<TrackResult>& Results,
                         const std::vector<SkippedTrack>& Skipped, const ShowFunction& Show);

// Before a list: asks whether to convert with the options chosen, replacing the outputs that
// exist; empty Lines when none does, and then there is nothing to ask.
ListReport ListQuestion(const std::vector<RunSettings>& Runs,
                        const std::function<bool(const std::string&)>& Exists,
                        const ShowFunction& Show);

// What a window says at start of a track named on its command line that names no file, in
// the words quellmark-convert uses.
std::string MissingTrackMessage(const std::string& Track, const ShowFunction& Show);

}  // namespace quellmark
