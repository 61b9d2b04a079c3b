#include "conversion/pass/track_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "conversion/failure.h"

namespace quellmark {
namespace {

constexpr std::size_t MaxPieces = 512;  // well below any system's limit on gathered writes

}  // namespace

TrackWriter::TrackWriter(WriteFunction Write, std::string Path, std::size_t BufferSize)
    : Write_(std::move(Write)),
      Path_(std::move(Path)),
      Buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(BufferSize, 2))),
      BufferSize_(std::max<std::size_t>(BufferSize, 2)) {}

void TrackWriter::WriteLine(std::string_view Line) {
    WriteRaw(Line);
    WriteRaw("\r\n");
}

void TrackWriter::WriteRaw(std::string_view Bytes) {
    while (!Bytes.empty()) {
        if (Used_ == BufferSize_ || Pending_.size() == MaxPieces) {
            Flush();
        }
        const auto Size = std::min(Bytes.size(), BufferSize_ - Used_);
        std::memcpy(Buffer_.get() + Used_, Bytes.data(), Size);
        Append(Buffer_.get() + Used_, Size);
        Used_ += Size;
        Bytes.remove_prefix(Size);
    }
}

void TrackWriter::WriteBorrowed(std::string_view Bytes) {
    if (Bytes.empty()) {
        return;
    }
    if (Pending_.size() == MaxPieces) {
        Flush();
    }
    Append(Bytes.data(), Bytes.size());
    if (PendingBytes_ >= BufferSize_) {
        Flush();
    }
}

// The caller makes sure that a piece can be added.
void TrackWriter::Append(const char* Data, std::size_t Size) {
    // Bytes that follow on from the last piece extend it.
    if (!Pending_.empty() && Pending_.back().Data + Pending_.back().Size == Data) {
        Pending_.back().Size += Size;
    } else {
        Pending_.push_back({Data, Size});
    }
    PendingBytes_ += Size;
}

void TrackWriter::Flush() {
    std::size_t First = 0;
    while (First < Pending_.size()) {
        const auto Count = static_cast<int>(std::min(Pending_.size() - First, MaxPieces));
        const auto Written = Write_(&Pending_[First], Count);
        // A short write is followed by another, which reports the reason; one that takes
        // nothing means the disk is full, as gnulib's full_write says.
        if (Written == 0) {
            ThrowFailure(FailedStep::WriteOutput, Path_, Reason::Because(Cause::NoSpace));
        }
        for (auto Left = Written; Left > 0;) {
            auto& Piece = Pending_[First];
            const auto Taken = std::min(Left, Piece.Size);
            Piece.Data += Taken;
            Piece.Size -= Taken;
            Left -= Taken;
            if (Piece.Size == 0) {
                ++First;
            }
        }
    }
    Pending_.clear();
    PendingBytes_ = 0;
    Used_ = 0;
}

}  // namespace quellmark
