#include "cli/track_batch.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "cli/name_quoting.h"
#include "conversion/output_name.h"
#include "conversion/run.h"
#include "conversion/track_files.h"
#include "window_logic/run_words.h"

namespace quellmark {
namespace {

const std::string StandardInput = "standard input", StandardOutput = "standard output";

enum class Result { Converted, Copied, Failed, Skipped, Repeated };

// Whether Path leads to a regular file: the one kind of file --force replaces.
bool IsRegularFile(const std::string& Path) {
    std::error_code Error;
    return std::filesystem::is_regular_file(std::u8string(Path.begin(), Path.end()), Error);
}

class Batch {
  public:
    Batch(const BatchOptions& Options, const std::string& Program, std::ostream& Messages)
        : Options_(Options), Program_(Program), Messages_(Messages) {}

    Result Convert(const std::string& Track);

  private:
    Result Report(const TrackResult& Done);
    void Say(const std::string& Message) { Messages_ << Program_ << ": " << Message << "\n"; }
    static bool Holds(const std::vector<FileIdentity>& Files,
                      const std::optional<FileIdentity>& File) {
        return File && std::find(Files.begin(), Files.end(), *File) != Files.end();
    }

    const BatchOptions& Options_;
    const std::string& Program_;
    std::ostream& Messages_;
    std::vector<FileIdentity> Tracks_;   // converted by this call
    std::vector<FileIdentity> Outputs_;  // written by this call
};

Result Batch::Convert(const std::string& Track) {
    RunSettings Run;
    Run.InputFromStandardInput = Track == "-";
    Run.OutputToStandardOutput =
        Options_.OutputPath == "-" || (Run.InputFromStandardInput && Options_.OutputPath.empty());
    Run.InputPath = Run.InputFromStandardInput ? StandardInput : Track;
    Run.OutputPath = Run.OutputToStandardOutput ? StandardOutput : OutputPathFor(Track, Options_);
    Run.InitialIconState = Options_.InitialIconState;
    Run.ReplacementCommand = Options_.ReplacementCommand;
    // Without --force a file that appears at the output path during the run is kept as well.
    Run.IfOutputExists = Options_.Force ? ExistingOutput::Replace : ExistingOutput::Keep;
    const std::string& Output = Run.OutputPath;

    // Like gzip with a .gz file: a second call on a folder does not convert its own outputs.
    if (!Run.InputFromStandardInput && Options_.OutputPath.empty() && IsOutputName(Track)) {
        if (!Options_.Quiet) {
            Say(QuotedName(Track) + " already has the " + OutputNameFor("") +
                " prefix -- unchanged");
        }
        return Result::Skipped;
    }
    const auto TrackFile = Run.InputFromStandardInput ? std::nullopt : IdentityOf(Track);
    if (Holds(Tracks_, TrackFile)) {
        return Result::Repeated;
    }
    if (TrackFile) {
        Tracks_.push_back(*TrackFile);
    }
    if (!Run.OutputToStandardOutput) {
        const auto OutputFile = IdentityOf(Output);
        if (TrackFile && OutputFile == TrackFile) {
            TrackResult Same{Run.InputPath, Output, {}};
            Same.Result.Outcome = RunOutcome::SameFile;
            return Report(Same);
        }
        if (Holds(Outputs_, OutputFile)) {
            Say("will not overwrite just-created " + QuotedName(Output) + " with " +
                QuotedName(Run.InputPath));
            return Result::Failed;
        }
        if (Options_.SkipExisting && IsRegularFile(Output)) {
            if (Options_.Verbose) {
                Say("output track " + QuotedName(Output) + " exists -- left alone");
            }
            return Result::Skipped;
        }
        if (!Options_.Force && IsRegularFile(Output)) {
            Say("output track " + QuotedName(Output) +
                " already exists; use --force to replace it");
            return Result::Failed;
        }
    }
    const TrackResult Done{Run.InputPath, Output, ConversionRun(Run)};
    const RunOutcome Outcome = Done.Result.Outcome;
    if (!Run.OutputToStandardOutput &&
        (Outcome == RunOutcome::Finished || Outcome == RunOutcome::Stopped)) {
        if (const auto Written = IdentityOf(Output)) {
            Outputs_.push_back(*Written);
        }
    }
    return Report(Done);
}

Result Batch::Report(const TrackResult& Done) {
    Result Counted = Result::Failed;
    switch (Done.Result.Outcome) {
        case RunOutcome::Finished:
            if (Options_.Verbose) {
                Say(QuotedName(Done.Track) + " -> " + QuotedName(Done.Output) + ": " +
                    ChangesText(Done.Result));
            }
            Counted = Result::Converted;
            break;
        case RunOutcome::Stopped:
            if (!Options_.Quiet) {
                Say("warning: " + StoppedText(Done, QuotedName));
            }
            Counted = Result::Copied;
            break;
        case RunOutcome::SameFile:
            Say(QuotedName(Done.Track) + " and " + QuotedName(Done.Output) + ": " + SameFileText());
            return Result::Failed;
        case RunOutcome::Failed:
        case RunOutcome::Cancelled:
            Say(Done.Result.Failed ? FailureText(*Done.Result.Failed, QuotedName)
                                   : "Can't convert input track " + QuotedName(Done.Track));
            return Result::Failed;
    }
    // The track is in place, but a script must not take it for safe on disk.
    if (Done.Result.NotOnDisk) {
        Say(NotOnDiskText(Done, QuotedName));
        return Result::Failed;
    }
    return Counted;
}

std::string Counted(std::size_t Number, const char* What) {
    return std::to_string(Number) + " " + What;
}

}  // namespace

std::string OutputPathFor(const std::string& Track, const BatchOptions& Options) {
    return Options.OutputPath.empty() ? quellmark::OutputPathFor(Track, Options.OutputFolder)
                                      : Options.OutputPath;
}

int ConvertTracks(const std::vector<std::string>& Tracks, const BatchOptions& Options,
                  const std::string& Program, std::ostream& Messages) {
    Batch Calls(Options, Program, Messages);
    std::size_t Converted = 0, Copied = 0, Failed = 0, Skipped = 0;
    for (const auto& Track : Tracks) {
        switch (Calls.Convert(Track)) {
            case Result::Converted:
                ++Converted;
                break;
            case Result::Copied:
                ++Copied;
                break;
            case Result::Failed:
                ++Failed;
                break;
            case Result::Skipped:
                ++Skipped;
                break;
            case Result::Repeated:
                break;
        }
    }
    if (Options.Verbose) {
        const std::size_t All = Converted + Copied + Failed + Skipped;
        Messages << Program << ": " << Counted(All, All == 1 ? "track" : "tracks") << ": "
                 << CountsText(Converted, Copied, Failed)
                 << (Skipped > 0 ? ", " + Counted(Skipped, "skipped") : "") << "\n";
    }
    return Failed > 0 ? SomeFailed : Copied > 0 ? SomeCopied : AllConverted;
}

}  // namespace quellmark
