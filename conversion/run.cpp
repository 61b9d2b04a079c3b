#include "conversion/run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <thread>

#include "conversion/files/track_files.h"
#include "conversion/pass/icon_removal.h"
#include "conversion/pass/line_ends.h"
#include "conversion/pass/track_pass.h"

namespace quellmark {
namespace {

// Large tracks are read and written in blocks of 1 MB; small ones need no more than their size,
// and a stream of unknown size gets 64 KB.
std::size_t BufferSizeFor(std::uint64_t InputSize) {
    if (InputSize == 0) {
        return 1 << 16;
    }
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(InputSize + 1, 4096, 1 << 20));
}

// Thrown from a read when the caller asked the run to end.
struct RunCancelled {};

// What the first block says of the track's line ends.
struct LineEnds {
    bool Seen = false;
    bool Return = false;
    bool Feed = false;
    bool FeedOnly() const { return Feed && !Return; }
};

// Reads through Read, telling Progress of every block and noting the first block's line ends.
ReadFunction WatchedReader(ReadFunction Read, const RunProgress& Progress, std::uint64_t InAll,
                           LineEnds& Ends) {
    return [Read = std::move(Read), &Progress, InAll, &Ends, Done = std::uint64_t{0}](
               char* Buffer, std::size_t Size) mutable {
        const std::size_t Count = Read(Buffer, Size);
        if (!Ends.Seen) {
            Ends.Seen = Count > 0;
            Ends.Return = std::memchr(Buffer, '\r', Count) != nullptr;
            Ends.Feed = std::memchr(Buffer, '\n', Count) != nullptr;
        }
        Done += Count;
        if (Progress && !Progress(RunStage::Converting, Done, InAll)) {
            throw RunCancelled{};
        }
        return Count;
    };
}

RunResult Convert(const RunSettings& Settings, const RunProgress& Progress,
                  const ListShares& Shared) {
    RunResult Result;
    if (Settings.InputPath == Settings.OutputPath &&
        Settings.InputFromStandardInput == Settings.OutputToStandardOutput) {
        Result.Outcome = RunOutcome::SameFile;
        return Result;
    }
    const TrackFiles Files = OpenTrackFiles(Settings, Shared.Sweep);
    if (Files.Output == nullptr) {
        Result.Outcome = RunOutcome::SameFile;
        return Result;
    }
    const std::size_t BufferSize = BufferSizeFor(Files.Input->Size());
    LineEnds Ends;
    // A long track is read ahead on a second core while the pass works on the block before.
    const bool Ahead =
        Files.Input->Size() > 4 * BufferSize && std::thread::hardware_concurrency() > 1;
    ReadFunction Read = WatchedReader(Files.Input->Reader(), Progress, Files.Input->Size(), Ends);
    if (Settings.LfLineEnds) {
        Read = LinesEndedWithCrLf(std::move(Read));
    }
    TrackReader Reader(std::move(Read), BufferSize, Ahead);
    TrackWriter Writer(Files.Output->Writer(), Settings.OutputPath, BufferSize);
    TrackPass Pass(Reader, Writer);
    const IconRemoval Removal =
        RemoveIcons(Pass, Settings.InitialIconState, Settings.ReplacementCommand);
    Writer.Flush();
    const std::uint64_t Size = Files.Input->Size();
    const CommitResult Committed = Files.Output->Commit(
        [&](RunStage Stage) { return !Progress || Progress(Stage, Size, Size); },
        Shared.FlushLater);
    if (!Committed.Placed) {
        Result.Outcome = RunOutcome::Cancelled;
        return Result;
    }
    Result.NotOnDisk = Committed.NotOnDisk;
    Result.FolderFlush = Committed.FlushLater;
    Result.Outcome = Removal.Outcome;
    Result.PairsInserted = Removal.PairsInserted;
    Result.TogglesReplaced = Removal.TogglesReplaced;
    Result.CrAdded = Settings.LfLineEnds && Ends.FeedOnly();
    if (Removal.Outcome == RunOutcome::Stopped) {
        Result.StoppedBecause = Removal.FoundRecordSection ? StopReason::PreambleCut
                                : Ends.FeedOnly()          ? StopReason::LfLineEnds
                                                           : StopReason::NoRecordSection;
    }
    return Result;
}

Failure DescribeFailure(const std::exception_ptr& Thrown, const std::string& InputPath) {
    try {
        std::rethrow_exception(Thrown);
    } catch (const TrackFileError& Error) {
        return Error.Failed();
    } catch (const std::bad_alloc&) {
        return {FailedStep::ConvertInput, InputPath, {}, Reason::Because(Cause::OutOfMemory)};
    } catch (const std::exception& Error) {
        return {FailedStep::ConvertInput, InputPath, {}, Reason::InWords(Error.what())};
    } catch (...) {
        return {FailedStep::ConvertInput, InputPath, {}, Reason::Because(Cause::Other)};
    }
}

}  // namespace

RunResult ConversionRun(const RunSettings& Settings, const RunProgress& Progress,
                        const ListShares& Shared) {
    RunResult Result;
    try {
        return Convert(Settings, Progress, Shared);
    } catch (const RunCancelled&) {
        Result.Outcome = RunOutcome::Cancelled;
    } catch (...) {
        Result.Outcome = RunOutcome::Failed;
        // Even the description may not fit in memory; the run fails all the same.
        try {
            Result.Failed = DescribeFailure(std::current_exception(), Settings.InputPath);
        } catch (...) {
            Result.Failed.reset();
        }
    }
    return Result;
}

}  // namespace quellmark
