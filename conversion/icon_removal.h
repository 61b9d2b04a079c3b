// The icon-removal steps of a run, on a track pass whose files are already open.
#pragma once

#include "conversion/settings.h"
#include "conversion/track_pass.h"

namespace quellmark {

// Copies the header and the preamble of the record section, inserts the toggle pairs that
// step the icons from InitialIconState to off, and replaces every later toggle line by
// Command. Stopped when the input ends before the preamble is through, else Finished.
RunOutcome RemoveIcons(TrackPass& Pass, IconState InitialIconState, CommandType Command);

}  // namespace quellmark
