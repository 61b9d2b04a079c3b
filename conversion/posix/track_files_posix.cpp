// The file layer on Linux: descriptors opened by the kernel's resolution of each path.
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "conversion/posix/input_file.h"
#include "conversion/posix/output_file.h"
#include "conversion/posix/output_target.h"
#include "conversion/posix/same_file.h"
#include "conversion/track_file_error.h"
#include "conversion/track_files.h"

namespace quellmark {
namespace {

class PosixInputTrackFile final : public InputTrackFile {
  public:
    PosixInputTrackFile(InputTrack Track, std::string Path)
        : Track_(std::move(Track)), Path_(std::move(Path)) {}

    std::uint64_t Size() const override { return Track_.Size; }

    ReadFunction Reader() override {
        return [this](char* Buffer, std::size_t Size) {
            for (;;) {
                const auto Count = ::read(Track_.File.Get(), Buffer, Size);
                if (Count >= 0) {
                    return static_cast<std::size_t>(Count);
                }
                if (errno != EINTR) {
                    ThrowFileError("Can't read input track", Path_, errno);
                }
            }
        };
    }

    const InputTrack& Track() const { return Track_; }
    const std::string& Path() const { return Path_; }

  private:
    InputTrack Track_;
    std::string Path_;
};

class PosixOutputTrackFile final : public OutputTrackFile {
  public:
    PosixOutputTrackFile(OutputTarget Target, std::uint64_t ExpectedSize)
        : Path_(Target.Path), File_(std::move(Target), ExpectedSize) {}

    WriteFunction Writer() override {
        return [this](const WritePiece* Pieces, int Count) {
            iovec Vector[512];
            Count = std::min(Count, static_cast<int>(std::size(Vector)));
            for (int At = 0; At < Count; ++At) {
                Vector[At] = {const_cast<char*>(Pieces[At].Data), Pieces[At].Size};
            }
            for (;;) {
                const auto Written = ::writev(File_.Descriptor(), Vector, Count);
                if (Written >= 0) {
                    return static_cast<std::size_t>(Written);
                }
                if (errno != EINTR) {
                    ThrowFileError("Can't write output track", Path_, errno);
                }
            }
        };
    }

    void Commit() override { File_.Commit(); }

  private:
    std::string Path_;
    OutputFile File_;
};

}  // namespace

std::unique_ptr<InputTrackFile> OpenInputTrackFile(const std::string& Path) {
    return std::make_unique<PosixInputTrackFile>(OpenInputTrack(Path), Path);
}

std::unique_ptr<OutputTrackFile> CreateOutputTrackFile(const RunSettings& Settings,
                                                       const InputTrackFile& Input) {
    const auto& Opened = static_cast<const PosixInputTrackFile&>(Input);
    OutputTarget Target = ResolveOutputTarget(Settings.OutputPath,
                                              Settings.IfOutputExists == ExistingOutput::Replace);
    // Different names can still lead to one file (links, relative parts, /dev/fd, a folder
    // that ignores case): replacing it would destroy the input before it is read.
    if (ReplacesInput(Target, Opened.Track(), Opened.Path())) {
        return nullptr;
    }
    return std::make_unique<PosixOutputTrackFile>(std::move(Target), Input.Size());
}

}  // namespace quellmark
