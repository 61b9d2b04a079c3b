#include "conversion/run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

#include "conversion/icon_removal.h"
#include "conversion/input_file.h"
#include "conversion/output_file.h"
#include "conversion/track_file_error.h"
#include "conversion/track_pass.h"

namespace quellmark {
namespace {

bool IsSameFile(const RunSettings& Settings) {
    if (Settings.InputPath == Settings.OutputPath) {
        return true;
    }
    // Different strings can still name one file: relative parts, links, a case-insensitive
    // volume. Replacing that file would destroy the input before it is read.
    std::error_code Error;
    return std::filesystem::equivalent(Settings.InputPath, Settings.OutputPath, Error);
}

// Large tracks are read and written in blocks of 1 MB; small ones need no more than their size.
std::size_t BufferSizeFor(std::uint64_t InputSize) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(InputSize + 1, 4096, 1 << 20));
}

}  // namespace

RunOutcome ConversionRun(const RunSettings& Settings, std::string* FailureReason) {
    if (IsSameFile(Settings)) {
        return RunOutcome::SameFile;
    }
    std::string Reason;
    try {
        const InputTrack Input = OpenInputTrack(Settings.InputPath);
        OutputFile Output(Settings.OutputPath);
        const std::size_t BufferSize = BufferSizeFor(Input.Size);
        TrackReader Reader(Input.File.Get(), Settings.InputPath, BufferSize);
        TrackWriter Writer(Output.Descriptor(), Settings.OutputPath, BufferSize);
        TrackPass Pass(Reader, Writer);
        const RunOutcome Outcome =
            RemoveIcons(Pass, Settings.InitialIconState, Settings.ReplacementCommand);
        Writer.Flush();
        Output.Commit();
        return Outcome;
    } catch (const TrackFileError& Error) {
        Reason = Error.what();
    } catch (const std::bad_alloc&) {
        // A line too long to hold: the track is left alone like any other failed run.
        Reason = FileErrorText("Can't read input track", Settings.InputPath, std::strerror(ENOMEM));
    }
    if (FailureReason != nullptr) {
        *FailureReason = Reason;
    }
    return RunOutcome::Failed;
}

}  // namespace quellmark
