#include "conversion/run.h"

#include <filesystem>

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

}  // namespace

RunOutcome ConversionRun(const RunSettings& Settings, std::string* FailureReason) {
    if (IsSameFile(Settings)) {
        return RunOutcome::SameFile;
    }
    try {
        const FileDescriptor InputFile = OpenInputTrack(Settings.InputPath);
        OutputFile Output(Settings.OutputPath);
        TrackReader Reader(InputFile.Get(), Settings.InputPath);
        TrackWriter Writer(Output.Descriptor(), Settings.OutputPath);
        TrackPass Pass(Reader, Writer);
        const RunOutcome Outcome =
            RemoveIcons(Pass, Settings.InitialIconState, Settings.ReplacementCommand);
        Writer.Flush();
        Output.Commit();
        return Outcome;
    } catch (const TrackFileError& Error) {
        if (FailureReason != nullptr) {
            *FailureReason = Error.what();
        }
        return RunOutcome::Failed;
    }
}

}  // namespace quellmark
