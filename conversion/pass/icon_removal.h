// The icon-removal steps of a run, on a track pass whose files are already open.
#pragma once

#include <cstdint>

#include "conversion/pass/track_pass.h"
#include "conversion/settings.h"

namespace quellmark {

struct IconRemoval {
    RunOutcome Outcome = RunOutcome::Finished;  // or Stopped
    bool FoundRecordSection = false;
    std::uint64_t PairsInserted = 0;
    std::uint64_t TogglesReplaced = 0;
};

// Copies the header and the preamble of the record section, inserts the toggle pairs that
// step the icons from InitialIconState to off, and replaces every later toggle line by
// Command. Stopped when the input ends before the preamble is through, else Finished.
IconRemoval RemoveIcons(TrackPass& Pass, IconState InitialIconState, CommandType Command);

}  // namespace quellmark
