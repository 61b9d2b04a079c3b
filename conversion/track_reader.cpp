#include "conversion/track_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "conversion/track_file_error.h"

namespace quellmark {

TrackReader::TrackReader(int Descriptor, std::string Path, std::size_t BlockSize)
    : Descriptor_(Descriptor), Path_(std::move(Path)), Block_(BlockSize) {}

bool TrackReader::Exhausted() {
    return Begin_ == End_ && !Fill();
}

bool TrackReader::Fill() {
    if (AtEnd_) {
        return false;
    }
    if (BeforeReuse_ && (Begin_ > 0 || End_ == Block_.size())) {
        BeforeReuse_();
    }
    if (Begin_ > 0) {
        std::memmove(Block_.data(), Block_.data() + Begin_, End_ - Begin_);
        End_ -= Begin_;
        Begin_ = 0;
    }
    if (End_ == Block_.size()) {
        // A line longer than the block: the block grows to hold it.
        Block_.resize(Block_.size() * 2);
    }
    for (;;) {
        const auto Count = ::read(Descriptor_, Block_.data() + End_, Block_.size() - End_);
        if (Count > 0) {
            End_ += static_cast<std::size_t>(Count);
            return true;
        }
        if (Count == 0) {
            AtEnd_ = true;
            return false;
        }
        if (errno != EINTR) {
            ThrowFileError("Can't read input track", Path_, errno);
        }
    }
}

std::string_view TrackReader::ReadLine() {
    std::size_t SearchFrom = Begin_;
    for (;;) {
        const char* Data = Block_.data();
        const auto* Return =
            static_cast<const char*>(std::memchr(Data + SearchFrom, '\r', End_ - SearchFrom));
        if (Return != nullptr) {
            const auto At = static_cast<std::size_t>(Return - Data);
            // Whether an LF follows is known only once the byte after the CR has been read.
            if (At + 1 < End_ || AtEnd_) {
                const std::string_view Line(Data + Begin_, At - Begin_);
                Begin_ = At + 1 + (At + 1 < End_ && Data[At + 1] == '\n' ? 1 : 0);
                return Line;
            }
        } else if (AtEnd_) {
            const std::string_view Line(Data + Begin_, End_ - Begin_);
            Begin_ = End_;
            return Line;
        }
        const std::size_t Searched = Return != nullptr ? Return - Data : End_;
        const std::size_t Offset = Searched - Begin_;
        Fill();
        SearchFrom = Begin_ + Offset;
    }
}

}  // namespace quellmark
