// What a conversion run is asked to do and how it ended: shared by the engine, the steps of a
// run and every front end.
#pragma once

#include <string>

namespace quellmark {

// The icon display state in which the recording starts.
enum class IconState { Off, Full, Medium, Low };
// The command that replaces each recorded icon toggle.
enum class CommandType { Views = 0, TimeCompression = 1, UseNullCommand = 2 };
// Stopped: the input ended before its record section was through, and the output is a copy of
// it (the first version's word for it); Cancelled: the user's Stop, or the caller's, ended the
// run, and nothing was written.
enum class RunOutcome { SameFile, Finished, Stopped, Failed, Cancelled };
// Why a run Stopped: no line opens a record section (as in a track whose lines end in LF alone,
// which is one long line), or the section ends within its 20-line preamble.
enum class StopReason { NoRecordSection, LfLineEnds, PreambleCut };
// Where a run is: converting the track, then making the new file durable on disk, then putting
// it in place of any earlier output. Once it is being put in place it can no longer be stopped.
enum class RunStage { Converting, Saving, Placing };
// What becomes of a file found at the output path, up to the moment the output takes its name.
enum class ExistingOutput { Replace, Keep };

struct RunSettings {
    std::string InputPath;  // with InputFromStandardInput, the name used in messages
    std::string OutputPath;
    IconState InitialIconState = IconState::Off;
    CommandType ReplacementCommand = CommandType::Views;
    ExistingOutput IfOutputExists = ExistingOutput::Replace;
    // The track comes from standard input, or goes to standard output, as a stream.
    bool InputFromStandardInput = false;
    bool OutputToStandardOutput = false;
    // Lines that end in LF alone are read as lines, and written with CR LF. Off, a track whose
    // lines all end in LF is one long line, as the track's reading rule has it.
    bool LfLineEnds = false;
};

}  // namespace quellmark
