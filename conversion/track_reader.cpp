#include "conversion/track_reader.h"

#include <unistd.h>

#include <cerrno>

#include "conversion/track_file_error.h"

namespace quellmark {

TrackReader::TrackReader(int Descriptor, std::string Path, std::size_t BlockSize)
    : TrackReader(
          [Descriptor](char* Buffer, std::size_t Size) { return ::read(Descriptor, Buffer, Size); },
          std::move(Path), BlockSize) {}

TrackReader::TrackReader(ReadFunction Read, std::string Path, std::size_t BlockSize)
    : Read_(std::move(Read)),
      Path_(std::move(Path)),
      Block_(std::make_unique_for_overwrite<char[]>(BlockSize)),
      BlockSize_(BlockSize) {}

bool TrackReader::RefillIfEmpty() {
    if (Begin_ < End_) {
        return true;
    }
    if (AtEnd_) {
        return false;
    }
    if (BeforeReuse_) {
        BeforeReuse_();
    }
    Begin_ = End_ = 0;
    for (;;) {
        const auto Count = Read_(Block_.get(), BlockSize_);
        if (Count > 0) {
            End_ = static_cast<std::size_t>(Count);
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

}  // namespace quellmark
