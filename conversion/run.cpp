#include "conversion/run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

#include "conversion/icon_removal.h"
#include "conversion/track_file_error.h"
#include "conversion/track_files.h"
#include "conversion/track_pass.h"

namespace quellmark {
namespace {

// Large tracks are read and written in blocks of 1 MB; small ones need no more than their size.
std::size_t BufferSizeFor(std::uint64_t InputSize) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(InputSize + 1, 4096, 1 << 20));
}

// Thrown from a read when the caller asked the run to end.
struct RunCancelled {};

// Reads through Read, telling Progress of every block.
ReadFunction WatchedReader(ReadFunction Read, const RunProgress& Progress, std::uint64_t InAll) {
    if (!Progress) {
        return Read;
    }
    return [Read = std::move(Read), &Progress, InAll, Done = std::uint64_t{0}](
               char* Buffer, std::size_t Size) mutable {
        const std::size_t Count = Read(Buffer, Size);
        Done += Count;
        if (!Progress(Done, InAll)) {
            throw RunCancelled{};
        }
        return Count;
    };
}

RunOutcome Convert(const RunSettings& Settings, const RunProgress& Progress) {
    if (Settings.InputPath == Settings.OutputPath) {
        return RunOutcome::SameFile;
    }
    const auto Input = OpenInputTrackFile(Settings.InputPath);
    const auto Output = CreateOutputTrackFile(Settings, *Input);
    if (Output == nullptr) {
        return RunOutcome::SameFile;
    }
    const std::size_t BufferSize = BufferSizeFor(Input->Size());
    TrackReader Reader(WatchedReader(Input->Reader(), Progress, Input->Size()), BufferSize);
    TrackWriter Writer(Output->Writer(), Settings.OutputPath, BufferSize);
    TrackPass Pass(Reader, Writer);
    const RunOutcome Outcome =
        RemoveIcons(Pass, Settings.InitialIconState, Settings.ReplacementCommand);
    Writer.Flush();
    Output->Commit();
    return Outcome;
}

std::string DescribeFailure(const std::exception_ptr& Failure, const std::string& InputPath) {
    try {
        std::rethrow_exception(Failure);
    } catch (const TrackFileError& Error) {
        return Error.what();
    } catch (const std::bad_alloc&) {
        return FileErrorText("Can't convert input track", InputPath, std::strerror(ENOMEM));
    } catch (const std::exception& Error) {
        return FileErrorText("Can't convert input track", InputPath, Error.what());
    } catch (...) {
        return FileErrorText("Can't convert input track", InputPath, "Unknown failure");
    }
}

// Runs Work, turning every failure into Failed with its message.
template <typename Action>
RunOutcome Guarded(Action&& Work, const std::string& InputPath, std::string* FailureReason) {
    try {
        return Work();
    } catch (const RunCancelled&) {
        return RunOutcome::Cancelled;
    } catch (...) {
        if (FailureReason != nullptr) {
            // Even the message may not fit in memory; the run fails all the same.
            try {
                *FailureReason = DescribeFailure(std::current_exception(), InputPath);
            } catch (...) {
                FailureReason->clear();
            }
        }
    }
    return RunOutcome::Failed;
}

}  // namespace

RunOutcome ConversionRun(const RunSettings& Settings, std::string* FailureReason,
                         const RunProgress& Progress) {
    return Guarded([&] { return Convert(Settings, Progress); }, Settings.InputPath, FailureReason);
}

RunOutcome ConvertStream(const ReadFunction& Read, const WriteFunction& Write, IconState State,
                         CommandType Command, const std::string& InputName,
                         const std::string& OutputName, std::string* FailureReason) {
    return Guarded(
        [&] {
            TrackReader Reader(Read, 1 << 16);
            TrackWriter Writer(Write, OutputName, 1 << 16);
            TrackPass Pass(Reader, Writer);
            const RunOutcome Outcome = RemoveIcons(Pass, State, Command);
            Writer.Flush();
            return Outcome;
        },
        InputName, FailureReason);
}

}  // namespace quellmark
