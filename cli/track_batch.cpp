#include "cli/track_batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "cli/file_key.h"
#include "cli/name_quoting.h"
#include "conversion/output_name.h"
#include "conversion/run.h"
#include "conversion/track_file_error.h"

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
    Result ConvertToStandardOutput(const std::string& Track);
    Result Report(RunOutcome Outcome, const std::string& Track, const std::string& Output,
                  const std::string& Reason);
    void Say(const std::string& Message, const std::vector<std::string>& Names = {}) {
        Messages_ << Program_ << ": " << SafeMessage(Message, Names) << "\n";
    }
    static bool Holds(const std::vector<FileKey>& Keys, const std::optional<FileKey>& Key) {
        return Key && std::find(Keys.begin(), Keys.end(), *Key) != Keys.end();
    }

    const BatchOptions& Options_;
    const std::string& Program_;
    std::ostream& Messages_;
    std::vector<FileKey> Tracks_;   // converted by this call
    std::vector<FileKey> Outputs_;  // written by this call
};

Result Batch::Convert(const std::string& Track) {
    if (Track == "-" || Options_.OutputPath == "-") {
        return ConvertToStandardOutput(Track);
    }
    // Like gzip with a .gz file: a second call on a folder does not convert its own outputs.
    if (Options_.OutputPath.empty() && FileNameOf(Track).rfind(OutputNameFor(""), 0) == 0) {
        if (!Options_.Quiet) {
            Say(QuotedName(Track) + " already has the " + OutputNameFor("") +
                " prefix -- unchanged");
        }
        return Result::Skipped;
    }
    const auto TrackKey = FileKeyOf(Track);
    if (Holds(Tracks_, TrackKey)) {
        return Result::Repeated;
    }
    if (TrackKey) {
        Tracks_.push_back(*TrackKey);
    }
    const std::string Output = OutputPathFor(Track, Options_);
    const auto OutputKey = FileKeyOf(Output);
    if (TrackKey && OutputKey == TrackKey) {
        return Report(RunOutcome::SameFile, Track, Output, {});
    }
    if (Holds(Outputs_, OutputKey)) {
        Say("will not overwrite just-created " + QuotedName(Output) + " with " + QuotedName(Track));
        return Result::Failed;
    }
    if (!Options_.Force && IsRegularFile(Output)) {
        Say("output track " + QuotedName(Output) + " already exists; use --force to replace it");
        return Result::Failed;
    }
    std::string Reason;
    // Without --force a file that appears at the output path during the run is kept as well.
    const auto IfExists = Options_.Force ? ExistingOutput::Replace : ExistingOutput::Keep;
    const RunOutcome Outcome = ConversionRun(
        {Track, Output, Options_.InitialIconState, Options_.ReplacementCommand, IfExists}, &Reason);
    if (Outcome == RunOutcome::Finished || Outcome == RunOutcome::Stopped) {
        if (const auto Written = FileKeyOf(Output)) {
            Outputs_.push_back(*Written);
        }
    }
    return Report(Outcome, Track, Output, Reason);
}

// Standard input, or a track, converted to standard output: a stream, written as it comes.
Result Batch::ConvertToStandardOutput(const std::string& Track) {
    const bool FromInput = Track == "-";
    const std::string Name = FromInput ? StandardInput : Track;
    std::FILE* Input = FromInput ? stdin : std::fopen(Track.c_str(), "rb");
    if (Input == nullptr) {
        Say("Can't open input track " + QuotedName(Track) + ": " + std::strerror(errno));
        return Result::Failed;
    }
    const auto Read = [Input, &Name](char* Buffer, std::size_t Size) {
        const std::size_t Count = std::fread(Buffer, 1, Size, Input);
        if (Count == 0 && std::ferror(Input)) {
            ThrowFileError("Can't read input track", Name, errno);
        }
        return Count;
    };
    const auto Write = [](const WritePiece* Pieces, int Count) {
        std::size_t Written = 0;
        for (int At = 0; At < Count; ++At) {
            const std::size_t Done = std::fwrite(Pieces[At].Data, 1, Pieces[At].Size, stdout);
            Written += Done;
            if (Done < Pieces[At].Size) {
                ThrowFileError("Can't write output track", StandardOutput, errno);
            }
        }
        return Written;
    };
    std::string Reason;
    RunOutcome Outcome = ConvertStream(Read, Write, Options_.InitialIconState,
                                       Options_.ReplacementCommand, Name, StandardOutput, &Reason);
    if (Outcome != RunOutcome::Failed && std::fflush(stdout) != 0) {
        Outcome = RunOutcome::Failed;
        Reason = "Can't write output track '" + StandardOutput + "': " + std::strerror(errno);
    }
    if (!FromInput) {
        std::fclose(Input);
    }
    return Report(Outcome, Name, StandardOutput, Reason);
}

Result Batch::Report(RunOutcome Outcome, const std::string& Track, const std::string& Output,
                     const std::string& Reason) {
    switch (Outcome) {
        case RunOutcome::Finished:
            if (Options_.Verbose) {
                Say(QuotedName(Track) + " -> " + QuotedName(Output));
            }
            return Result::Converted;
        case RunOutcome::Stopped:
            if (!Options_.Quiet) {
                Say("warning: " + QuotedName(Track) +
                    " has no record section, or it ends within 20 lines; " + QuotedName(Output) +
                    " is a copy, line ends as CR LF, with the icons still on");
            }
            return Result::Copied;
        case RunOutcome::SameFile:
            Say(QuotedName(Track) + " and " + QuotedName(Output) +
                ": Input and Output Files Can't Be The Same File");
            return Result::Failed;
        case RunOutcome::Failed:
        case RunOutcome::Cancelled:
            break;
    }
    Say(Reason, {Track, Output});
    return Result::Failed;
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
                 << Counted(Converted, "converted") << ", " << Counted(Copied, "copied unchanged")
                 << ", " << Counted(Failed, "failed")
                 << (Skipped > 0 ? ", " + Counted(Skipped, "skipped") : "") << "\n";
    }
    return Failed > 0 ? SomeFailed : Copied > 0 ? SomeCopied : AllConverted;
}

}  // namespace quellmark
