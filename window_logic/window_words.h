// The words the windows say of a run: the message after one track, the summary of a list and
// the question before it, what the progress box says, and a track named at start that is
// missing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "conversion/list_run.h"
#include "window_logic/window_layout.h"
#include "words/run_words.h"

namespace quellmark {

// A name left out of a list, and why.
struct SkippedTrack {
    enum class Why { Folder, AlreadyOutput };
    std::string Path;
    Why Because = Why::Folder;
};

// The message after a single track in a window: "Finished Processing", the same-file text,
// the reason of a failure, or what a track without a record section and a stopped run leave
// behind.
std::string SingleTrackMessage(const TrackResult& Done, const QuoteFunction& Quote);

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

// Before a list: asks whether to convert with the options chosen, replacing the outputs for
// which Exists is true; empty Lines when none is, and then there is nothing to ask.
ListReport ListQuestion(const std::vector<RunSettings>& Runs,
                        const std::function<bool(const std::string&)>& Exists,
                        const ShowFunction& Show);

// Before a single track whose output exists and was not confirmed in the save dialog: asks
// whether to convert it with the options chosen, replacing the output; empty Lines when there
// is nothing to ask.
ListReport TrackQuestion(const RunSettings& Run, bool OutputConfirmed,
                         const std::function<bool(const std::string&)>& Exists,
                         const ShowFunction& Show);

// After a run: asks whether to convert the tracks that were not converted because their lines
// end in LF only, reading those lines as lines and writing them with CR LF.
ListReport LfQuestion(const std::vector<RunSettings>& Runs, const ShowFunction& Show);

// What a window says where Remove Icons finds the field Field empty: which field, and what
// it needs.
std::string EmptyFieldMessage(ControlId Field);

// What a window says at start of a track named on its command line that names no file, in
// the words quellmark-convert uses.
std::string MissingTrackMessage(const std::string& Track, const ShowFunction& Show);

// What a progress display says: the furthest track started and, in a list, which of how many;
// that its new file is being flushed to disk, or that it is being put in place and can no
// longer be stopped.
std::string ProgressLabel(const ListRun& Run, const ListProgress& Now, const ShowFunction& Show);

}  // namespace quellmark
