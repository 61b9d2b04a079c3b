#include "cli/track_batch.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "cli/name_quoting.h"
#include "conversion/files/output_name.h"
#include "conversion/files/path_syntax.h"
#include "conversion/files/track_files.h"
#include "conversion/list_run.h"
#include "conversion/run.h"
#include "words/run_words.h"

namespace quellmark {
namespace {

const std::string StandardInput = "standard input", StandardOutput = "standard output";

enum class Result { Converted, Copied, Failed, Skipped, Repeated };

// Whether Path leads to a regular file: the one kind of file --force replaces.
bool IsRegularFile(const std::string& Path) {
    std::error_code Error;
    return std::filesystem::is_regular_file(FilesystemPathOf(Path), Error);
}

// What the call does with one TRACK: a message decided before any run, or a run.
struct Plan {
    Result Decided = Result::Failed;
    std::string Message;  // said as it is decided; empty: nothing
    std::optional<std::size_t> Run;
    bool Prefixed = false;  // left alone for its NoIcons_ prefix
};

Plan Decision(Result Decided, std::string Message) {
    return {Decided, std::move(Message), std::nullopt};
}

// Where Track's output goes: the output the options name, else NoIcons_<name> in their output
// folder or beside Track.
std::string OutputOf(const std::string& Track, const BatchOptions& Options) {
    return Options.OutputPath.empty() ? OutputPathFor(Track, Options.OutputFolder)
                                      : Options.OutputPath;
}

class Batch {
  public:
    Batch(const BatchOptions& Options, const std::string& Program, std::ostream& Messages)
        : Options_(Options), Program_(Program), Messages_(Messages) {}

    // Decides what becomes of Track: a run, or a result without one.
    void Add(const std::string& Track);
    // Runs the runs, several at once, and says what became of every track, in their order.
    std::vector<Result> Finish();

  private:
    RunSettings SettingsFor(const std::string& Track) const;
    std::optional<Plan> Refusal(const RunSettings& Run, const std::string& Track);
    Result Tally(const TrackResult& Done);
    Result TallyFailure(const TrackResult& Done);
    void Say(const std::string& Message) { Messages_ << Program_ << ": " << Message << "\n"; }

    const BatchOptions& Options_;
    const std::string& Program_;
    std::ostream& Messages_;
    std::vector<FileIdentity> Tracks_;  // converted by this call
    std::vector<Plan> Plans_;
    std::vector<RunSettings> Runs_;
};

RunSettings Batch::SettingsFor(const std::string& Track) const {
    RunSettings Run;
    Run.InputFromStandardInput = Track == "-";
    Run.OutputToStandardOutput =
        Options_.OutputPath == "-" || (Run.InputFromStandardInput && Options_.OutputPath.empty());
    Run.InputPath = Run.InputFromStandardInput ? StandardInput : Track;
    Run.OutputPath = Run.OutputToStandardOutput ? StandardOutput : OutputOf(Track, Options_);
    Run.InitialIconState = Options_.InitialIconState;
    Run.ReplacementCommand = Options_.ReplacementCommand;
    // Without --force a file that appears at the output path during the run is kept as well.
    Run.IfOutputExists = Options_.Force ? ExistingOutput::Replace : ExistingOutput::Keep;
    Run.LfLineEnds = Options_.LfLineEnds;
    return Run;
}

std::optional<Plan> Batch::Refusal(const RunSettings& Run, const std::string& Track) {
    // Like gzip with a .gz file: a second call on a folder does not convert its own outputs.
    if (!Run.InputFromStandardInput && Options_.OutputPath.empty() && IsOutputName(Track)) {
        Plan Left = Decision(Result::Skipped, Options_.Quiet
                                                  ? std::string()
                                                  : QuotedName(Track) + " already has the " +
                                                        OutputNameFor("") + " prefix -- unchanged");
        Left.Prefixed = true;
        return Left;
    }
    const auto TrackFile = Run.InputFromStandardInput ? std::nullopt : IdentityOf(Track);
    if (TrackFile && std::find(Tracks_.begin(), Tracks_.end(), *TrackFile) != Tracks_.end()) {
        return Decision(Result::Repeated, {});
    }
    if (TrackFile) {
        Tracks_.push_back(*TrackFile);
    }
    if (Run.OutputToStandardOutput) {
        return std::nullopt;
    }
    const std::string& Output = Run.OutputPath;
    if (TrackFile && IdentityOf(Output) == TrackFile) {
        return Decision(Result::Failed, QuotedName(Run.InputPath) + " and " + QuotedName(Output) +
                                            ": " + SameFileText());
    }
    if (Options_.SkipExisting && IsRegularFile(Output)) {
        return Decision(Result::Skipped, Options_.Verbose ? "output track " + QuotedName(Output) +
                                                                " exists -- left alone"
                                                          : std::string());
    }
    if (!Options_.Force && IsRegularFile(Output)) {
        return Decision(Result::Failed, "output track " + QuotedName(Output) +
                                            " already exists; use --force to replace it");
    }
    return std::nullopt;
}

void Batch::Add(const std::string& Track) {
    const RunSettings Run = SettingsFor(Track);
    if (auto Refused = Refusal(Run, Track)) {
        Plans_.push_back(std::move(*Refused));
        return;
    }
    Plans_.push_back({Result::Failed, {}, std::optional<std::size_t>(Runs_.size())});
    Runs_.push_back(Run);
}

std::vector<Result> Batch::Finish() {
    std::vector<Result> Results;
    std::size_t Said = 0;
    // A second call on a folder meets every output of the first: one line says so, unless each
    // is asked for.
    std::size_t Prefixed = 0;
    for (const auto& Each : Plans_) {
        Prefixed += Each.Prefixed && !Each.Message.empty();
    }
    const bool SayPrefixedOnce = Prefixed > 1 && !Options_.Verbose;
    for (auto& Each : Plans_) {
        if (SayPrefixedOnce && Each.Prefixed) {
            Each.Message.clear();
        }
    }
    // Every decided track up to the next run, then that run's result, in the order given.
    const auto SayDecided = [&] {
        for (; Said < Plans_.size() && !Plans_[Said].Run; ++Said) {
            if (!Plans_[Said].Message.empty()) {
                Say(Plans_[Said].Message);
            }
            Results.push_back(Plans_[Said].Decided);
        }
    };
    SayDecided();
    ListRun Runs(Runs_);
    Runs.Run([&](std::size_t, const TrackResult& Done) {
        ++Said;
        Results.push_back(Tally(Done));
        SayDecided();
    });
    SayDecided();
    if (SayPrefixedOnce) {
        Say(std::to_string(Prefixed) + " tracks already have the " + OutputNameFor("") +
            " prefix -- unchanged");
    }
    return Results;
}

Result Batch::Tally(const TrackResult& Done) {
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
                Say("warning: " + StoppedText(Done, QuotedName) +
                    (Done.Result.StoppedBecause == StopReason::LfLineEnds
                         ? "; --lf-line-ends converts it"
                         : ""));
            }
            Counted = Result::Copied;
            break;
        case RunOutcome::SameFile:
            Say(QuotedName(Done.Track) + " and " + QuotedName(Done.Output) + ": " + SameFileText());
            return Result::Failed;
        case RunOutcome::Failed:
        case RunOutcome::Cancelled:
            return TallyFailure(Done);
    }
    // The track is in place, but a script must not take it for safe on disk.
    if (Done.Result.NotOnDisk) {
        Say(NotOnDiskText(Done, QuotedName));
        return Result::Failed;
    }
    return Counted;
}

Result Batch::TallyFailure(const TrackResult& Done) {
    const auto& Failed = Done.Result.Failed;
    // An output that another program made during the run is left alone, as -n asks.
    if (Options_.SkipExisting && Failed && Failed->Step == FailedStep::CreateOutput &&
        Failed->Why.Is == Cause::Exists) {
        if (Options_.Verbose) {
            Say("output track " + QuotedName(Done.Output) + " exists -- left alone");
        }
        return Result::Skipped;
    }
    if (Failed && Failed->Why.Is == Cause::WrittenTwice) {
        Say("will not overwrite just-created " + QuotedName(Done.Output) + " with " +
            QuotedName(Done.Track));
    } else {
        Say(Failed ? FailureText(*Failed, QuotedName)
                   : "Can't convert input track " + QuotedName(Done.Track));
    }
    return Result::Failed;
}

std::string Counted(std::size_t Number, const char* What) {
    return std::to_string(Number) + " " + What;
}

}  // namespace

int ConvertTracks(const std::vector<std::string>& Tracks, const BatchOptions& Options,
                  const std::string& Program, std::ostream& Messages) {
    Batch Calls(Options, Program, Messages);
    for (const auto& Track : Tracks) {
        Calls.Add(Track);
    }
    std::size_t Converted = 0, Copied = 0, Failed = 0, Skipped = 0;
    for (const Result Each : Calls.Finish()) {
        Converted += Each == Result::Converted;
        Copied += Each == Result::Copied;
        Failed += Each == Result::Failed;
        Skipped += Each == Result::Skipped;
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
