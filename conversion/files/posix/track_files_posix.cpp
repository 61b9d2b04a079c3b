// The file layer on Linux: descriptors opened by the kernel's resolution of each path, and the
// standard streams as they were given.
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "conversion/files/posix/input_file.h"
#include "conversion/files/posix/interrupt_cleanup.h"
#include "conversion/files/posix/output_file.h"
#include "conversion/files/posix/output_target.h"
#include "conversion/files/posix/same_file.h"
#include "conversion/files/system_error_text.h"
#include "conversion/files/track_files.h"

namespace quellmark {
namespace {

ReadFunction DescriptorReader(int Descriptor, const std::string& Path) {
    return [Descriptor, &Path](char* Buffer, std::size_t Size) {
        for (;;) {
            const auto Count = ::read(Descriptor, Buffer, Size);
            if (Count >= 0) {
                return static_cast<std::size_t>(Count);
            }
            if (errno != EINTR) {
                ThrowSystemError(FailedStep::ReadInput, Path, errno);
            }
        }
    };
}

WriteFunction DescriptorWriter(int Descriptor, const std::string& Path) {
    return [Descriptor, &Path](const WritePiece* Pieces, int Count) {
        iovec Vector[512];
        Count = std::min(Count, static_cast<int>(std::size(Vector)));
        for (int At = 0; At < Count; ++At) {
            Vector[At] = {const_cast<char*>(Pieces[At].Data), Pieces[At].Size};
        }
        for (;;) {
            const auto Written = ::writev(Descriptor, Vector, Count);
            if (Written >= 0) {
                return static_cast<std::size_t>(Written);
            }
            if (errno != EINTR) {
                ThrowSystemError(FailedStep::WriteOutput, Path, errno);
            }
        }
    };
}

// The identity of a standard stream that is a regular file; none for a pipe or a terminal.
std::optional<FileIdentity> RegularFileAt(int Descriptor) {
    struct stat Status {};
    if (::fstat(Descriptor, &Status) != 0 || !S_ISREG(Status.st_mode)) {
        return std::nullopt;
    }
    return IdentityOf(Status);
}

// The input lives as long as the run, and so does its hold on the signals that end it.
using SignalHold = std::unique_ptr<RunSignalsHeld>;

class PosixInputTrackFile final : public InputTrackFile {
  public:
    PosixInputTrackFile(InputTrack Track, std::string Path, SignalHold Held)
        : Held_(std::move(Held)), Track_(std::move(Track)), Path_(std::move(Path)) {}
    std::uint64_t Size() const override { return Track_.Size; }
    ReadFunction Reader() override { return DescriptorReader(Track_.File.Get(), Path_); }

  private:
    SignalHold Held_;
    InputTrack Track_;
    std::string Path_;
};

// Standard input, read as it comes.
class StandardInputTrackFile final : public InputTrackFile {
  public:
    StandardInputTrackFile(std::string Name, SignalHold Held)
        : Held_(std::move(Held)), Name_(std::move(Name)) {
        struct stat Status {};
        if (::fstat(STDIN_FILENO, &Status) == 0 && S_ISREG(Status.st_mode)) {
            Size_ = static_cast<std::uint64_t>(Status.st_size);
        }
    }
    std::uint64_t Size() const override { return Size_; }
    ReadFunction Reader() override { return DescriptorReader(STDIN_FILENO, Name_); }

  private:
    SignalHold Held_;
    std::string Name_;
    std::uint64_t Size_ = 0;
};

class PosixOutputTrackFile final : public OutputTrackFile {
  public:
    PosixOutputTrackFile(OutputTarget Target, std::uint64_t ExpectedSize,
                         const std::optional<FileIdentity>& Input, LeftoverSweep* Sweep)
        : Path_(Target.Path), File_(std::move(Target), ExpectedSize, Input, Sweep) {}
    WriteFunction Writer() override { return DescriptorWriter(File_.Descriptor(), Path_); }
    CommitResult Commit(const CommitGate& GoOn, FolderFlushes* Later) override {
        return File_.Commit(GoOn, Later);
    }

  private:
    std::string Path_;
    OutputFile File_;
};

// Standard output, written as the track comes: nothing to put in place.
class StandardOutputTrackFile final : public OutputTrackFile {
  public:
    explicit StandardOutputTrackFile(std::string Name) : Name_(std::move(Name)) {}
    WriteFunction Writer() override { return DescriptorWriter(STDOUT_FILENO, Name_); }
    CommitResult Commit(const CommitGate&, FolderFlushes*) override {
        return {true, std::nullopt, nullptr};
    }

  private:
    std::string Name_;
};

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) != 0) {
        return std::nullopt;
    }
    return IdentityOf(Status);
}

TrackFiles OpenTrackFiles(const RunSettings& Settings, LeftoverSweep* Sweep) {
    TrackFiles Files;
    // Held from before the input's open, which can hang on a dead network folder too.
    auto Held = std::make_unique<RunSignalsHeld>();
    std::optional<FileIdentity> InputIdentity;
    InputTrack Track;
    if (Settings.InputFromStandardInput) {
        Files.Input = std::make_unique<StandardInputTrackFile>(Settings.InputPath, std::move(Held));
        InputIdentity = RegularFileAt(STDIN_FILENO);
    } else {
        Track = OpenInputTrack(Settings.InputPath);
        InputIdentity = Track.Identity;
    }
    const std::uint64_t Size = Settings.InputFromStandardInput ? Files.Input->Size() : Track.Size;
    if (Settings.OutputToStandardOutput) {
        // Appending to the input would read back what was just written, without end.
        if (InputIdentity && RegularFileAt(STDOUT_FILENO) == InputIdentity) {
            return {};
        }
        Files.Output = std::make_unique<StandardOutputTrackFile>(Settings.OutputPath);
    } else {
        OutputTarget Target = ResolveOutputTarget(
            Settings.OutputPath, Settings.IfOutputExists == ExistingOutput::Replace);
        // Different names can still lead to one file (links, relative parts, /dev/fd, a folder
        // that ignores case): replacing it would destroy the input before it is read.
        const bool ReplacesTheInput =
            Settings.InputFromStandardInput
                ? Target.Existing.IsOpen() && InputIdentity == Target.ExistingIdentity
                : ReplacesInput(Target, Track, Settings.InputPath);
        if (ReplacesTheInput) {
            return {};
        }
        Files.Output =
            std::make_unique<PosixOutputTrackFile>(std::move(Target), Size, InputIdentity, Sweep);
    }
    if (!Settings.InputFromStandardInput) {
        Files.Input = std::make_unique<PosixInputTrackFile>(std::move(Track), Settings.InputPath,
                                                            std::move(Held));
    }
    return Files;
}

}  // namespace quellmark
