// Converting the tracks the command line names, several at once, with a message for each that
// did not simply finish, in the order given.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "conversion/settings.h"

namespace quellmark {

struct BatchOptions {
    IconState InitialIconState = IconState::Off;
    CommandType ReplacementCommand = CommandType::Views;
    std::string OutputPath;     // for a single track, "-" for standard output; empty: named
                                // after each track
    std::string OutputFolder;   // empty: each track's own folder
    bool Force = false;         // replace outputs that exist
    bool SkipExisting = false;  // leave outputs that exist alone, and their tracks
    bool LfLineEnds = false;    // read lines that end in LF alone as lines, written with CR LF
    bool Quiet = false;         // no warnings
    bool Verbose = false;       // a line for every finished track too, and the counts at the end
};

// The exit statuses of a call.
enum BatchStatus : int {
    AllConverted = 0,  // every track converted (or left alone as asked)
    SomeFailed = 1,    // a track failed or was refused
    SomeCopied = 3,    // none failed, but a track had no record section: its output is a copy
};

// Converts every track, one run each and several at once, writing messages to Messages as
// "<Program>: <message>" in the order of Tracks.
// "-" is standard input, converted to standard output. A track that fails never stops the
// others; a track given twice is converted once, and no output written by this call is written
// again. Returns a BatchStatus.
int ConvertTracks(const std::vector<std::string>& Tracks, const BatchOptions& Options,
                  const std::string& Program, std::ostream& Messages);

}  // namespace quellmark
