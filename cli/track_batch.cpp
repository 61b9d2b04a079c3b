#include "cli/track_batch.h"

#include <filesystem>

#include "conversion/output_name.h"
#include "conversion/run.h"

namespace quellmark {
namespace {

// Whether anything, even a link to nothing, has that name.
bool Exists(const std::string& Path) {
    std::error_code Error;
    const auto Status =
        std::filesystem::symlink_status(std::u8string(Path.begin(), Path.end()), Error);
    return std::filesystem::exists(Status) || Status.type() == std::filesystem::file_type::symlink;
}

std::string Quoted(const std::string& Path) {
    return "'" + Path + "'";
}

// Runs one track; true when it finished.
bool ConvertTrack(const std::string& Track, const BatchOptions& Options, const std::string& Program,
                  std::ostream& Messages) {
    const std::string Output = OutputPathFor(Track, Options);
    if (!Options.Force && Exists(Output)) {
        Messages << Program << ": output track " << Quoted(Output)
                 << " already exists; use --force to replace it\n";
        return false;
    }
    std::string Reason;
    // Without --force a file that appears at the output path during the run is kept as well.
    const auto IfExists = Options.Force ? ExistingOutput::Replace : ExistingOutput::Keep;
    switch (ConversionRun(
        {Track, Output, Options.InitialIconState, Options.ReplacementCommand, IfExists}, &Reason)) {
        case RunOutcome::Finished:
            if (Options.Verbose) {
                Messages << Program << ": " << Quoted(Track) << " -> " << Quoted(Output) << "\n";
            }
            return true;
        case RunOutcome::Stopped:
            if (!Options.Quiet) {
                Messages << Program << ": warning: " << Quoted(Track)
                         << " has no record section, or it ends within 20 lines; " << Quoted(Output)
                         << " is an unchanged copy\n";
            }
            return false;
        case RunOutcome::SameFile:
            Messages << Program << ": " << Quoted(Track) << " and " << Quoted(Output)
                     << ": Input and Output Files Can't Be The Same File\n";
            return false;
        case RunOutcome::Failed:
        case RunOutcome::Cancelled:
            break;
    }
    Messages << Program << ": " << Reason << "\n";
    return false;
}

}  // namespace

std::string OutputPathFor(const std::string& Track, const BatchOptions& Options) {
    return Options.OutputPath.empty() ? quellmark::OutputPathFor(Track, Options.OutputFolder)
                                      : Options.OutputPath;
}

int ConvertTracks(const std::vector<std::string>& Tracks, const BatchOptions& Options,
                  const std::string& Program, std::ostream& Messages) {
    bool AllFinished = true;
    for (const auto& Track : Tracks) {
        AllFinished = ConvertTrack(Track, Options, Program, Messages) && AllFinished;
    }
    return AllFinished ? 0 : 1;
}

}  // namespace quellmark
